// mensuro-cli: processes a measured data file against published distances, from a file or from
// the baseline library, into the EDM Calibration Report, and on request the calibration plot
// and the PDF certificate, for scripts and batch checks.

#include <algorithm>
#include <clocale>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include <fmt/format.h>

#include <QApplication>
#include <QString>

#include "cli/command_line.h"
#include "cli/executable_dir.h"
#include "cli/json_output.h"
#include "core/analysis/report_text.h"
#include "core/data/baseline_library.h"
#include "core/data/data_files.h"
#include "core/data/project_processing.h"
#include "core/data/station_pairs.h"
#include "core/data/text_encoding.h"
#include "core/data/text_file.h"
#include "documents/calibration_certificate.h"
#include "documents/calibration_plot_data.h"
#include "documents/headless_platform.h"
#include "documents/plot_export.h"

namespace {

using namespace mensuro;
using namespace mensuro::cli;

void PrintOut(std::string_view text) {
  std::cout.write(text.data(), std::ssize(text));
}

// A message for the terminal: control characters that come from a file (a station name of binary
// garbage, say) are shown as \xNN, so they can't move the cursor or change the terminal's state.
// Line feeds and tabs are the message's own layout and stay.
std::string TerminalText(std::string_view message) {
  std::string shown;
  shown.reserve(message.size());
  for (const char c : message) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte < 0x20 && c != '\n' && c != '\t') || byte == 0x7F) {
      shown += fmt::format("\\x{:02X}", byte);
    } else {
      shown += c;
    }
  }
  return shown;
}

// What was read when the run failed for want of station pairs.
std::string TooFewPairsText(const RecordTable& records) {
  const std::size_t pairs = GroupStationPairs(records).members.size();
  return fmt::format(
      "mensuro-cli: the measured file gives {} observation(s) of {} station pair(s); at least "
      "three different pairs are needed",
      CountRecords(records), pairs);
}

// One line on standard error, as a script's log expects it.
void PrintErrorLine(std::string message) {
  std::replace(message.begin(), message.end(), '\n', ' ');
  std::cerr << TerminalText(message) << '\n';
}

int Fail(int exitCode, const std::string& message) {
  PrintErrorLine("mensuro-cli: " + message);
  return exitCode;
}

// The published text and the name it goes by in the report, or the exit code of the failure.
struct PublishedSource {
  std::string text;
  std::string name;
  int failure = kExitSuccess;
};

std::filesystem::path LibraryPath(const CommandLine& line, const char* argv0) {
  return line.libraryFile.empty() ? BaselineLibraryPath(ExecutableDirectory(argv0))
                                  : std::filesystem::path(line.libraryFile);
}

std::optional<std::string> ReadLibrary(const std::filesystem::path& library) {
  std::string reason;
  auto text = ReadTextFile(library, reason);
  if (!text) {
    Fail(kExitUsage, "cannot read the baseline library '" + library.string() + "': " + reason);
  }
  return text;
}

PublishedSource ReadPublished(const CommandLine& line, const char* argv0) {
  std::string reason;
  if (!line.baselineName) {
    auto published = ReadTextFile(line.publishedFile, reason);
    if (!published) {
      return {{},
              {},
              Fail(kExitUsage,
                   "cannot read the published file '" + line.publishedFile + "': " + reason)};
    }
    return {std::move(*published), line.publishedFile};
  }
  const auto library = LibraryPath(line, argv0);
  const auto text = ReadLibrary(library);
  if (!text) {
    return {{}, {}, kExitUsage};
  }
  CollectedBaseline baseline = CollectBaseline(*text, *line.baselineName);
  if (baseline.nameLines == 0) {
    // Without the program's prefix: the message as a script matches it.
    PrintErrorLine("No baseline named " + *line.baselineName + " in " + library.string());
    return {{}, {}, kExitUsage};
  }
  return {std::move(baseline.publishedText), *line.baselineName};
}

int ListNames(const CommandLine& line, const char* argv0) {
  const auto text = ReadLibrary(LibraryPath(line, argv0));
  if (!text) {
    return kExitUsage;
  }
  std::string names;
  for (const std::string& name : BaselineNames(SplitFileLines(*text))) {
    names += name;
    names += '\n';
  }
  PrintOut(names);
  std::cout.flush();
  return std::cout ? kExitSuccess : Fail(kExitUsage, "cannot write to standard output");
}

// Qt's own notes (a missing runtime folder, say) would mix with the messages a script reads.
void QuietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg) {
    std::cerr << message.toLocal8Bit().toStdString() << '\n';
  }
}

