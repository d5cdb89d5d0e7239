#pragma once

// The plot and the certificate for mensuro-cli: their writers live in the document module
// (documents/module/), which is loaded, and Qt with it, only when a run asks for a document.

#include <functional>
#include <optional>
#include <string>

#include "documents/module/document_module.h"

namespace mensuro::cli {

using DocumentWriter = std::function<WriteDocumentsFunction>;
using HistoryPlotWriter = std::function<WriteHistoryPlotFunction>;

// The document module's writer: the module beside the executable, else the installed one in
// the library folder's mensuro/ (`../lib/mensuro/` of an installed program's folder). Nothing
// when neither can be loaded, with one line in `reason` naming the module's path and why.
// `argv0` is the program's first argument, used where the system can't say where the
// executable is.
std::optional<DocumentWriter> LoadDocumentWriter(const char* argv0, std::string& reason);

// The module's writer of an instrument's history plot, found as LoadDocumentWriter finds it.
std::optional<HistoryPlotWriter> LoadHistoryPlotWriter(const char* argv0, std::string& reason);

}  // namespace mensuro::cli
