#include "cli/field_reduction_options.h"

#include <fmt/format.h>
#include <fmt/printf.h>
#include <fmt/ranges.h>
#include <algorithm>

#include "cli/command_line.h"
#include "cli/read_option.h"
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

// A part of the EDM's specified accuracy, which is never below 0: a negative value is most
// likely a correction (the prism constant, say) typed where the accuracy goes.
std::optional<double> ParseAccuracy(std::string_view text, std::string& reason) {
  std::optional<double> number = ParseNumber(text, reason);
  if (number && *number < 0.0) {
    reason = fmt::format("{} is below 0: give the EDM's specified accuracy, not a correction",
                         TrimBlanks(text));
    return std::nullopt;
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
    return fmt::format(
        "the field file gives slope distances, which need the marks' heights: {} NAME or "
        "--heights FILE",
        options.baselineOption);
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

// Every quantity by its own name, "from, to, ..., date or time".
std::string QuantityNames() {
  std::string names;
  for (std::size_t i = 0; i < kFieldQuantityCount; ++i) {
    names += i == 0 ? "" : i + 1 == kFieldQuantityCount ? " or " : ", ";
    names += FieldQuantityName(static_cast<FieldQuantity>(i));
  }
  return names;
}

// The header row's names, quoted, for a message.
std::string QuotedColumns(const FieldTable& table) {
  std::vector<std::string> quoted;
  for (const std::string& name : table.columns) {
    quoted.push_back(fmt::format("\"{}\"", name));
  }
  return fmt::format("{}", fmt::join(quoted, ", "));
}

// The columns the --column options name, by their index; nothing after saying why.
std::optional<FieldColumnMap> ChosenColumns(std::string_view fileName, const FieldTable& table,
                                            const std::vector<FieldColumnChoice>& choices) {
  FieldColumnMap chosen;
  for (const FieldColumnChoice& choice : choices) {
    const std::string given =
        fmt::format("--column {}={}", FieldQuantityName(choice.quantity), choice.column);
    const std::optional<FieldColumn> column = FindFieldColumn(table, choice.column);
    if (!column) {
      Fail(kExitUsage, fmt::format("{}: '{}' has no column of that name; its columns are {}", given,
                                   fileName, QuotedColumns(table)));
      return std::nullopt;
    }
    for (std::size_t other = 0; other < kFieldQuantityCount; ++other) {
      if (chosen.columns[other] == column->index) {
        Fail(
            kExitUsage,
            fmt::format("{}: the column \"{}\" is already given as {}; a column holds one "
                        "quantity",
                        given, column->name, FieldQuantityName(static_cast<FieldQuantity>(other))));
        return std::nullopt;
      }
    }
    chosen[choice.quantity] = column->index;
  }
  return chosen;
}

// The field file's observations, its columns as the names and the --column options say; nothing
// after saying why.
std::optional<FieldObservations> ReadObservations(std::string_view fileName, std::string_view text,
                                                  const std::vector<FieldColumnChoice>& choices) {
  FieldFileError error;
  const std::optional<FieldTable> table = ReadFieldTable(text, error);
  if (!table) {
    Fail(kExitUsage, FieldFileErrorText(fileName, error));
    return std::nullopt;
  }
  const std::optional<FieldColumnMap> chosen = ChosenColumns(fileName, *table, choices);
  if (!chosen) {
    return std::nullopt;
  }
  const std::optional<FieldColumnMap> map = MatchFieldColumns(*table, *chosen, error);
  if (!map) {
    Fail(kExitUsage, FieldFileErrorText(fileName, error));
    return std::nullopt;
  }
  if (std::optional<FieldFileError> problem = FieldColumnsProblem(*table, *map)) {
    if (!MissingFieldQuantities(*map).empty()) {
      problem->reason += "; --column QUANTITY=NAME says which column holds a quantity (see --help)";
    }
    Fail(kExitUsage, FieldFileErrorText(fileName, *problem));
    return std::nullopt;
  }
  std::optional<FieldObservations> observations = ReadFieldObservations(*table, *map, error);
  if (!observations) {
    Fail(kExitUsage, FieldFileErrorText(fileName, error));
  }
  return observations;
}

}  // namespace

std::optional<FieldColumnChoice> ParseFieldColumnChoice(std::string_view text,
                                                        std::string& reason) {
  const std::size_t equals = text.find('=');
  if (equals == std::string_view::npos) {
    reason = fmt::format("\"{}\" is not QUANTITY=NAME", text);
    return std::nullopt;
  }
  const std::string_view quantity = TrimBlanks(text.substr(0, equals));
  const std::string_view column = TrimBlanks(text.substr(equals + 1));
  for (std::size_t i = 0; i < kFieldQuantityCount; ++i) {
    if (FieldQuantityName(static_cast<FieldQuantity>(i)) != quantity) {
      continue;
    }
    if (column.empty()) {
      reason = fmt::format("\"{}\" names no column", text);
      return std::nullopt;
    }
    return FieldColumnChoice{static_cast<FieldQuantity>(i), std::string(column)};
  }
  reason =
      fmt::format("\"{}\" is not a quantity; the quantities are {}", quantity, QuantityNames());
  return std::nullopt;
}

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
  auto* columns =
      app.add_option_function<std::vector<std::string>>(
             "--column",
             [&options](const std::vector<std::string>& values) {
               for (const std::string& value : values) {
                 std::string reason;
                 std::optional<FieldColumnChoice> choice = ParseFieldColumnChoice(value, reason);
                 if (!choice) {
                   throw CLI::ValidationError("--column", reason);
                 }
                 options.columns.push_back(*std::move(choice));
               }
             },
             "Read the column NAME (as the header row spells it) as QUANTITY, where the names "
             "don't say what it holds; QUANTITY is " +
                 QuantityNames() +
                 ". Repeatable. It says the file is a field file, as --field does")
          ->type_name("QUANTITY=NAME")
          ->allow_extra_args(false);
  return {heights, wavelength, index, conditions, horizontalAt, distances, columns};
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
          AddReadOption(app, "--constant", options.constant, ParseAccuracy, "MM",
                        "The EDM's specified constant accuracy, mm (^)"),
          AddReadOption(app, "--ppm", options.ppm, ParseAccuracy, "PPM",
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
  const std::vector<FieldColumnChoice>& columns = options.columns;
  for (auto later = columns.begin(); later != columns.end(); ++later) {
    const auto earlier = std::find_if(
        columns.begin(), later,
        [&later](const FieldColumnChoice& choice) { return choice.quantity == later->quantity; });
    if (earlier != later) {
      return fmt::format("--column gives {} twice (\"{}\" and \"{}\"); a quantity is in one column",
                         FieldQuantityName(later->quantity), earlier->column, later->column);
    }
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
  add(!options.columns.empty(), "--column");
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
                                                const std::optional<HeightsBaseline>& baseline,
                                                const SensorCorrections& corrections) {
  const std::optional<FieldObservations> observations =
      ReadObservations(fileName, text, options.columns);
  if (!observations) {
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
  settings.sensorCorrections = corrections;
  FieldFileError error;
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
