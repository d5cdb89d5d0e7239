// The document module's entry points: each draws what the command line asks for (the plot and
// the certificate of a calibration, or the history plot of an instrument) into memory and hands
// back the bytes, or why a document could not be drawn. Everything else in the module is
// hidden, so it exports these names alone.

#include "documents/module/document_module.h"

#include <QApplication>
#include <QString>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <iostream>
#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "core/data/data_files.h"
#include "documents/baseline_certificate.h"
#include "documents/calibration_certificate.h"
#include "documents/calibration_plot_data.h"
#include "documents/document_fonts.h"
#include "documents/headless_platform.h"
#include "documents/history_chart.h"
#include "documents/module/plain_documents.h"
#include "documents/plot_export.h"

#ifdef _WIN32
#define MENSURO_ENTRY_POINT extern "C" __declspec(dllexport)
#else
#define MENSURO_ENTRY_POINT extern "C" __attribute__((visibility("default")))
#endif

namespace mensuro {
namespace {

// Qt's own notes (a missing runtime folder, say) would mix with the messages a script reads;
// only its errors are shown, each as one line of the command line's.
void QuietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg) {
    std::string line = "mensuro-cli: " + message.toLocal8Bit().toStdString();
    std::replace(line.begin(), line.end(), '\n', ' ');
    std::cerr << line << '\n';
  }
}

// The folder of the program that loaded this module, once Qt is set to draw files there: no
// display is needed, even where one is present, and the fonts are those shipped with it.
std::filesystem::path PrepareQt() {
  qInstallMessageHandler(QuietQtMessages);
  UseOffscreenPlatformUnlessChosen();
  std::filesystem::path programs = RunningProgramFolder();
  UseShippedFontFolderUnlessChosen(programs);
  return programs;
}

// Qt's application object for drawing, with the shipped fonts loaded.
class DrawingApplication {
 public:
  DrawingApplication() { LoadShippedFonts(programs_); }

 private:
  std::filesystem::path programs_ = PrepareQt();
  int argc_ = 1;
  char name_[12] = "mensuro-cli";
  char* argv_[2] = {name_, nullptr};
  QApplication application_{argc_, argv_};
};

// Starts the application object at the first call; the later ones draw with the same. It is
// never destroyed: at exit, once main has returned, what Qt would tear down with it may already
// be gone.
void StartApplication() {
  [[maybe_unused]] static const DrawingApplication* const application = new DrawingApplication;
}

MensuroBytes Bytes(std::string_view text) {
  if (text.empty()) {
    return {nullptr, 0};
  }
  auto* data = static_cast<char*>(std::malloc(text.size()));
  if (data == nullptr) {
    throw std::bad_alloc();
  }
  std::memcpy(data, text.data(), text.size());
  return {data, text.size()};
}

std::string ReasonText(const QString& reason) {
  return reason.toLocal8Bit().toStdString();
}

PlotFileType PlotType(int plot) {
  switch (plot) {
    case MENSURO_PLOT_SVG:
      return PlotFileType::kSvg;
    case MENSURO_PLOT_PNG:
      return PlotFileType::kPng;
    default:
      return PlotFileType::kPdf;
  }
}

// A document drawn, or why not, into the one member or the other.
void Keep(const std::optional<std::string>& drawn, const QString& reason, MensuroBytes& bytes,
          MensuroBytes& failure) {
  if (drawn) {
    bytes = Bytes(*drawn);
  } else {
    failure = Bytes(ReasonText(reason));
  }
}

void DrawCalibration(const MensuroDocumentRequest& request, MensuroDocuments& documents) {
  StartApplication();
  const ProcessedCalibration calibration = CalibrationOf(*request.calibration);
  QString reason;
  if (request.plot != MENSURO_NO_PLOT) {
    Keep(DrawPlot(PlotType(request.plot), MakeCalibrationPlotData(calibration), reason), reason,
         documents.plot, documents.plotFailure);
  }
  if (request.certificate != nullptr) {
    Keep(DrawCertificatePdf(calibration, DetailsOf(*request.certificate),
                            IdentityOf(*request.certificate), reason),
         reason, documents.certificate, documents.certificateFailure);
  }
}

