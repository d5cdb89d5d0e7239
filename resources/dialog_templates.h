#pragma once

#include "resources/dialog_template.h"

namespace mensuro {

// The main window: template 102.
const DialogTemplate& MainDialogTemplate();

// The About box: template 129. Its product label gets the version appended when it opens.
const DialogTemplate& AboutDialogTemplate();

}  // namespace mensuro
