#pragma once

// The files the window has open, which no Save As may write over: a report or a certificate
// saved onto the measured file would take the data the calibration rests on with it.

#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "core/data/same_file.h"

class QWidget;

namespace mensuro {

class DialogServices;

// The open files of a window, as they are when asked.
using OpenFiles = std::function<std::vector<NamedFile>()>;

// The file that the file name field's `fileName` names, as `role` ("measured file"); an empty
// field names none.
NamedFile OpenFile(std::string role, const QString& fileName);

// Whether `chosen` is one of `open`: then says which, through `services` over `owner`, and the
// caller writes nothing.
bool RefuseOpenFile(DialogServices& services, QWidget& owner, const QString& chosen,
                    const std::vector<NamedFile>& open);

}  // namespace mensuro