// The plot and the certificate the command line asks for. Qt is started only for them, on its
// offscreen platform: they are files, so no display is needed, even where one is present.
int WriteDocuments(const CommandLine& line, const ProcessedCalibration& calibration) {
  if (line.plotFile.empty() && line.certificateFile.empty()) {
    return kExitSuccess;
  }
  qInstallMessageHandler(QuietQtMessages);
  UseOffscreenPlatformUnlessChosen();
  int argc = 1;
  char name[] = "mensuro-cli";
  char* argv[] = {name, nullptr};
  const QApplication application(argc, argv);

  QString reason;
  if (!line.plotFile.empty()) {
    const QString path = QString::fromLocal8Bit(line.plotFile);
    if (!SavePlot(path, PlotFileTypeOf(path).value_or(PlotFileType::kPdf),
                  MakeCalibrationPlotData(calibration.header, calibration.run), reason)) {
      return Fail(kExitUsage, "cannot write the plot file '" + line.plotFile +
                                  "': " + reason.toLocal8Bit().toStdString());
    }
  }
  if (!line.certificateFile.empty() &&
      !SaveCertificate(QString::fromLocal8Bit(line.certificateFile), calibration, reason)) {
    return Fail(kExitUsage, "cannot write the certificate file '" + line.certificateFile +
                                "': " + reason.toLocal8Bit().toStdString());
  }
  return kExitSuccess;
}

int Run(const CommandLine& line, const char* argv0) {
  std::string reason;
  std::optional<std::string> measured = ReadTextFile(line.measuredFile, reason);
  if (!measured) {
    return Fail(kExitUsage, "cannot read the measured file '" + line.measuredFile + "': " + reason);
  }
  PublishedSource published = ReadPublished(line, argv0);
  if (published.failure != kExitSuccess) {
    return published.failure;
  }

  // The texts move into the calibration rather than being copied: they may be large.
  ProcessedCalibration calibration;
  calibration.measuredText = std::move(*measured);
  calibration.publishedText = std::move(published.text);
  MeasurementHeader& header = calibration.header;
  header.publishedSource = published.name;
  header.measuredFileName = line.measuredFile;
  ReportText report;
  std::string message;
  const bool json = line.format == "json";
  if (ProcessProject(report, header, calibration.measuredText, calibration.publishedText, message,
                     calibration.run) != 0) {
    if (json) {
      PrintOut(JsonText({{"error", message}}));
    } else {
      std::cerr << TerminalText(message);
      // The core gives no reason when there are too few pairs to fit; say what was read.
      std::cerr << (message == kProcessingFailurePrefix ? TooFewPairsText(calibration.run.records)
                                                        : "")
                << '\n';
    }
    return kExitProcessingFailed;
  }

  if (!line.outputFile.empty() && WriteReportFile(line.outputFile, report) != 0) {
    return Fail(kExitUsage, "cannot write the report file '" + line.outputFile + "'");
  }
  if (const int written = WriteDocuments(line, calibration); written != kExitSuccess) {
    return written;
  }
  // Line by line rather than joined: a report of a million observations is big enough.
  if (json) {
    WriteResultsJson(std::cout, header, calibration.run, report);
  } else {
    for (const std::string& reportLine : report.lines) {
      PrintOut(reportLine);
    }
  }
  std::cout.flush();
  return std::cout ? kExitSuccess : Fail(kExitUsage, "cannot write to standard output");
}

}  // namespace

int main(int argc, char** argv) {
  // Like any program, run in the user's locale; the core reads and writes numbers the same
  // whatever it is.
  std::setlocale(LC_ALL, "");
  // The streams alone write the output, so they needn't keep in step with C's stdio.
  std::ios::sync_with_stdio(false);

  CLI::App app{"", "mensuro-cli"};
  CommandLine line;
  DescribeCommandLine(app, line);
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    PrintOut(app.help());
    return kExitSuccess;
  } catch (const CLI::CallForVersion& version) {
    PrintOut(std::string(version.what()) + "\n");
    return kExitSuccess;
  } catch (const CLI::ParseError& error) {
    return Fail(kExitUsage, std::string(error.what()) + " (see --help)");
  }
  if (const std::string problem = CommandLineProblem(line); !problem.empty()) {
    return Fail(kExitUsage, problem + " (see --help)");
  }
  return line.listBaselines ? ListNames(line, argv[0]) : Run(line, argv[0]);
}
