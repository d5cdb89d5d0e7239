#include "cli/field_reduction_options.h"

#include <fmt/format.h>
#include <fmt/printf.h>
#include <algorithm>

#include "cli/command_line.h"
#include "cli/terminal_output.h"
#include "core/data/file_names.h"
#include "core/data/number_text.h"
#include "core/data/text_encoding.h"
#include "core/reduction/field_columns.h"
#include "core/reduction/field_table.h"

namespace mensuro::cli {
namespace {

std::optional<double> ParseNumber(std::string_view text, std::string& reason) {
  const std::optional<double> number = ReadWholeNumber(text);
  if (!number) {
    reason = fmt::format("\"{}\" is not a number", TrimBlanks(text));
  }
  return number;
}

// The header lines that were given, in the order and form a saved measured file has them; the
// date and the time, when not given, are those the field file states, as the window's import
// offers them.
std::string HeaderLines(const FieldReductionOptions& options, const MeasurementTime& measured) {
  std::string lines;
  const auto text = [&lines](char prefix, const std::optional<std::string>& value) {
    if (value) {
      lines += prefix + *value + "\r\n";
    }
  };
  const auto stated = [](const std::string& value) {
    return value.empty() ? std::nullopt : std::optional(value);
  };
  text('$', options.date ? options.date : stated(measured.date));
  text('!', options.time ? options.time : stated(measured.time));
  text('#', options.comment);
  text('@', options.edm);
  if (options.constant) {
    lines += fmt::sprintf("^%.4f\r\n", *options.constant);
  }
  if (options.ppm) {
    lines += fmt::sprintf("%%%.4f\r\n", *options.ppm);
  }
  return lines;
}

// The instrument's carrier, when its wavelength and one reference are given.
std::optional<EdmCarrier> Carrier(const FieldReductionOptions& options) {
  if (!options.wavelength || (!options.referenceIndex && !options.referenceConditions)) {
    return std::nullopt;
  }
  EdmCarrier carrier{*options.wavelength, 0.0};
  if (options.referenceIndex) {
    carrier.reference = *options.referenceIndex;
  } else {
    carrier.reference = *options.referenceConditions;
  }
  return carrier;
}

// The marks' heights, the kind of the published distances and where the heights came from,
// from the library baseline or the heights file; nothing after saying why.
std::optional<StationHeights> MarkHeights(const FieldReductionOptions& options,
                                          const std::optional<HeightsBaseline>& baseline,
                                          PublishedDistanceKind& kind, std::string& source) {
  FieldFileError error;
  std::string reason;
  if (baseline) {
    std::optional<PublishedDistanceKind> baselineKind =
        BaselineDistanceKind(baseline->baseline, error);
    std::optional<StationHeights> heights =
        baselineKind ? BaselineHeights(baseline->baseline, error) : std::nullopt;
    if (!heights) {
      Fail(kExitUsage, FieldFileErrorText(baseline->libraryFile, error));
      return std::nullopt;
    }
    kind = options.distances.value_or(*baselineKind);
    source = fmt::format("library baseline {}", baseline->name);
    return heights;
  }
  kind = options.distances.value_or(PublishedDistanceKind::kHorizontal);
  if (options.heightsFile.empty()) {
    return StationHeights();
  }
  source = fmt::format("heights file {}", options.heightsFile);
  const std::optional<std::string> text = ReadTextFile(PathFromUtf8(options.heightsFile), reason);
  if (!text) {
    Fail(kExitUsage, "cannot read the heights file '" + options.heightsFile + "': " + reason);
    return std::nullopt;
  }
  std::optional<StationHeights> heights = ReadHeightsFile(*text, error);
  if (!heights) {
    Fail(kExitUsage, FieldFileErrorText(options.heightsFile, error));
  }
  return heights;
}

// What the command line lacks for slope distances, or the empty text.
std::string MissingForSlopes(const FieldReductionOptions& options, bool fromBaseline) {
  if (!fromBaseline && options.heightsFile.empty()) {
    return "the field file gives slope distances, which need the marks' heights: --baseline NAME "
           "or --heights FILE";
  }
  if (!options.wavelength) {
    return "the field file gives slope distances, which need the instrument's carrier: "
           "--wavelength UM";
  }
  if (!options.referenceIndex && !options.referenceConditions) {
    return "the field file gives slope distances, which need the instrument's reference: "
           "--reference-index N or --reference-conditions T,P,RH";
  }
  return {};
}

}  // namespace

std::vector<CLI::Option*> AddReductionOptions(CLI::App& app, FieldReductionOptions& options,
                                              CLI::Option* baseline) {
  auto* heights = app.add_option("--heights", options.heightsFile,
                                 "The marks' heights, a CSV file of station,height")
                      ->type_name("FILE")
                      ->excludes(baseline);
  auto* wavelength = AddReadOption(app, "--wavelength", options.wavelength, ParseWavelength, "UM",
                                   "The instrument's carrier wavelength, µm (from its manual)");
  auto* index = AddReadOption(app, "--reference-index", options.referenceIndex, ParseReferenceIndex,
                              "N", "The refractive index the instrument's frequency is set for");
  auto* conditions =
      AddReadOption(app, "--reference-conditions", options.referenceConditions,
                    ParseReferenceAtmosphere, "T,P,RH",
                    "Or the atmosphere it is set for: °C, hPa and % relative humidity")
          ->excludes(index);
  auto* horizontalAt =
      AddReadOption(app, "--horizontal-at", options.horizontalAt, ParseMarkHeight, "H",
                    "Give horizontal distances at this height, m (default: the mean height of "
                    "the two marks)");
  auto* distances = AddReadOption(
      app, "--distances", options.distances, ParsePublishedDistanceKind, "horizontal|mark-to-mark",
      "What the published distances are (default: the library baseline's, else "
      "horizontal)");
  return {heights, wavelength, index, conditions, horizontalAt, distances};
}

std::vector<CLI::Option*> AddHeaderLineOptions(CLI::App& app, FieldReductionOptions& options) {
  const auto headerText = [&app](const std::string& name, std::optional<std::string>& target,
                                 const std::string& description) {
    return app
        .add_option_function<std::string>(
            name, [&target](const std::string& value) { target = value; }, description)
        ->type_name("TEXT");
  };
  return {headerText("--date", options.date,
                     "The measured text's date ($; default: the field file's first)"),
          headerText("--time", options.time, "Its time (!; default: the field file's first)"),
          headerText("--comment", options.comment, "Its comment (#)"),
          headerText("--edm", options.edm, "Its EDM description (@)"),
          AddReadOption(app, "--constant", options.constant, ParseNumber, "MM",
                        "The EDM's specified constant accuracy, mm (^)"),
          AddReadOption(app, "--ppm", options.ppm, ParseNumber, "PPM",
                        "The EDM's specified scale accuracy, ppm (%)")};
}

std::string FieldColumnsHelp() {
  const auto names = [](FieldQuantity quantity) {
    const std::vector<std::string_view>& all = FieldQuantityNames(quantity);
    std::string text(all.front());
    for (std::size_t i = 1; i < all.size(); ++i) {
      text += fmt::format("{}{}", i == 1 ? " (or " : ", ", all[i]);
    }
    return all.size() > 1 ? text + ")" : text;
  };
  using enum FieldQuantity;
  return fmt::format(
      "A field file is a CSV file (comma, semicolon or tab) whose header row names its columns, "
      "letter case, blanks, - and _ aside: {}; {}; {}; {}; {}; {}; {}; {} or {}; optionally "
      "{}, {}, {}. A file of reduced distances gives {}, {} and {}.",
      names(kFrom), names(kTo), names(kSlopeDistance), names(kInstrumentHeight),
      names(kReflectorHeight), names(kTemperature), names(kPressure), names(kHumidity),
      names(kWetBulb), names(kPpmSet), names(kDate), names(kTime), FieldQuantityName(kFrom),
      FieldQuantityName(kTo), names(kHorizontalDistance));
}

std::string ReductionOptionsProblem(const FieldReductionOptions& options) {
  if (options.wavelength && !options.referenceIndex && !options.referenceConditions) {
    return "--wavelength needs --reference-index N or --reference-conditions T,P,RH";
  }
  return {};
}

std::vector<std::string_view> GivenReductionOptions(const FieldReductionOptions& options) {
  std::vector<std::string_view> given;
  const auto add = [&given](bool isGiven, std::string_view name) {
    if (isGiven) {
      given.push_back(name);
    }
  };
  add(!options.heightsFile.empty(), "--heights");
  add(options.wavelength.has_value(), "--wavelength");
  add(options.referenceIndex.has_value(), "--reference-index");
  add(options.referenceConditions.has_value(), "--reference-conditions");
  add(options.horizontalAt.has_value(), "--horizontal-at");
  add(options.distances.has_value(), "--distances");
  add(options.date.has_value(), "--date");
  add(options.time.has_value(), "--time");
  add(options.comment.has_value(), "--comment");
  add(options.edm.has_value(), "--edm");
  add(options.constant.has_value(), "--constant");
  add(options.ppm.has_value(), "--ppm");
  return given;
}

std::optional<ReducedFieldFile> ReduceFieldFile(std::string_view fileName, std::string_view text,
                                                const FieldReductionOptions& options,
                                                const std::optional<HeightsBaseline>& baseline) {
  FieldFileError error;
  const std::optional<FieldObservations> observations = ReadFieldObservations(text, error);
  if (!observations) {
    Fail(kExitUsage, FieldFileErrorText(fileName, error));
    return std::nullopt;
  }
  if (NeedsReduction(*observations)) {
    if (const std::string missing = MissingForSlopes(options, baseline.has_value());
        !missing.empty()) {
      Fail(kExitUsage, missing);
      return std::nullopt;
    }
  }
  ReductionSettings settings;
  std::string heightsSource;
  const std::optional<StationHeights> heights =
      MarkHeights(options, baseline, settings.target, heightsSource);
  if (!heights) {
    return std::nullopt;
  }
  settings.carrier = Carrier(options);
  settings.horizontalAt = options.horizontalAt;
  std::optional<FieldReduction> reduction =
      ReduceFieldObservations(*observations, *heights, settings, error);
  if (!reduction) {
    Fail(kExitUsage, FieldFileErrorText(fileName, error));
    return std::nullopt;
  }
  const std::string header = HeaderLines(options, FirstMeasurementTime(*observations));
  std::vector<std::size_t> fieldLines(
      static_cast<std::size_t>(std::count(header.begin(), header.end(), '\n')), 0);
  for (const ReducedObservation& row : reduction->rows) {
    fieldLines.push_back(row.observation.line);
  }
  std::string measured = header + ReducedObservationLines(*reduction);
  ReductionSummary summary = SummariseReduction(*reduction, settings, std::move(heightsSource));
  return ReducedFieldFile{std::move(measured), std::move(fieldLines), *std::move(reduction),
                          std::move(summary)};
}

}  // namespace mensuro::cli
