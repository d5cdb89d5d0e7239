#pragma once

// A field file reduced to a measured text as the command line asks, for `mensuro-cli reduce` and
// for a calibration run given a field file: the options of the instrument, the marks' heights
// and the measured text's header lines, and the reduction they drive.

#include <CLI/CLI.hpp>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/data/baseline_library.h"
#include "core/reduction/atmospheric_correction.h"
#include "core/reduction/field_columns.h"
#include "core/reduction/field_reduction.h"
#include "core/reduction/reduction_summary.h"
#include "core/reduction/station_heights.h"

namespace mensuro::cli {

// A column of the field file named for a quantity the names don't reveal: --column QUANTITY=NAME.
struct FieldColumnChoice {
  FieldQuantity quantity = FieldQuantity::kFrom;
  std::string column;  // the header row's name, as the file spells it (letter case aside)
};

// A --column value: the quantity's own name (FieldQuantityName), "=" and the column's name.
// Nothing, with the reason, for anything else.
std::optional<FieldColumnChoice> ParseFieldColumnChoice(std::string_view text, std::string& reason);

struct FieldReductionOptions {
  std::string heightsFile;  // the marks' heights, when no library baseline gives them
  std::optional<double> wavelength;
  std::optional<double> referenceIndex;
  std::optional<ReferenceAtmosphere> referenceConditions;
  std::optional<double> horizontalAt;
  std::optional<PublishedDistanceKind> distances;  // nothing: the baseline's, else horizontal
  // The measured text's header lines, each written only when given.
  std::optional<std::string> date, time, comment, edm;
  std::optional<double> constant, ppm;
  // Columns the surveyor names; giving one says the file is a field file.
  std::vector<FieldColumnChoice> columns;
  // The command's option that names the library baseline giving the heights, as messages name it.
  std::string_view baselineOption = "--baseline";
};

// Declares the reduction's options on `app`, bound to `options`, and returns them; --heights
// excludes `baseline` (the option that names a library baseline giving the heights).
std::vector<CLI::Option*> AddReductionOptions(CLI::App& app, FieldReductionOptions& options,
                                              CLI::Option* baseline);

// Declares the options of the measured text's header lines and returns them.
std::vector<CLI::Option*> AddHeaderLineOptions(CLI::App& app, FieldReductionOptions& options);

// The columns a field file may have, by their names, for the help.
std::string FieldColumnsHelp();

// What is wrong with the options by themselves, or the empty text.
std::string ReductionOptionsProblem(const FieldReductionOptions& options);

// The names of the options given, in the order the help lists them.
std::vector<std::string_view> GivenReductionOptions(const FieldReductionOptions& options);

// The library baseline that gives the marks' heights and the kind of the published distances.
struct HeightsBaseline {
  const CollectedBaseline& baseline;
  std::string_view name;
  std::string_view libraryFile;  // UTF-8, for messages
};

struct ReducedFieldFile {
  std::string measuredText;  // header lines and observation lines, CR LF
  // The field file's line of each line of `measuredText`, 0 for a header line.
  std::vector<std::size_t> fieldLines;
  FieldReduction reduction;
  ReductionSummary summary;
};

// The field file `fileName` of text `text` reduced as `options` ask, the heights from
// `baseline` when given, else from the options' heights file, the date and the time of the
// first observation that has them unless the options give them, the readings corrected by the
// sensors' certificates. Nothing, after saying why, for an error in any of the files or a missing
// option.
std::optional<ReducedFieldFile> ReduceFieldFile(std::string_view fileName, std::string_view text,
                                                const FieldReductionOptions& options,
                                                const std::optional<HeightsBaseline>& baseline,
                                                const SensorCorrections& corrections = {});

}  // namespace mensuro::cli
