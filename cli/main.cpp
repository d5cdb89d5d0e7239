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
#include <vector>

#include <fmt/format.h>

#include <QApplication>
#include <QString>

#include "cli/command_line.h"
#include "cli/json_output.h"
#include "cli/library_baseline.h"
#include "cli/reduce_command.h"
#include "cli/terminal_output.h"
#include "core/analysis/calibration_uncertainty.h"
#include "core/analysis/full_test.h"
#include "core/analysis/report_text.h"
#include "core/data/baseline_library.h"
#include "core/data/data_files.h"
#include "core/data/input_notices.h"
#include "core/data/project_processing.h"
#include "core/data/station_pairs.h"
#include "core/data/text_encoding.h"
#include "core/data/text_file.h"
#include "core/data/visible_text.h"
#include "documents/calibration_certificate.h"
#include "documents/calibration_plot_data.h"
#include "documents/headless_platform.h"
#include "documents/plot_export.h"

namespace {

using namespace mensuro;
using namespace mensuro::cli;

// What was read when the run failed for want of station pairs.
std::string TooFewPairsText(const RecordTable& records) {
  const std::size_t pairs = GroupStationPairs(records).members.size();
  return fmt::format(
      "the measured file gives {} observation(s) of {} station pair(s); at least three different "
      "pairs are needed",
      CountRecords(records), pairs);
}

// The published text and the name it goes by in the report, or the exit code of the failure.
struct PublishedSource {
  std::string text;
  std::string name;
  int failure = kExitSuccess;
  std::string fileName;  // the file its lines come from: the published file or the library
  // For a baseline of the library, the library line of every line of the text, and its
  // uncertainty line if it has one.
  std::vector<std::size_t> libraryLines;
  std::optional<BaselineProperty> uncertainty;
};

// Where a line of one of the two texts is in its file: the library's line for a baseline of the
// library, so that an editor opened there shows it.
struct FileLine {
  std::string_view fileName;
  std::size_t line = 0;
};

PublishedSource Refused(int exitCode) {
  PublishedSource refused;
  refused.failure = exitCode;
  return refused;
}

FileLine LocateLine(const InputLocation& where, const CommandLine& line,
                    const PublishedSource& published) {
  if (where.text == InputText::kMeasured) {
    return {line.measuredFile, where.line};
  }
  const std::vector<std::size_t>& lines = published.libraryLines;
  const bool mapped = line.baselineName && where.line >= 1 && where.line <= lines.size();
  return {published.fileName, mapped ? lines[where.line - 1] : where.line};
}

PublishedSource ReadPublished(const CommandLine& line, const char* argv0) {
  std::string reason;
  if (!line.baselineName) {
    auto published = ReadTextFile(line.publishedFile, reason);
    if (!published) {
      return Refused(Fail(
          kExitUsage, "cannot read the published file '" + line.publishedFile + "': " + reason));
    }
    return {std::move(*published), line.publishedFile, kExitSuccess, line.publishedFile, {}, {}};
  }
  const auto library = LibraryPath(line.libraryFile, argv0);
  std::optional<CollectedBaseline> found = LibraryBaseline(library, *line.baselineName);
  if (!found) {
    return Refused(kExitUsage);
  }
  CollectedBaseline& baseline = *found;
  std::optional<BaselineProperty> uncertainty = FindBaselineProperty(baseline, "uncertainty");
  return {std::move(baseline.publishedText), *line.baselineName,    kExitSuccess, library.string(),
          std::move(baseline.libraryLines),  std::move(uncertainty)};
}

// The inputs of the uncertainty budget: the options', and the baseline uncertainty of the
// library baseline's own line unless --baseline-uncertainty replaces it. Nothing when that line
// is malformed, after saying where.
std::optional<UncertaintyInputs> BudgetInputs(const CommandLine& line,
                                              const PublishedSource& published) {
  UncertaintyInputs inputs = line.uncertainty;
  if (inputs.baseline || !published.uncertainty) {
    return inputs;
  }
  const BaselineProperty& property = *published.uncertainty;
  std::string reason;
  inputs.baseline = ParseBaselineUncertainty(property.value, reason);
  if (!inputs.baseline) {
    Fail(kExitUsage, fmt::format("{}:{}: the baseline's uncertainty: {}", published.fileName,
                                 property.line, reason));
    return std::nullopt;
  }
  return inputs;
}

int ListNames(const CommandLine& line, const char* argv0) {
  const auto text = ReadLibrary(LibraryPath(line.libraryFile, argv0));
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

// Every listed warning and note as a compiler gives them, FILE:LINE: warning: REASON, so that
// an editor can jump to the line.
void PrintNotices(const InputNotices& notices, const CommandLine& line,
                  const PublishedSource& published) {
  std::string text;
  for (const InputNotice& notice : notices.listed) {
    const FileLine at = LocateLine(notice.where, line, published);
    text += VisibleText(fmt::format("{}:{}: {}: {}", at.fileName, at.line,
                                    NoticeLevelName(notice.level), notice.reason));
    text += '\n';
  }
  const std::size_t unlisted = UnlistedNotices(notices);
  if (unlisted > 0) {
    text += fmt::format("mensuro-cli: {} more warnings and notes not listed\n", unlisted);
  }
  std::cerr << text;
}

// The listed warnings or notes as JSON members, with lines counted in their files as the
// messages count them.
nlohmann::json NoticesJson(const InputNotices& notices, NoticeLevel level, const CommandLine& line,
                           const PublishedSource& published) {
  nlohmann::json list = nlohmann::json::array();
  for (const InputNotice& notice : notices.listed) {
    if (notice.level == level) {
      list.push_back({{"text", InputTextName(notice.where.text)},
                      {"line", LocateLine(notice.where, line, published).line},
                      {"reason", notice.reason},
                      {"content", notice.content}});
    }
  }
  return list;
}

nlohmann::json InputJson(const ProjectRun& run, const CommandLine& line,
                         const PublishedSource& published) {
  nlohmann::json input = {
      {"warnings", NoticesJson(run.notices, NoticeLevel::kWarning, line, published)},
      {"notes", NoticesJson(run.notices, NoticeLevel::kNote, line, published)},
  };
  const std::size_t unlisted = UnlistedNotices(run.notices);
  if (unlisted > 0) {
    input["noticesNotListed"] = unlisted;
  }
  return input;
}

// The message of a failed calibration: the core's reason, and what was read when it gives none.
std::string FailureText(const std::string& message, const ProjectRun& run) {
  return message == kProcessingFailurePrefix ? message + TooFewPairsText(run.records) : message;
}

// Qt's own notes (a missing runtime folder, say) would mix with the messages a script reads.
void QuietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg) {
    PrintErrorLine("mensuro-cli: " + message.toLocal8Bit().toStdString());
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
    if (!SavePlot(
            path, PlotFileTypeOf(path).value_or(PlotFileType::kPdf),
            MakeCalibrationPlotData(calibration.header, calibration.run, calibration.conditions),
            reason)) {
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
  std::optional<UncertaintyInputs> inputs = BudgetInputs(line, published);
  if (!inputs) {
    return kExitUsage;
  }

  // The texts move into the calibration rather than being copied: they may be large.
  ProcessedCalibration calibration;
  calibration.conditions = std::move(*inputs);
  calibration.measuredText = std::move(*measured);
  calibration.publishedText = std::move(published.text);
  MeasurementHeader& header = calibration.header;
  header.publishedSource = published.name;
  header.measuredFileName = line.measuredFile;
  ReportText report;
  std::string message;
  const bool json = line.format == "json";
  const bool processed = ProcessProject(report, header, calibration.measuredText,
                                        calibration.publishedText, message, calibration.run) == 0;
  const ProjectRun& run = calibration.run;
  PrintNotices(run.notices, line, published);
  if (!processed) {
    const std::string failure = FailureText(message, run);
    const InputLocation failedAt = run.failedAt.value_or(InputLocation{});
    const FileLine at = LocateLine(failedAt, line, published);
    if (json) {
      nlohmann::json document = {{"error", failure}};
      if (run.failedAt) {
        document["errorAt"] = {{"text", InputTextName(failedAt.text)}, {"line", at.line}};
      }
      document.update(InputJson(run, line, published));
      PrintOut(JsonText(document));
    } else {
      // The line the failure names, as an editor finds it.
      PrintErrorLine(
          "mensuro-cli: " + failure +
          (run.failedAt ? fmt::format(" ({}:{})", at.fileName, at.line) : std::string()));
    }
    return kExitProcessingFailed;
  }

  if (!line.outputFile.empty() && WriteReportFile(line.outputFile, report, reason) != 0) {
    return Fail(kExitUsage, "cannot write the report file '" + line.outputFile + "': " + reason);
  }
  if (const int written = WriteDocuments(line, calibration); written != kExitSuccess) {
    return written;
  }
  // Line by line rather than joined: a report of a million observations is big enough.
  if (json) {
    nlohmann::json members = InputJson(run, line, published);
    members["uncertainty"] = UncertaintyJson(
        calibration.conditions, AnalyseUncertainty(run.analysis, calibration.conditions));
    members["iso17123_4"] =
        FullTestJson(RunFullTest(run.analysis.entries, header.constantError, header.ppmError));
    WriteResultsJson(std::cout, header, run, report, members);
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
  ReduceCommandLine reduceLine;
  const CLI::App* reduce = DescribeReduceCommand(app, reduceLine);
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
  if (reduce->parsed()) {
    return RunReduce(reduceLine, argv[0]);
  }
  if (const std::string problem = CommandLineProblem(line); !problem.empty()) {
    return Fail(kExitUsage, problem + " (see --help)");
  }
  return line.listBaselines ? ListNames(line, argv[0]) : Run(line, argv[0]);
}
