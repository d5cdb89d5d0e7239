#include "cli/baseline_command.h"

#include <fmt/format.h>
#include <fmt/ranges.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <utility>

#include "cli/command_line.h"
#include "cli/library_baseline.h"
#include "cli/read_option.h"
#include "cli/terminal_output.h"
#include "core/baseline/baseline_calibration.h"
#include "core/baseline/baseline_library_entry.h"
#include "core/baseline/baseline_text.h"
#include "core/baseline/previous_certificate.h"
#include "core/data/file_bytes.h"
#include "core/data/file_names.h"
#include "core/data/line_fields.h"
#include "core/data/number_text.h"
#include "core/data/same_file.h"
#include "core/data/text_encoding.h"
#include "core/reduction/field_columns.h"
#include "json/baseline_json.h"
#include "json/calibration_json.h"

namespace mensuro::cli {
namespace {

// The pillars in order, "P1,P2,...", each name read as an observation line reads it.
std::optional<std::vector<std::string>> ParsePillarOrder(std::string_view text,
                                                         std::string& reason) {
  std::string work(text);
  NormalizeSeparators(work);
  std::vector<std::string> pillars;
  for (std::size_t start = 0;;) {
    const std::size_t comma = work.find(',', start);
    pillars.emplace_back(work.substr(start, comma == std::string::npos ? comma : comma - start));
    if (pillars.back().empty()) {
      reason = fmt::format("\"{}\" has an empty pillar name", text);
      return std::nullopt;
    }
    if (std::find(pillars.begin(), pillars.end() - 1, pillars.back()) != pillars.end() - 1) {
      reason = fmt::format("\"{}\" names {} twice", text, pillars.back());
      return std::nullopt;
    }
    if (comma == std::string::npos) {
      break;
    }
    start = comma + 1;
  }
  if (pillars.size() < 2) {
    reason = fmt::format("\"{}\" names one pillar; give them all, in order along the line", text);
    return std::nullopt;
  }
  return pillars;
}

// "S,U[,K]": the scale correction in ppm of either sign, its expanded uncertainty in ppm (not
// below 0) and the coverage factor (above 0, 2 when not given).
std::optional<ReferenceScale> ParseReferenceScale(std::string_view text, std::string& reason) {
  const std::optional<std::vector<double>> numbers =
      ReadNumberFields(text, 2, 3, "S,U[,K]", reason, {.negativeAllowed = true});
  if (!numbers) {
    return std::nullopt;
  }
  const ReferenceScale scale{(*numbers)[0], (*numbers)[1],
                             numbers->size() > 2 ? (*numbers)[2] : 2.0};
  if (scale.expandedPpm < 0.0) {
    reason = fmt::format("the expanded uncertainty U {} is below 0", scale.expandedPpm);
    return std::nullopt;
  }
  if (!(scale.k > 0.0)) {
    reason = fmt::format("the coverage factor K {} is not above 0", scale.k);
    return std::nullopt;
  }
  return scale;
}

constexpr const char* kFooter =
    "Exit status: 0 results written (a variance test that fails is warned of on standard error), "
    "1 the survey can't be adjusted (a pillar tied to no other, a distance not above 0, no "
    "degree of freedom, positions that go backwards; message on standard error), 2 wrong command "
    "line or a file that can't be read or written. Nothing is written unless the run succeeds. "
    "Each observation d is corrected by the reference instrument's scale to d (1 + S 1e-6) and "
    "weighted by the measured text's a priori accuracy (^ mm and % ppm); the pillars' positions "
    "and the instrument's constant are adjusted by least squares. A field file given as "
    "MEASURED_FILE is reduced first, as `mensuro-cli reduce` would, to horizontal distances at "
    "the height --horizontal-at gives.";

void AddInputOptions(CLI::App& command, BaselineCommandLine& line, CLI::Option*& previous) {
  command
      .add_option("MEASURED_FILE", line.measuredFile,
                  "The survey: a measured text of From,To,distance lines between the "
                  "baseline's pillars (any order, repeated and reversed observations allowed), "
                  "horizontal at one height, with the reference instrument's header lines; or a "
                  "field file")
      ->required();
  AddReadOption(command, "--pillars", line.pillars, ParsePillarOrder, "P1,P2,...",
                "The pillars in order along the line, the first the origin (default: inferred "
                "from the observations, the ends being the pillars of the longest distance)");
  AddReadOption(command, "--reference-scale", line.referenceScale, ParseReferenceScale, "S,U[,K]",
                "The reference instrument's certified scale correction S, ppm, with its expanded "
                "uncertainty U, ppm, at coverage factor K (default 2)");
  previous =
      command
          .add_option_function<std::string>(
              "--previous", [&line](const std::string& name) { line.previousName = name; },
              "Compare with the baseline's previous certificate, this baseline of the library")
          ->type_name("NAME");
  command
      .add_option("--library", line.libraryFile,
                  "The baseline library to use instead of the one installed with the program")
      ->type_name("LIBRARY_FILE");
  command
      .add_option("--previous-published", line.previousPublishedFile,
                  "Or compare with the previous certificate's distances in this published file")
      ->type_name("FILE")
      ->excludes(previous);
  AddReadOption(command, "--previous-uncertainty", line.previousUncertainty,
                ParseBaselineUncertainty, "A,B[,K]",
                "The expanded uncertainty A mm + B ppm at coverage factor K (default 2) of the "
                "previous certificate's distances, where the library gives none");
}

void AddOutputOptions(CLI::App& command, BaselineCommandLine& line) {
  command
      .add_option("--format", line.format,
                  "text: the pillars, the certified distances and the adjustment as a table; "
                  "json: the same in metres as one JSON document")
      ->check(CLI::IsMember({"text", "json"}))
      ->capture_default_str();
  command
      .add_option_function<std::string>(
          "--name", [&line](const std::string& name) { line.name = name; },
          "The baseline's name (default: the --previous baseline's, else the measured file's "
          "name without its folder and extension)")
      ->type_name("NAME");
  command
      .add_option("--library-entry", line.libraryEntryFile,
                  "Also write the baseline as a group of the baseline library (CR LF): its "
                  "certified distances, their own uncertainties and the marks' heights")
      ->type_name("FILE");
  command.add_option("--output", line.outputFile, "Also write the output to this file (CR LF)")
      ->type_name("FILE");
  command
      .add_option("--exclude", line.exclusions.pairs,
                  "Leave the observations of this pair (either order) out of the adjustment, for "
                  "the reason given after the colon; repeatable")
      ->type_name("FROM-TO[:REASON]")
      ->allow_extra_args(false);
  command
      .add_option("--exclude-line", line.exclusions.lines,
                  "Leave the observation on line N of the measured file out of the adjustment, for "
                  "the reason given after the colon; repeatable")
      ->type_name("N[:REASON]")
      ->allow_extra_args(false);
}

void AddFieldOptions(CLI::App& command, BaselineCommandLine& line, CLI::Option* previous) {
  std::vector<CLI::Option*> options = AddReductionOptions(command, line.reduction, previous);
  const std::vector<CLI::Option*> headerLines = AddHeaderLineOptions(command, line.reduction);
  options.insert(options.end(), headerLines.begin(), headerLines.end());
  options.push_back(
      command.add_flag("--field", line.field,
                       "Read MEASURED_FILE as a field file, and say what keeps it from being one"));
  for (CLI::Option* option : options) {
    option->group("Field files");
  }
}

// What is wrong with the options by themselves, or the empty text.
std::string OptionsProblem(const BaselineCommandLine& line) {
  if (!line.libraryFile.empty() && !line.previousName) {
    return "--library is used only with --previous";
  }
  if (!line.previousPublishedFile.empty() && !line.previousUncertainty) {
    return "--previous-published needs --previous-uncertainty A,B[,K]: the expanded uncertainty "
           "of the previous certificate's distances";
  }
  if (line.previousUncertainty && !line.previousName && line.previousPublishedFile.empty()) {
    return "--previous-uncertainty is used only with --previous or --previous-published";
  }
  if (line.name && TrimBlanks(*line.name).empty()) {
    return "--name needs the baseline's name";
  }
  if (line.reduction.distances == PublishedDistanceKind::kMarkToMark) {
    return "--distances mark-to-mark: a baseline's certified distances are horizontal";
  }
  if (std::string problem = BaselineCertificateOptionsProblem(line.certificate); !problem.empty()) {
    return problem;
  }
  return ReductionOptionsProblem(line.reduction);
}

// Everything the run reads, before anything is adjusted or written.
struct BaselineInputs {
  std::string measuredText;
  std::vector<std::size_t> fileLines;  // the field file's line of each line of a reduced text
  std::optional<CollectedBaseline> previousBaseline;
  std::string libraryFile;  // UTF-8, for messages; empty without --previous
  std::optional<std::vector<PreviousDistance>> previous;
};

// The previous certificate's pairs as the options name it; kExitSuccess, or the exit code after
// saying why not.
int ReadPrevious(const BaselineCommandLine& line, const char* argv0, BaselineInputs& inputs) {
  PreviousCertificateProblem problem;
  std::string fileName;
  if (line.previousName) {
    const std::filesystem::path library = LibraryPath(line.libraryFile, argv0);
    inputs.libraryFile = fileName = Utf8FromPath(library);
    inputs.previousBaseline = LibraryBaseline(library, *line.previousName);
    if (!inputs.previousBaseline) {
      return kExitUsage;
    }
    inputs.previous =
        PreviousFromLibrary(*inputs.previousBaseline, line.previousUncertainty, problem);
  } else if (!line.previousPublishedFile.empty()) {
    fileName = line.previousPublishedFile;
    std::string reason;
    const std::optional<std::string> text = ReadTextFile(PathFromUtf8(fileName), reason);
    if (!text) {
      return Fail(kExitUsage, "cannot read the published file '" + fileName + "': " + reason);
    }
    inputs.previous = PreviousFromPublished(*text, *line.previousUncertainty, problem);
  } else {
    return kExitSuccess;
  }
  if (inputs.previous) {
    return kExitSuccess;
  }
  return Fail(kExitUsage,
              fmt::format("{}{}: {}{}", fileName,
                          problem.line == 0 ? std::string() : fmt::format(":{}", problem.line),
                          problem.reason,
                          problem.uncertaintyMissing
                              ? "; give --previous-uncertainty A,B[,K] for the previous "
                                "certificate's distances"
                              : ""));
}

// The measured text of the survey, reduced from a field file when it is one; kExitSuccess, or
// the exit code after saying why not.
int ReadSurvey(const BaselineCommandLine& line, BaselineInputs& inputs) {
  std::string reason;
  std::optional<std::string> text = ReadTextFile(PathFromUtf8(line.measuredFile), reason);
  if (!text) {
    return Fail(kExitUsage, "cannot read the measured file '" + line.measuredFile + "': " + reason);
  }
  const bool field = line.field || !line.reduction.columns.empty() || IsFieldFileText(*text);
  if (!field) {
    // The heights file gives the library entry its heights; the rest reduce field files alone.
    std::vector<std::string_view> given = GivenReductionOptions(line.reduction);
    std::erase(given, std::string_view("--heights"));
    if (!given.empty()) {
      return Fail(kExitUsage, fmt::format("{} apply only to field files, and '{}' is a measured "
                                          "text (--field reads it as a field file)",
                                          fmt::join(given, ", "), line.measuredFile));
    }
    inputs.measuredText = std::move(*text);
    return kExitSuccess;
  }
  FieldReductionOptions options = line.reduction;
  options.baselineOption = "--previous";
  options.distances = PublishedDistanceKind::kHorizontal;
  std::optional<HeightsBaseline> heights;
  if (inputs.previousBaseline) {
    heights.emplace(*inputs.previousBaseline, *line.previousName, inputs.libraryFile);
  }
  std::optional<ReducedFieldFile> reduced =
      ReduceFieldFile(line.measuredFile, *text, options, heights);
  if (!reduced) {
    return kExitUsage;
  }
  if (reduced->reduction.kind == FieldDistanceKind::kSlope && !options.horizontalAt) {
    return Fail(kExitUsage,
                "the field file gives slope distances: give --horizontal-at H, the height the "
                "certified distances are horizontal at");
  }
  inputs.measuredText = std::move(reduced->measuredText);
  inputs.fileLines = std::move(reduced->fieldLines);
  return kExitSuccess;
}

// The marks' heights the library entry states: the heights file's, else the previous library
// baseline's; none without either. Nothing after saying why, for a file or line that doesn't
// read.
std::optional<StationHeights> EntryHeights(const BaselineCommandLine& line,
                                           const BaselineInputs& inputs) {
  FieldFileError error;
  if (!line.reduction.heightsFile.empty()) {
    std::string reason;
    const std::optional<std::string> text =
        ReadTextFile(PathFromUtf8(line.reduction.heightsFile), reason);
    if (!text) {
      Fail(kExitUsage,
           "cannot read the heights file '" + line.reduction.heightsFile + "': " + reason);
      return std::nullopt;
    }
    std::optional<StationHeights> heights = ReadHeightsFile(*text, error);
    if (!heights) {
      Fail(kExitUsage, FieldFileErrorText(line.reduction.heightsFile, error));
    }
    return heights;
  }
  if (!inputs.previousBaseline) {
    return StationHeights();
  }
  std::optional<StationHeights> heights = BaselineHeights(*inputs.previousBaseline, error);
  if (!heights) {
    Fail(kExitUsage, FieldFileErrorText(inputs.libraryFile, error));
  }
  return heights;
}

// The name the baseline goes by: --name, else the previous baseline's, else the measured file's
// name without its folder and extension.
std::string BaselineName(const BaselineCommandLine& line) {
  if (line.name) {
    return *line.name;
  }
  if (line.previousName) {
    return *line.previousName;
  }
  return Utf8FromPath(PathFromUtf8(line.measuredFile).stem());
}

// `text` with CR LF line ends, as every file the program writes has them.
std::string WithCrLf(std::string_view text) {
  std::string crlf;
  crlf.reserve(text.size() + text.size() / 16);
  for (const char c : text) {
    if (c == '\n') {
      crlf += '\r';
    }
    crlf += c;
  }
  return crlf;
}

bool WriteFile(const std::string& path, std::string_view bytes, std::string_view what) {
  std::string reason;
  if (WriteFileBytes(PathFromUtf8(path), bytes, reason) != 0) {
    Fail(kExitUsage, fmt::format("cannot write the {} '{}': {}", what, path, reason));
    return false;
  }
  return true;
}

// A variance test that failed, on standard error: the results stand, but the survey scattered
// more than the reference instrument's stated accuracy allows.
void WarnOfVarianceTest(const BaselineAdjustment& adjustment) {
  if (adjustment.varianceTest && !adjustment.varianceTest->passed) {
    PrintErrorLine(fmt::format(
        "mensuro-cli: warning: the variance test failed, chi-square {:.2f} above its critical "
        "{:.2f} (95 %, {} degrees of freedom): the survey scattered more than the reference "
        "instrument's stated accuracy (^ {} mm, % {} ppm)",
        adjustment.varianceTest->chiSquare, adjustment.varianceTest->critical, adjustment.dof,
        adjustment.aprioriMm, adjustment.aprioriPpm));
  }
}

}  // namespace

CLI::App* DescribeBaselineCommand(CLI::App& app, BaselineCommandLine& line) {
  CLI::App* command = app.add_subcommand(
      "baseline",
      "Calibrates a baseline itself: adjusts an all-combinations survey of its pillars with a "
      "calibrated reference instrument into certified distances between every pair of pillars, "
      "with their uncertainty, and compares them with the previous certificate");
  CLI::Option* previous = nullptr;
  AddInputOptions(*command, line, previous);
  AddOutputOptions(*command, line);
  AddFieldOptions(*command, line, previous);
  AddBaselineCertificateOptions(*command, line.certificate);
  command->footer(std::string(kFooter) + " " + kBaselineCertificateHelp + " " + FieldColumnsHelp());
  return command;
}

int RunBaseline(const BaselineCommandLine& line, const char* argv0) {
  if (const std::string problem = OptionsProblem(line); !problem.empty()) {
    return Fail(kExitUsage, problem + " (see baseline --help)");
  }
  // The document module and the certificate's details before anything is read or written.
  std::optional<BaselineCertificateOrder> certificate;
  if (const int read = ReadBaselineCertificateOrder(line.certificate, argv0, certificate);
      read != kExitSuccess) {
    return read;
  }
  BaselineInputs inputs;
  if (const int read = ReadPrevious(line, argv0, inputs); read != kExitSuccess) {
    return read;
  }
  if (const int read = ReadSurvey(line, inputs); read != kExitSuccess) {
    return read;
  }
  std::vector<NamedFile> outputs = {{"output file", line.outputFile},
                                    {"library entry file", line.libraryEntryFile}};
  std::vector<NamedFile> read = {{"measured file", line.measuredFile},
                                 {"baseline library", inputs.libraryFile},
                                 {"published file", line.previousPublishedFile},
                                 {"heights file", line.reduction.heightsFile}};
  std::ranges::copy(BaselineCertificateOutputs(line.certificate), std::back_inserter(outputs));
  std::ranges::copy(BaselineCertificateInputs(line.certificate), std::back_inserter(read));
  if (const std::string problem = OutputOverInputProblem(outputs, read); !problem.empty()) {
    return Fail(kExitUsage, problem);
  }
  std::optional<StationHeights> heights;
  if (!line.libraryEntryFile.empty()) {
    heights = EntryHeights(line, inputs);
    if (!heights) {
      return kExitUsage;
    }
  }
  std::string problem;
  std::optional<std::vector<Exclusion>> exclusions =
      ResolveExclusions(line.exclusions, inputs.measuredText, inputs.fileLines, problem);
  if (!exclusions) {
    return Fail(kExitUsage, problem);
  }

  BaselineSurveyRequest request;
  request.measuredText = std::move(inputs.measuredText);
  request.measuredFileName = line.measuredFile;
  request.options.pillarOrder = line.pillars.value_or(std::vector<std::string>());
  request.options.referenceScale = line.referenceScale;
  request.exclusions = std::move(*exclusions);
  request.previous = std::move(inputs.previous);
  request.previousSource = line.previousName ? *line.previousName : line.previousPublishedFile;
  BaselineSurveyError error;
  const std::optional<BaselineCalibration> calibration = CalibrateBaseline(request, error);
  if (!calibration) {
    return Fail(
        error.kind == BaselineSurveyError::Kind::kUsage ? kExitUsage : kExitProcessingFailed,
        error.message);
  }
  WarnOfVarianceTest(calibration->adjustment);

  const std::string name = BaselineName(line);
  if (const std::string problem = LibraryNameProblem(name); !problem.empty()) {
    return Fail(kExitUsage, problem + "; give another with --name");
  }
  const std::string output = line.format == "json" ? JsonText(BaselineCalibrationJson(*calibration))
                                                   : BaselineCalibrationText(*calibration, name);
  // A certificate withheld writes nothing: the results are printed, and the run then fails.
  const bool withheld = BaselineCertificateWithheld(line.certificate, *calibration);
  if (withheld) {
    PrintOut(output);
    return RefuseBaselineCertificate(*calibration);
  }
  std::string number;  // the certificate's, when the register issued it
  if (certificate) {
    const BaselineSurvey survey{name, request.measuredText, line.measuredFile,
                                !inputs.fileLines.empty()};
    if (const int written = WriteBaselineCertificate(line.certificate, *certificate, *calibration,
                                                     survey, request.options.pillarOrder, number);
        written != kExitSuccess) {
      return written;
    }
  }
  if (!line.libraryEntryFile.empty()) {
    LibraryEntryDetails details{name, number, {}};
    for (const PillarPosition& pillar : calibration->adjustment.pillars) {
      if (const std::optional<double> height = heights->Find(pillar.name)) {
        details.heights.emplace_back(pillar.name, *height);
      }
    }
    if (!WriteFile(line.libraryEntryFile,
                   BaselineLibraryEntry(details, calibration->adjustment.distances),
                   "library entry file")) {
      return kExitUsage;
    }
  }
  if (!line.outputFile.empty() && !WriteFile(line.outputFile, WithCrLf(output), "output file")) {
    return kExitUsage;
  }
  PrintOut(output);
  std::cout.flush();
  return std::cout ? kExitSuccess : Fail(kExitUsage, "cannot write to standard output");
}

}  // namespace mensuro::cli
