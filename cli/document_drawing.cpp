#include "cli/document_drawing.h"

#include <algorithm>
#include <array>
#include <boost/dll/shared_library.hpp>
#include <filesystem>
#include <system_error>
#include <utility>

#ifdef _WIN32
#include <io.h>
#else
#include <dlfcn.h>
#include <unistd.h>
#endif

#include "cli/command_line.h"
#include "cli/executable_dir.h"
#include "cli/terminal_output.h"
#include "core/data/file_bytes.h"
#include "core/data/file_names.h"
#include "documents/module/plain_documents.h"

namespace mensuro::cli {
namespace {

// Why the last load failed: the system loader's own words where it keeps them (a library the
// module needs that is missing, say), else the error the load gave.
std::string LoadFailure(const std::error_code& error) {
#ifndef _WIN32
  if (const char* const said = dlerror(); said != nullptr) {
    return said;
  }
#endif
  return error.message();
}

constexpr const char* kDrawDocuments = "mensuro_draw_documents";
constexpr const char* kDrawHistoryPlot = "mensuro_draw_history_plot";
constexpr const char* kDrawBaselineCertificate = "mensuro_draw_baseline_certificate";
constexpr const char* kDocumentsFree = "mensuro_documents_free";
constexpr const char* kDocumentBoundary = "mensuro_document_boundary";

// The module's entry point `name`, of type `Function`; nothing when it lacks it.
template <typename Function>
Function* EntryPoint(const boost::dll::shared_library& library, const char* name) {
  return library.has(name) ? &library.get<Function>(name) : nullptr;
}

// What the module drew, copied into this side's strings, its own buffers let go.
DrawnDocuments Taken(const DocumentModule& module, MensuroDocuments& drawn) {
  const auto text = [](const MensuroBytes& bytes) {
    return bytes.size == 0 ? std::string() : std::string(bytes.data, bytes.size);
  };
  DrawnDocuments documents;
  if (drawn.plot.size > 0) {
    documents.plot.bytes = text(drawn.plot);
  }
  documents.plot.failure = text(drawn.plotFailure);
  if (drawn.certificate.size > 0) {
    documents.certificate.bytes = text(drawn.certificate);
  }
  documents.certificate.failure = text(drawn.certificateFailure);
  documents.failure = text(drawn.failure);
  module.freeDocuments(&drawn);
  return documents;
}

// Whether the file at `path` may be written to, as the system's access check says.
bool Writable(const std::filesystem::path& path) {
#ifdef _WIN32
  return _waccess(path.c_str(), 2) == 0;
#else
  return access(path.c_str(), W_OK) == 0;
#endif
}

// Why a document may not replace what is at `path`, in the words these messages have always
// used; empty when nothing stands in the way.
std::string ReplaceProblem(const std::string& fileName, const std::filesystem::path& path) {
  std::error_code status;
  if (std::filesystem::exists(path, status) && !Writable(path)) {
    return "Existing file " + fileName + " is not writable";
  }
  return std::filesystem::is_directory(path, status) ? "Filename refers to a directory"
                                                     : std::string();
}

}  // namespace

std::optional<DocumentModule> LoadDocumentModule(const char* argv0, std::string& reason) {
  const std::filesystem::path programs = ExecutableDirectory(argv0);
  const std::array<std::filesystem::path, 2> places = {
      programs / MENSURO_DOCUMENT_MODULE,
      (programs / MENSURO_INSTALLED_DOCUMENT_MODULE_DIR / MENSURO_DOCUMENT_MODULE)
          .lexically_normal()};
  std::error_code status;
  const auto found = std::find_if(places.begin(), places.end(), [&status](const auto& place) {
    return std::filesystem::is_regular_file(place, status);
  });
  if (found == places.end()) {
    reason = "cannot load the document module for plots and certificates: neither '" +
             Utf8FromPath(places[0]) + "' nor '" + Utf8FromPath(places[1]) + "' exists";
    return std::nullopt;
  }
  DocumentModule module;
  std::error_code loadStatus;
  module.library.load(*found, loadStatus);
  if (loadStatus) {
    reason = "cannot load the document module '" + Utf8FromPath(*found) +
             "': " + LoadFailure(loadStatus);
    return std::nullopt;
  }
  const std::string lacking =
      "the document module '" + Utf8FromPath(*found) + "' lacks its entry point ";
  module.drawDocuments = EntryPoint<MensuroDrawDocuments>(module.library, kDrawDocuments);
  module.drawHistoryPlot = EntryPoint<MensuroDrawHistoryPlot>(module.library, kDrawHistoryPlot);
  module.drawBaselineCertificate =
      EntryPoint<MensuroDrawBaselineCertificate>(module.library, kDrawBaselineCertificate);
  module.freeDocuments = EntryPoint<MensuroDocumentsFree>(module.library, kDocumentsFree);
  if (module.drawDocuments == nullptr || module.drawHistoryPlot == nullptr ||
      module.freeDocuments == nullptr) {
    reason = lacking + (module.drawDocuments == nullptr     ? kDrawDocuments
                        : module.drawHistoryPlot == nullptr ? kDrawHistoryPlot
                                                            : kDocumentsFree);
    return std::nullopt;
  }
  // A module of another build would read the structs it is handed in another layout.
  MensuroDocumentBoundary* const boundary =
      EntryPoint<MensuroDocumentBoundary>(module.library, kDocumentBoundary);
  if (const int layout = boundary == nullptr ? 1 : boundary();
      layout != MENSURO_DOCUMENT_BOUNDARY) {
    reason = "the document module '" + Utf8FromPath(*found) + "' is of another build (layout " +
             std::to_string(layout) + ", this program's " +
             std::to_string(MENSURO_DOCUMENT_BOUNDARY) + "): install the two together";
    return std::nullopt;
  }
  if (module.drawBaselineCertificate == nullptr) {
    reason = lacking + kDrawBaselineCertificate;
    return std::nullopt;
  }
  return module;
}

int PlotTypeOf(const std::string& fileName) {
  // The extension as the module's drawing library reads it: after the name's last dot.
#ifdef _WIN32
  const std::size_t folder = fileName.find_last_of("/\\");
#else
  const std::size_t folder = fileName.rfind('/');
#endif
  const std::string name = folder == std::string::npos ? fileName : fileName.substr(folder + 1);
  const std::size_t dot = name.rfind('.');
  std::string suffix = dot == std::string::npos ? std::string() : name.substr(dot + 1);
  std::transform(suffix.begin(), suffix.end(), suffix.begin(), [](unsigned char c) {
    return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  });
  if (suffix == "svg") {
    return MENSURO_PLOT_SVG;
  }
  return suffix == "png" ? MENSURO_PLOT_PNG : MENSURO_PLOT_PDF;
}

DrawnDocuments DrawDocuments(const DocumentModule& module, const ProcessedCalibration& calibration,
                             int plotType, const CertificateDetails* details,
                             const CertificateIdentity& identity) {
  const PlainCalibration plain = PlainCalibrationOf(calibration);
  std::optional<MensuroCertificate> certificate;
  if (details != nullptr) {
    certificate = PlainCertificateOf(*details, identity);
  }
  const MensuroDocumentRequest request = {&plain.calibration, plotType,
                                          certificate ? &*certificate : nullptr};
  MensuroDocuments drawn{};
  module.drawDocuments(&request, &drawn);
  return Taken(module, drawn);
}

DrawnDocument DrawBaselineCertificate(const DocumentModule& module,
                                      const BaselineCalibration& calibration,
                                      const std::string& baselineName,
                                      const std::string& measuredText,
                                      const CertificateDetails& details,
                                      const CertificateIdentity& identity) {
  const MensuroCertificate certificate = PlainCertificateOf(details, identity);
  const PlainBaseline plain =
      PlainBaselineOf(calibration, baselineName, measuredText, &certificate);
  MensuroDocuments drawn{};
  module.drawBaselineCertificate(&plain.request, &drawn);
  DrawnDocuments documents = Taken(module, drawn);
  if (!documents.failure.empty()) {
    documents.certificate.failure = documents.failure;
  }
  return documents.certificate;
}

DrawnDocuments DrawHistoryPlot(const DocumentModule& module,
                               const std::vector<HistoryPoint>& history, const std::string& title,
                               int plotType) {
  const std::vector<MensuroHistoryPoint> points = PlainHistoryOf(history);
  const MensuroHistoryRequest request = {points.data(), points.size(), PlainText(title), plotType};
  MensuroDocuments drawn{};
  module.drawHistoryPlot(&request, &drawn);
  return Taken(module, drawn);
}

int WriteDrawnDocument(const std::string& what, const std::string& fileName,
                       const DrawnDocument& document) {
  const std::filesystem::path path = PathFromUtf8(fileName);
  std::string reason = document.failure;
  if (document.bytes) {
    reason = ReplaceProblem(fileName, path);
    if (reason.empty() && WriteFileBytes(path, *document.bytes, reason) == 0) {
      return kExitSuccess;
    }
  }
  return Fail(kExitUsage, "cannot write the " + what + " file '" + fileName + "': " + reason);
}

}  // namespace mensuro::cli
