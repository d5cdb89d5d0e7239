#include "cli/reduce_command.h"

#include <fmt/format.h>
#include <fmt/printf.h>
#include <iostream>

#include "cli/command_line.h"
#include "cli/library_baseline.h"
#include "cli/terminal_output.h"
#include "core/data/file_bytes.h"
#include "core/data/file_names.h"
#include "core/data/number_text.h"
#include "core/data/text_encoding.h"
#include "core/reduction/field_reduction.h"

namespace mensuro::cli {
namespace {

std::optional<double> ParseNumber(std::string_view text, std::string& reason) {
  const std::optional<double> number = ReadWholeNumber(text);
  if (!number) {
    reason = fmt::format("\"{}\" is not a number", TrimBlanks(text));
  }
  return number;
}

// The header lines that were given, in the order and form a saved measured file has them.
std::string GivenHeaderLines(const ReduceCommandLine& line) {
  std::string lines;
  const auto text = [&lines](char prefix, const std::optional<std::string>& value) {
    if (value) {
      lines += prefix + *value + "\r\n";
    }
  };
  text('$', line.date);
  text('!', line.time);
  text('#', line.comment);
  text('@', line.edm);
  if (line.constant) {
    lines += fmt::sprintf("^%.4f\r\n", *line.constant);
  }
  if (line.ppm) {
    lines += fmt::sprintf("%%%.4f\r\n", *line.ppm);
  }
  return lines;
}

// The instrument's carrier, when its wavelength and one reference are given.
std::optional<EdmCarrier> Carrier(const ReduceCommandLine& line) {
  if (!line.wavelength || (!line.referenceIndex && !line.referenceConditions)) {
    return std::nullopt;
  }
  EdmCarrier carrier{*line.wavelength, 0.0};
  if (line.referenceIndex) {
    carrier.reference = *line.referenceIndex;
  } else {
    carrier.reference = *line.referenceConditions;
  }
  return carrier;
}

// The marks' heights and the kind of the published distances, from the library baseline or
// the heights file; nothing after saying why.
std::optional<StationHeights> MarkHeights(const ReduceCommandLine& line, const char* argv0,
                                          PublishedDistanceKind& kind) {
  FieldFileError error;
  std::string reason;
  if (line.baselineName) {
    const auto library = LibraryPath(line.libraryFile, argv0);
    const std::optional<CollectedBaseline> baseline = LibraryBaseline(library, *line.baselineName);
    if (!baseline) {
      return std::nullopt;
    }
    std::optional<PublishedDistanceKind> baselineKind = BaselineDistanceKind(*baseline, error);
    std::optional<StationHeights> heights =
        baselineKind ? BaselineHeights(*baseline, error) : std::nullopt;
    if (!heights) {
      Fail(kExitUsage, FieldFileErrorText(Utf8FromPath(library), error));
      return std::nullopt;
    }
    kind = line.distances.value_or(*baselineKind);
    return heights;
  }
  kind = line.distances.value_or(PublishedDistanceKind::kHorizontal);
  if (line.heightsFile.empty()) {
    return StationHeights();
  }
  const std::optional<std::string> text = ReadTextFile(PathFromUtf8(line.heightsFile), reason);
  if (!text) {
    Fail(kExitUsage, "cannot read the heights file '" + line.heightsFile + "': " + reason);
    return std::nullopt;
  }
  std::optional<StationHeights> heights = ReadHeightsFile(*text, error);
  if (!heights) {
    Fail(kExitUsage, FieldFileErrorText(line.heightsFile, error));
  }
  return heights;
}

// What the command line lacks for slope distances, or the empty text.
std::string MissingForSlopes(const ReduceCommandLine& line) {
  if (!line.baselineName && line.heightsFile.empty()) {
    return "the field file gives slope distances, which need the marks' heights: --baseline NAME "
           "or --heights FILE";
  }
  if (!line.wavelength) {
    return "the field file gives slope distances, which need the instrument's carrier: "
           "--wavelength UM";
  }
  if (!line.referenceIndex && !line.referenceConditions) {
    return "the field file gives slope distances, which need the instrument's reference: "
           "--reference-index N or --reference-conditions T,P,RH";
  }
  return {};
}

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
      "Reduces field observations (CSV: from, to, slope_distance, instrument_height, "
      "reflector_height, temperature, pressure, humidity or wet_bulb, optionally ppm_set; or "
      "from, to, horizontal_distance) to a measured text: each slope distance corrected for the "
      "atmosphere (IAG 1999) and reduced to the marks, horizontal or mark to mark");
  reduce->add_option("FIELD_FILE", line.fieldFile, "The field observations, a CSV file")
      ->required();
  auto* heights = reduce
                      ->add_option("--heights", line.heightsFile,
                                   "The marks' heights, a CSV file of station,height")
                      ->type_name("FILE");
  reduce
      ->add_option_function<std::string>(
          "--baseline", [&line](const std::string& name) { line.baselineName = name; },
          "Take the marks' heights (3:height= lines) and the kind of the published distances "
          "(3:distances=) from this baseline of the library")
      ->type_name("NAME")
      ->excludes(heights);
  reduce
      ->add_option("--library", line.libraryFile,
                   "The baseline library to use instead of the one installed with the program")
      ->type_name("LIBRARY_FILE");
  AddReadOption(*reduce, "--wavelength", line.wavelength, ParseWavelength, "UM",
                "The instrument's carrier wavelength, µm (from its manual)");
  auto* index =
      AddReadOption(*reduce, "--reference-index", line.referenceIndex, ParseReferenceIndex, "N",
                    "The refractive index the instrument's frequency is set for");
  AddReadOption(*reduce, "--reference-conditions", line.referenceConditions,
                ParseReferenceAtmosphere, "T,P,RH",
                "Or the atmosphere it is set for: °C, hPa and % relative humidity")
      ->excludes(index);
  AddReadOption(*reduce, "--horizontal-at", line.horizontalAt, ParseMarkHeight, "H",
                "Give horizontal distances at this height, m (default: the mean height of the "
                "two marks)");
  AddReadOption(*reduce, "--distances", line.distances, ParsePublishedDistanceKind,
                "horizontal|mark-to-mark",
                "What the published distances are (default: the library baseline's, else "
                "horizontal)");
  reduce
      ->add_option("--output", line.outputFile,
                   "Write the measured text to this file (CR LF) instead of standard output")
      ->type_name("MEASURED_FILE");
  reduce->add_option("--log", line.logFile, "Also write every step of the reduction as CSV")
      ->type_name("LOG_FILE");
  const auto headerText = [reduce](const std::string& name, std::optional<std::string>& target,
                                   const std::string& description) {
    reduce
        ->add_option_function<std::string>(
            name, [&target](const std::string& value) { target = value; }, description)
        ->type_name("TEXT");
  };
  headerText("--date", line.date, "The measured text's date ($)");
  headerText("--time", line.time, "Its time (!)");
  headerText("--comment", line.comment, "Its comment (#)");
  headerText("--edm", line.edm, "Its EDM description (@)");
  AddReadOption(*reduce, "--constant", line.constant, ParseNumber, "MM",
                "The EDM's specified constant accuracy, mm (^)");
  AddReadOption(*reduce, "--ppm", line.ppm, ParseNumber, "PPM",
                "The EDM's specified scale accuracy, ppm (%)");
  reduce->footer(
      "Exit status: 0 measured text written, 2 wrong command line or a file that can't be read, "
      "holds an error (named as FILE:LINE: column N (NAME): REASON) or can't be written.");
  return reduce;
}

