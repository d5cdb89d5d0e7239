// mensuro-cli: processes a measured data file against published distances, from a file or from
// the baseline library, into the EDM Calibration Report, for scripts and batch checks.

#include <algorithm>
#include <clocale>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "cli/command_line.h"
#include "cli/executable_dir.h"
#include "cli/json_output.h"
#include "core/analysis/report_text.h"
#include "core/data/baseline_library.h"
#include "core/data/data_files.h"
#include "core/data/file_bytes.h"
#include "core/data/project_processing.h"
#include "core/data/text_file.h"

namespace {

using namespace mensuro;
using namespace mensuro::cli;

void PrintOut(std::string_view text) {
  std::cout.write(text.data(), std::ssize(text));
}

// One line on standard error, as a script's log expects it.
void PrintErrorLine(std::string message) {
  std::replace(message.begin(), message.end(), '\n', ' ');
  std::cerr << message << '\n';
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
  auto bytes = ReadFileBytes(library, reason);
  if (!bytes) {
    Fail(kExitUsage, "cannot read the baseline library '" + library.string() + "': " + reason);
  }
  return bytes;
}

PublishedSource ReadPublished(const CommandLine& line, const char* argv0) {
  std::string reason;
  if (!line.baselineName) {
    auto published = ReadFileBytes(line.publishedFile, reason);
    if (!published) {
      return {{},
              {},
              Fail(kExitUsage,
                   "cannot read the published file '" + line.publishedFile + "': " + reason)};
    }
    return {std::move(*published), line.publishedFile};
  }
  const auto library = LibraryPath(line, argv0);
  const auto bytes = ReadLibrary(library);
  if (!bytes) {
    return {{}, {}, kExitUsage};
  }
  CollectedBaseline baseline = CollectBaseline(*bytes, *line.baselineName);
  if (baseline.nameLines == 0) {
    // Without the program's prefix: the message as a script matches it.
    PrintErrorLine("No baseline named " + *line.baselineName + " in " + library.string());
    return {{}, {}, kExitUsage};
  }
  return {std::move(baseline.publishedText), *line.baselineName};
}

int ListNames(const CommandLine& line, const char* argv0) {
  const auto bytes = ReadLibrary(LibraryPath(line, argv0));
  if (!bytes) {
    return kExitUsage;
  }
  std::string names;
  for (const std::string& name : BaselineNames(SplitFileLines(*bytes))) {
    names += name;
    names += '\n';
  }
  PrintOut(names);
  std::cout.flush();
  return std::cout ? kExitSuccess : Fail(kExitUsage, "cannot write to standard output");
}

int Run(const CommandLine& line, const char* argv0) {
  std::string reason;
  const auto measured = ReadFileBytes(line.measuredFile, reason);
  if (!measured) {
    return Fail(kExitUsage, "cannot read the measured file '" + line.measuredFile + "': " + reason);
  }
  const PublishedSource published = ReadPublished(line, argv0);
  if (published.failure != kExitSuccess) {
    return published.failure;
  }

  MeasurementHeader header;
  header.publishedSource = published.name;
  header.measuredFileName = line.measuredFile;
  ReportText report;
  ProjectRun run;
  std::string message;
  const bool json = line.format == "json";
  if (ProcessProject(report, header, *measured, published.text, message, run) != 0) {
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
