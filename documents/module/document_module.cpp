// The document module's entry points: each starts Qt's application object, writes the files the
// command line asks for (the plot and the certificate of a calibration, or the history plot of
// an instrument) and says why one could not be written. Everything else in the module is
// hidden, so it exports these names alone.

#include "documents/module/document_module.h"

#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QString>
#include <algorithm>
#include <boost/dll/alias.hpp>
#include <exception>
#include <filesystem>
#include <functional>
#include <iostream>
#include <string_view>
#include <type_traits>

#include "core/data/data_files.h"
#include "documents/calibration_certificate.h"
#include "documents/calibration_plot_data.h"
#include "documents/document_fonts.h"
#include "documents/headless_platform.h"
#include "documents/history_chart.h"
#include "documents/plot_export.h"

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

// A file name as the command line gives it: UTF-8 on Windows (it reads its wide arguments),
// the system's own bytes elsewhere.
QString FileNameText(const std::string& name) {
#ifdef _WIN32
  return QString::fromStdString(name);
#else
  return QFile::decodeName(QByteArray::fromStdString(name));
#endif
}

std::string CannotWrite(std::string_view what, const std::string& path, const QString& reason) {
  return "cannot write the " + std::string(what) + " file '" + path +
         "': " + reason.toLocal8Bit().toStdString();
}

// Runs `write` with Qt's application object started for drawing files: no display is needed,
// even where one is present, and the fonts are those shipped with mensuro-cli, the program that
// loaded this module.
std::string WithApplication(const std::function<std::string()>& write) {
  qInstallMessageHandler(QuietQtMessages);
  UseOffscreenPlatformUnlessChosen();
  const std::filesystem::path programs = RunningProgramFolder();
  UseShippedFontFolderUnlessChosen(programs);
  int argc = 1;
  char name[] = "mensuro-cli";
  char* argv[] = {name, nullptr};
  const QApplication application(argc, argv);
  LoadShippedFonts(programs);
  return write();
}

std::string WriteFiles(const ProcessedCalibration& calibration, const DocumentFiles& files) {
  QString reason;
  if (!files.plotFile.empty()) {
    const QString path = FileNameText(files.plotFile);
    if (!SavePlot(path, PlotFileTypeOf(path).value_or(PlotFileType::kPdf),
                  MakeCalibrationPlotData(calibration), reason)) {
      return CannotWrite("plot", files.plotFile, reason);
    }
  }
  if (!files.certificateFile.empty() &&
      !SaveCertificate(FileNameText(files.certificateFile), calibration, files.details,
                       files.identity, reason)) {
    return CannotWrite("certificate", files.certificateFile, reason);
  }
  return {};
}

// No exception leaves the module: the command line has a C++ runtime of its own, which can't
// unwind through this one's frames.
std::string WriteDocuments(const ProcessedCalibration& calibration, const DocumentFiles& files) {
  try {
    return WithApplication([&] { return WriteFiles(calibration, files); });
  } catch (const std::exception& error) {
    return std::string("cannot write the documents: ") + error.what();
  }
}

std::string WriteHistoryPlot(const std::vector<HistoryPoint>& history, const std::string& title,
                             const std::string& path) {
  try {
    return WithApplication([&] {
      QString reason;
      const QString file = FileNameText(path);
      if (!SaveHistoryPlot(file, PlotFileTypeOf(file).value_or(PlotFileType::kPdf), history,
                           QString::fromStdString(title), reason)) {
        return CannotWrite("history plot", path, reason);
      }
      return std::string();
    });
  } catch (const std::exception& error) {
    return std::string("cannot write the history plot: ") + error.what();
  }
}

static_assert(std::is_same_v<decltype(WriteDocuments), WriteDocumentsFunction>);
static_assert(std::string_view(kWriteDocumentsEntry) == "mensuro_write_documents");
static_assert(std::is_same_v<decltype(WriteHistoryPlot), WriteHistoryPlotFunction>);
static_assert(std::string_view(kWriteHistoryPlotEntry) == "mensuro_write_history_plot");

}  // namespace
}  // namespace mensuro

BOOST_DLL_ALIAS(mensuro::WriteDocuments, mensuro_write_documents)
BOOST_DLL_ALIAS(mensuro::WriteHistoryPlot, mensuro_write_history_plot)
