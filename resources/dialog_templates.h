#pragma once

#include "ui/dialog_template.h"

namespace mensuro {

// The main window: template 102.
const DialogTemplate& MainDialogTemplate();

}  // namespace mensuro
