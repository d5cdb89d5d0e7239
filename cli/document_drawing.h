#pragma once

// The plot and the certificate for mensuro-cli: the document module (documents/module/) draws
// them, loaded, and Qt with it, only when a run asks for a document; the command line writes
// the files. Only plain data crosses to the module and back.

#include <boost/dll/shared_library.hpp>
#include <optional>
#include <string>
#include <vector>

#include "core/baseline/baseline_calibration.h"
#include "core/certificate/certificate_details.h"
#include "core/processing/processed_calibration.h"
#include "documents/module/document_module.h"
#include "register/register_records.h"

namespace mensuro::cli {

// The loaded module and its entry points.
struct DocumentModule {
  boost::dll::shared_library library;  // kept loaded while its entry points are used
  MensuroDrawDocuments* drawDocuments = nullptr;
  MensuroDrawHistoryPlot* drawHistoryPlot = nullptr;
  MensuroDrawBaselineCertificate* drawBaselineCertificate = nullptr;
  MensuroDocumentsFree* freeDocuments = nullptr;
};

// The document module beside the executable, else the installed one in the library folder's
// mensuro/ (`../lib/mensuro/` of an installed program's folder). Nothing when neither can be
// loaded, with one line in `reason` naming the module's path and why. `argv0` is the program's
// first argument, used where the system can't say where the executable is.
std::optional<DocumentModule> LoadDocumentModule(const char* argv0, std::string& reason);

// A document the module drew: its bytes, or why it could not be drawn.
struct DrawnDocument {
  std::optional<std::string> bytes;
  std::string failure;
};

struct DrawnDocuments {
  DrawnDocument plot;
  DrawnDocument certificate;
  std::string failure;  // why nothing was drawn; empty: the documents say
};

// MENSURO_PLOT_SVG, _PNG or _PDF by the extension of `fileName` (letter case aside), PDF for
// any other.
int PlotTypeOf(const std::string& fileName);

// The plot of `calibration` as `plotType` asks (MENSURO_NO_PLOT: none), and its certificate
// with `details` under `identity` when `details` is given.
DrawnDocuments DrawDocuments(const DocumentModule& module, const ProcessedCalibration& calibration,
                             int plotType, const CertificateDetails* details,
                             const CertificateIdentity& identity);

// The certificate of the baseline `baselineName` calibrated by `calibration` from the survey
// `measuredText`, with `details` under `identity`.
DrawnDocument DrawBaselineCertificate(const DocumentModule& module,
                                      const BaselineCalibration& calibration,
                                      const std::string& baselineName,
                                      const std::string& measuredText,
                                      const CertificateDetails& details,
                                      const CertificateIdentity& identity);

// The charts of an instrument's history under `title`, as `plotType` asks.
DrawnDocuments DrawHistoryPlot(const DocumentModule& module,
                               const std::vector<HistoryPoint>& history, const std::string& title,
                               int plotType);

// Writes `document` as the file `fileName` names (UTF-8). Returns the exit code, having said
// why the `what` file ("plot", "certificate") could not be drawn or written.
int WriteDrawnDocument(const std::string& what, const std::string& fileName,
                       const DrawnDocument& document);

}  // namespace mensuro::cli