void DrawBaseline(const MensuroBaselineRequest& request, MensuroDocuments& documents) {
  std::string failure = "no certificate details were handed over";
  const std::optional<BaselineCalibration> calibration =
      request.certificate == nullptr ? std::nullopt : BaselineCalibrationOf(request, failure);
  if (!calibration) {
    documents.certificateFailure = Bytes(failure);
    return;
  }
  StartApplication();
  QString reason;
  const BaselineCertificateSource source{*calibration, TextOf(request.baselineName),
                                         TextOf(request.measuredText)};
  Keep(DrawBaselineCertificatePdf(source, DetailsOf(*request.certificate),
                                  IdentityOf(*request.certificate), reason),
       reason, documents.certificate, documents.certificateFailure);
}

void DrawHistory(const MensuroHistoryRequest& request, MensuroDocuments& documents) {
  StartApplication();
  QString reason;
  Keep(DrawHistoryPlot(PlotType(request.plot), HistoryOf(request.points, request.pointCount),
                       QString::fromStdString(TextOf(request.title)), reason),
       reason, documents.plot, documents.plotFailure);
}

void Release(MensuroBytes& bytes) {
  std::free(bytes.data);
  bytes = {nullptr, 0};
}

void ReleaseAll(MensuroDocuments& documents) {
  for (MensuroBytes* bytes : {&documents.plot, &documents.plotFailure, &documents.certificate,
                              &documents.certificateFailure, &documents.failure}) {
    Release(*bytes);
  }
}

// No exception leaves the module: the command line has a C++ runtime of its own, which can't
// unwind through this one's frames. What was drawn before is let go.
template <typename Draw>
void Guarded(const Draw& draw, std::string_view what, MensuroDocuments& documents) {
  try {
    draw();
  } catch (const std::exception& error) {
    ReleaseAll(documents);
    try {
      documents.failure = Bytes("cannot write the " + std::string(what) + ": " + error.what());
    } catch (const std::bad_alloc&) {
      documents.failure = {nullptr, 0};
    }
  }
}

}  // namespace
}  // namespace mensuro

MENSURO_ENTRY_POINT void mensuro_draw_documents(const MensuroDocumentRequest* request,
                                                MensuroDocuments* documents) {
  mensuro::Guarded([&] { mensuro::DrawCalibration(*request, *documents); }, "documents",
                   *documents);
}

MENSURO_ENTRY_POINT void mensuro_draw_history_plot(const MensuroHistoryRequest* request,
                                                   MensuroDocuments* documents) {
  mensuro::Guarded([&] { mensuro::DrawHistory(*request, *documents); }, "history plot", *documents);
}

MENSURO_ENTRY_POINT void mensuro_draw_baseline_certificate(const MensuroBaselineRequest* request,
                                                           MensuroDocuments* documents) {
  mensuro::Guarded([&] { mensuro::DrawBaseline(*request, *documents); }, "baseline certificate",
                   *documents);
}

MENSURO_ENTRY_POINT void mensuro_documents_free(MensuroDocuments* documents) {
  mensuro::ReleaseAll(*documents);
}

MENSURO_ENTRY_POINT int mensuro_document_boundary() {
  return MENSURO_DOCUMENT_BOUNDARY;
}

static_assert(std::is_same_v<decltype(mensuro_draw_documents), MensuroDrawDocuments>);
static_assert(std::is_same_v<decltype(mensuro_draw_history_plot), MensuroDrawHistoryPlot>);
static_assert(
    std::is_same_v<decltype(mensuro_draw_baseline_certificate), MensuroDrawBaselineCertificate>);
static_assert(std::is_same_v<decltype(mensuro_documents_free), MensuroDocumentsFree>);
static_assert(std::is_same_v<decltype(mensuro_document_boundary), MensuroDocumentBoundary>);
