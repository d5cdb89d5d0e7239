// mensuro-cli: processes a measured data file against published distances into the
// EDM Calibration Report, for scripts and batch checks.

#include <algorithm>
#include <clocale>
#include <iostream>
#include <string>
#include <string_view>

#include "cli/command_line.h"
#include "cli/file_bytes.h"
#include "cli/json_output.h"
#include "core/analysis/report_text.h"
#include "core/data/project_processing.h"

namespace {

using namespace mensuro;
using namespace mensuro::cli;

void PrintOut(std::string_view text) {
  std::cout.write(text.data(), std::ssize(text));
}

// One line on standard error, as a script's log expects it.
int Fail(int exitCode, std::string message) {
  std::replace(message.begin(), message.end(), '\n', ' ');
  std::cerr << "mensuro-cli: " << message << '\n';
  return exitCode;
}

int Run(const CommandLine& line) {
  std::string reason;
  const auto measured = ReadFileBytes(line.measuredFile, reason);
  if (!measured) {
    return Fail(kExitUsage, "cannot read the measured file '" + line.measuredFile + "': " + reason);
  }
  const auto published = ReadFileBytes(line.publishedFile, reason);
  if (!published) {
    return Fail(kExitUsage,
                "cannot read the published file '" + line.publishedFile + "': " + reason);
  }

  MeasurementHeader header;
  header.publishedSource = line.publishedFile;
  header.measuredFileName = line.measuredFile;
  ReportText report;
  ProjectRun run;
  std::string message;
  const bool json = line.format == "json";
  if (ProcessProject(report, header, *measured, *published, message, run) != 0) {
    if (json) {
      PrintOut(JsonText({{"error", message}}));
    } else {
      std::cerr << message << '\n';
    }
    return kExitProcessingFailed;
  }

  if (!line.outputFile.empty() && WriteReportFile(line.outputFile, report) != 0) {
    return Fail(kExitUsage, "cannot write the report file '" + line.outputFile + "'");
  }
  PrintOut(json ? JsonText(ResultsToJson(header, run, report)) : JoinReportLines(report));
  std::cout.flush();
  return std::cout ? kExitSuccess : Fail(kExitUsage, "cannot write to standard output");
}

}  // namespace

int main(int argc, char** argv) {
  // Like any program, run in the user's locale; the core reads and writes numbers the same
  // whatever it is.
  std::setlocale(LC_ALL, "");

  CLI::App app{"", "mensuro-cli"};
  CommandLine line;
  DescribeCommandLine(app, line);
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    PrintOut(app.help());
    return kExitSuccess;
  } catch (const CLI::ParseError& error) {
    return Fail(kExitUsage, std::string(error.what()) + " (see --help)");
  }
  if (const std::string missing = MissingArguments(line); !missing.empty()) {
    return Fail(kExitUsage, missing + " (see --help)");
  }
  return Run(line);
}
