#include "cli/reduce_command.h"

#include <fmt/format.h>
#include <iostream>

#include "cli/command_line.h"
#include "cli/library_baseline.h"
#include "cli/terminal_output.h"
#include "core/data/file_bytes.h"
#include "core/data/file_names.h"
#include "core/data/same_file.h"
#include "core/data/text_encoding.h"

namespace mensuro::cli {
namespace {

bool WriteFile(const std::string& path, std::string_view text, std::string_view what) {
  std::string reason;
  if (WriteFileWith(
          PathFromUtf8(path), [text](const WriteBytes& write) { return write(text); }, reason) !=
      0) {
    Fail(kExitUsage, fmt::format("cannot write the {} '{}': {}", what, path, reason));
    return false;
  }
  return true;
}

}  // namespace

CLI::App* DescribeReduceCommand(CLI::App& app, ReduceCommandLine& line) {
  CLI::App* reduce = app.add_subcommand(
      "reduce",
      "Reduces field observations to a measured text: each slope distance corrected for the "
      "atmosphere (IAG 1999) and reduced to the marks, horizontal or mark to mark");
  reduce->add_option("FIELD_FILE", line.fieldFile, "The field observations, a CSV file")
      ->required();
  auto* baseline =
      reduce
          ->add_option_function<std::string>(
              "--baseline", [&line](const std::string& name) { line.baselineName = name; },
              "Take the marks' heights (3:height= lines) and the kind of the published distances "
              "(3:distances=) from this baseline of the library")
          ->type_name("NAME");
  reduce
      ->add_option("--library", line.libraryFile,
                   "The baseline library to use instead of the one installed with the program")
      ->type_name("LIBRARY_FILE");
  AddReductionOptions(*reduce, line.reduction, baseline);
  reduce
      ->add_option("--output", line.outputFile,
                   "Write the measured text to this file (CR LF) instead of standard output")
      ->type_name("MEASURED_FILE");
  reduce->add_option("--log", line.logFile, "Also write every step of the reduction as CSV")
      ->type_name("LOG_FILE");
  AddHeaderLineOptions(*reduce, line.reduction);
  reduce->footer(
      FieldColumnsHelp() +
      "\n\nExit status: 0 measured text written, 2 wrong command line or a file that can't be "
      "read, holds an error (named as FILE:LINE: column N (NAME): REASON) or can't be written.");
  return reduce;
}

int RunReduce(const ReduceCommandLine& line, const char* argv0) {
  if (const std::string problem = ReductionOptionsProblem(line.reduction); !problem.empty()) {
    return Fail(kExitUsage, problem);
  }
  if (!line.libraryFile.empty() && !line.baselineName) {
    return Fail(kExitUsage, "--library is used only with --baseline");
  }
  std::string reason;
  const std::filesystem::path library = LibraryPath(line.libraryFile, argv0);
  const std::string libraryFile = Utf8FromPath(library);
  if (const std::string problem = OutputOverInputProblem(
          {{"measured file", line.outputFile}, {"log file", line.logFile}},
          {{"field file", line.fieldFile},
           {"heights file", line.reduction.heightsFile},
           {"baseline library", line.baselineName ? libraryFile : std::string()}});
      !problem.empty()) {
    return Fail(kExitUsage, problem);
  }
  const std::optional<std::string> text = ReadTextFile(PathFromUtf8(line.fieldFile), reason);
  if (!text) {
    return Fail(kExitUsage, "cannot read the field file '" + line.fieldFile + "': " + reason);
  }
  std::optional<CollectedBaseline> baseline;
  if (line.baselineName) {
    baseline = LibraryBaseline(library, *line.baselineName);
    if (!baseline) {
      return kExitUsage;
    }
  }
  const std::optional<ReducedFieldFile> reduced = ReduceFieldFile(
      line.fieldFile, *text, line.reduction,
      baseline ? std::optional<HeightsBaseline>({*baseline, *line.baselineName, libraryFile})
               : std::nullopt);
  if (!reduced) {
    return kExitUsage;
  }
  if (!line.logFile.empty() &&
      !WriteFile(line.logFile, ReductionLogCsv(reduced->reduction), "log file")) {
    return kExitUsage;
  }
  if (!line.outputFile.empty()) {
    return WriteFile(line.outputFile, reduced->measuredText, "measured file") ? kExitSuccess
                                                                              : kExitUsage;
  }
  PrintOut(reduced->measuredText);
  std::cout.flush();
  return std::cout ? kExitSuccess : Fail(kExitUsage, "cannot write to standard output");
}

}  // namespace mensuro::cli