int RunReduce(const ReduceCommandLine& line, const char* argv0) {
  if (line.wavelength && !line.referenceIndex && !line.referenceConditions) {
    return Fail(kExitUsage,
                "--wavelength needs --reference-index N or --reference-conditions T,P,RH");
  }
  if (!line.libraryFile.empty() && !line.baselineName) {
    return Fail(kExitUsage, "--library is used only with --baseline");
  }
  std::string reason;
  const std::optional<std::string> text = ReadTextFile(PathFromUtf8(line.fieldFile), reason);
  if (!text) {
    return Fail(kExitUsage, "cannot read the field file '" + line.fieldFile + "': " + reason);
  }
  FieldFileError error;
  const std::optional<FieldObservations> observations = ReadFieldObservations(*text, error);
  if (!observations) {
    return Fail(kExitUsage, FieldFileErrorText(line.fieldFile, error));
  }
  if (NeedsReduction(*observations)) {
    if (const std::string missing = MissingForSlopes(line); !missing.empty()) {
      return Fail(kExitUsage, missing);
    }
  }
  ReductionSettings settings;
  const std::optional<StationHeights> heights = MarkHeights(line, argv0, settings.target);
  if (!heights) {
    return kExitUsage;
  }
  settings.carrier = Carrier(line);
  settings.horizontalAt = line.horizontalAt;
  const std::optional<FieldReduction> reduction =
      ReduceFieldObservations(*observations, *heights, settings, error);
  if (!reduction) {
    return Fail(kExitUsage, FieldFileErrorText(line.fieldFile, error));
  }
  const std::string measured = GivenHeaderLines(line) + ReducedObservationLines(*reduction);
  if (!line.logFile.empty() && !WriteFile(line.logFile, ReductionLogCsv(*reduction), "log file")) {
    return kExitUsage;
  }
  if (!line.outputFile.empty()) {
    return WriteFile(line.outputFile, measured, "measured file") ? kExitSuccess : kExitUsage;
  }
  PrintOut(measured);
  std::cout.flush();
  return std::cout ? kExitSuccess : Fail(kExitUsage, "cannot write to standard output");
}

}  // namespace mensuro::cli
