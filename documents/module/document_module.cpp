// The document module's one entry point: starts Qt's application object for the plot and the
// certificate, writes the files the command line asks for, and says why one could not be
// written. Everything else in the module is hidden, so it exports this name alone.

#include "documents/module/document_module.h"

#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QString>
#include <algorithm>
#include <boost/dll/alias.hpp>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string_view>
#include <type_traits>

#include "core/data/data_files.h"
#include "documents/calibration_certificate.h"
#include "documents/calibration_plot_data.h"
#include "documents/document_fonts.h"
#include "documents/headless_platform.h"
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

std::string WriteFiles(const ProcessedCalibration& calibration, const DocumentFiles& files) {
  // They are files, so no display is needed, even where one is present.
  qInstallMessageHandler(QuietQtMessages);
  UseOffscreenPlatformUnlessChosen();
  // The fonts ship with mensuro-cli, the program that loaded this module.
  const std::filesystem::path programs = RunningProgramFolder();
  UseShippedFontFolderUnlessChosen(programs);
  int argc = 1;
  char name[] = "mensuro-cli";
  char* argv[] = {name, nullptr};
  const QApplication application(argc, argv);
  LoadShippedFonts(programs);

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
    return WriteFiles(calibration, files);
  } catch (const std::exception& error) {
    return std::string("cannot write the documents: ") + error.what();
  }
}

static_assert(std::is_same_v<decltype(WriteDocuments), WriteDocumentsFunction>);
static_assert(std::string_view(kWriteDocumentsEntry) == "mensuro_write_documents");

}  // namespace
}  // namespace mensuro

BOOST_DLL_ALIAS(mensuro::WriteDocuments, mensuro_write_documents)
