#include "core/reduction/field_columns.h"

#include <fmt/format.h>
#include <fmt/ranges.h>
#include <algorithm>
#include <utility>

#include "core/data/input_notices.h"
#include "core/data/line_fields.h"
#include "core/data/measured_text.h"
#include "core/data/number_text.h"
#include "core/data/text_lines.h"

namespace mensuro {
namespace {

struct QuantityNames {
  std::string_view title;
  std::vector<std::string_view> names;  // its own first
};

// The names surveyors' software writes, as they are usually spelt; matching ignores case,
// blanks, hyphens and underscores, so "Slope Dist" and "SLOPE-DIST" are "slope_dist".
const std::array<QuantityNames, kFieldQuantityCount>& AllNames() {
  static const std::array<QuantityNames, kFieldQuantityCount> names = {{
      {"from station", {"from", "from_pillar", "from_station", "station_from", "at", "occupied"}},
      {"to station", {"to", "to_pillar", "to_station", "station_to", "target", "sighted"}},
      {"slope distance (m)", {"slope_distance", "slope", "sd", "slope_dist", "measured_distance"}},
      {"horizontal distance (m)", {"horizontal_distance", "hd", "horizontal_dist"}},
      {"instrument height (m)",
       {"instrument_height", "height_of_instrument", "hi", "inst_height", "instrument_ht"}},
      {"reflector height (m)",
       {"reflector_height", "height_of_target", "ht", "target_height", "prism_height",
        "reflector_ht"}},
      {"temperature (°C)", {"temperature", "temp", "dry_bulb", "t"}},
      {"pressure (hPa)", {"pressure", "press", "p", "baro"}},
      {"relative humidity (%)", {"humidity", "rh", "relative_humidity"}},
      {"wet bulb temperature (°C)", {"wet_bulb", "wet", "wet_temp"}},
      {"ppm set in the instrument", {"ppm_set"}},
      {"date of the observation", {"date"}},
      {"time of the observation", {"time"}},
  }};
  return names;
}

const QuantityNames& NamesOf(FieldQuantity quantity) {
  return AllNames()[static_cast<std::size_t>(quantity)];
}

// A column name as it is compared: lower case, without blanks, hyphens and underscores.
std::string MatchedForm(std::string_view name) {
  std::string form;
  for (const char c : name) {
    if (c == ' ' || c == '\t' || c == '-' || c == '_') {
      continue;
    }
    form += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return form;
}

std::string ColumnText(const FieldTable& table, std::size_t index) {
  return fmt::format("column {} ({})", index + 1, table.columns[index]);
}

// `"slope_distance" (or "slope", "sd")`: a quantity and the other names it may have.
std::string NamedWithAlternatives(FieldQuantity quantity) {
  const std::vector<std::string_view>& names = NamesOf(quantity).names;
  std::string text = fmt::format("\"{}\"", names.front());
  if (names.size() > 1) {
    std::vector<std::string> others;
    for (std::size_t i = 1; i < names.size(); ++i) {
      others.push_back(fmt::format("\"{}\"", names[i]));
    }
    text += fmt::format(" (or {})", fmt::join(others, ", "));
  }
  return text;
}

// Of two alternatives, the error when a map gives both; the empty text otherwise.
std::string BothGiven(const FieldTable& table, const FieldColumnMap& map, FieldQuantity first,
                      FieldQuantity second) {
  if (!map[first] || !map[second]) {
    return {};
  }
  return fmt::format("the columns \"{}\" and \"{}\" are both given; keep one",
                     table.columns[*map[first]], table.columns[*map[second]]);
}

// The first line of `text` that holds more than blanks, without its line end.
std::string_view FirstNonBlankLine(std::string_view text) {
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (line.ends_with('\r')) {
      line.remove_suffix(1);
    }
    if (line.find_first_not_of(" \t") != std::string_view::npos) {
      return line;
    }
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  }
  return {};
}

// Whether the measured text's reader takes `line` without a warning: as a header line ("#...",
// "$...") or as an observation whose fields it reads as the surveyor set them out.
bool ReadWithoutWarning(std::string_view line) {
  line = TrimLineEnd(line);
  MeasurementHeader header;
  if (line.empty() || ApplyHeaderLine(line, header)) {
    return true;
  }
  std::string normalised(line);
  NormalizeSeparators(normalised);
  InputNotices notices;
  CheckLineFields(normalised, ReadNumber(GetField(normalised, 2)), {}, line, notices);
  return notices.warnings == 0;
}

}  // namespace

std::string_view FieldQuantityName(FieldQuantity quantity) {
  return NamesOf(quantity).names.front();
}

std::string_view FieldQuantityTitle(FieldQuantity quantity) {
  return NamesOf(quantity).title;
}

const std::vector<std::string_view>& FieldQuantityNames(FieldQuantity quantity) {
  return NamesOf(quantity).names;
}

std::optional<FieldQuantity> FieldQuantityOfName(std::string_view columnName) {
  const std::string form = MatchedForm(columnName);
  for (std::size_t quantity = 0; quantity < kFieldQuantityCount; ++quantity) {
    for (const std::string_view name : AllNames()[quantity].names) {
      if (form == MatchedForm(name)) {
        return static_cast<FieldQuantity>(quantity);
      }
    }
  }
  return std::nullopt;
}

std::optional<FieldColumnMap> MatchFieldColumns(const FieldTable& table, FieldFileError& error) {
  return MatchFieldColumns(table, FieldColumnMap{}, error);
}

std::optional<FieldColumnMap> MatchFieldColumns(const FieldTable& table,
                                                const FieldColumnMap& chosen,
                                                FieldFileError& error) {
  if (std::optional<FieldFileError> repeated = RepeatedFieldColumn(table)) {
    error = *std::move(repeated);
    return std::nullopt;
  }
  FieldColumnMap map = chosen;
  const auto isChosen = [&chosen](std::size_t index) {
    return std::find(chosen.columns.begin(), chosen.columns.end(), index) != chosen.columns.end();
  };
  for (std::size_t index = 0; index < table.columns.size(); ++index) {
    const std::optional<FieldQuantity> quantity = FieldQuantityOfName(table.columns[index]);
    if (!quantity || isChosen(index) || chosen[*quantity]) {
      continue;
    }
    if (const std::optional<std::size_t> earlier = map[*quantity]) {
      error = {table.headerLine, index + 1, table.columns[index],
               fmt::format("the column gives the {}, as {} does; keep one",
                           FieldQuantityTitle(*quantity), ColumnText(table, *earlier))};
      return std::nullopt;
    }
    map[*quantity] = index;
  }
  return map;
}

std::vector<std::vector<FieldQuantity>> MissingFieldQuantities(const FieldColumnMap& map) {
  std::vector<std::vector<FieldQuantity>> missing;
  const auto need = [&map, &missing](std::vector<FieldQuantity> alternatives) {
    if (std::none_of(alternatives.begin(), alternatives.end(),
                     [&map](FieldQuantity quantity) { return map[quantity].has_value(); })) {
      missing.push_back(std::move(alternatives));
    }
  };
  need({FieldQuantity::kFrom});
  need({FieldQuantity::kTo});
  need({FieldQuantity::kSlopeDistance, FieldQuantity::kHorizontalDistance});
  // What only slope distances need: asked for when the file gives them, or gives some of it.
  const bool slope = map[FieldQuantity::kSlopeDistance].has_value();
  const bool horizontal = map[FieldQuantity::kHorizontalDistance].has_value();
  const std::array slopeOnly = {FieldQuantity::kInstrumentHeight,
                                FieldQuantity::kReflectorHeight,
                                FieldQuantity::kTemperature,
                                FieldQuantity::kPressure,
                                FieldQuantity::kHumidity,
                                FieldQuantity::kWetBulb,
                                FieldQuantity::kPpmSet};
  const bool someSlopeColumn =
      std::any_of(slopeOnly.begin(), slopeOnly.end(),
                  [&map](FieldQuantity quantity) { return map[quantity].has_value(); });
  if (slope || (!horizontal && someSlopeColumn)) {
    need({FieldQuantity::kInstrumentHeight});
    need({FieldQuantity::kReflectorHeight});
    need({FieldQuantity::kTemperature});
    need({FieldQuantity::kPressure});
    need({FieldQuantity::kHumidity, FieldQuantity::kWetBulb});
  }
  return missing;
}

std::optional<FieldFileError> FieldColumnsProblem(const FieldTable& table,
                                                  const FieldColumnMap& map) {
  const FieldFileError atHeader{table.headerLine, 0, {}, {}};
  for (const auto& [first, second] :
       {std::pair{FieldQuantity::kSlopeDistance, FieldQuantity::kHorizontalDistance},
        std::pair{FieldQuantity::kHumidity, FieldQuantity::kWetBulb}}) {
    if (std::string both = BothGiven(table, map, first, second); !both.empty()) {
      FieldFileError error = atHeader;
      error.reason = std::move(both);
      return error;
    }
  }
  std::vector<std::string> missing;
  for (const std::vector<FieldQuantity>& lacking : MissingFieldQuantities(map)) {
    if (lacking.front() == FieldQuantity::kSlopeDistance) {
      missing.push_back(NamedWithAlternatives(lacking[0]) + ", or " +
                        NamedWithAlternatives(lacking[1]) + " for distances already reduced");
    } else if (lacking.size() == 2) {
      missing.push_back(NamedWithAlternatives(lacking[0]) + " or " +
                        NamedWithAlternatives(lacking[1]));
    } else {
      missing.push_back(NamedWithAlternatives(lacking[0]));
    }
  }
  if (missing.empty()) {
    return std::nullopt;
  }
  FieldFileError error = atHeader;
  error.reason = missing.size() == 1
                     ? fmt::format("the column {} is missing", missing.front())
                     : fmt::format("the columns {} are missing", fmt::join(missing, "; "));
  error.reason += " (letter case, blanks, hyphens and underscores in the names don't matter)";
  return error;
}

bool IsFieldFileText(std::string_view text) {
  const std::string_view first = FirstNonBlankLine(text);
  if (ReadWithoutWarning(first)) {
    return false;
  }
  FieldFileError error;
  const std::optional<FieldTable> header = ReadFieldTable(first, error);
  const std::optional<FieldColumnMap> map =
      header ? MatchFieldColumns(*header, error) : std::nullopt;
  if (!map) {
    return false;
  }
  using enum FieldQuantity;
  const FieldColumnMap& columns = *map;
  return columns[kFrom] && columns[kTo] &&
         (columns[kSlopeDistance] || columns[kHorizontalDistance]);
}

bool HasUnnamedFieldColumns(std::string_view text) {
  const std::string_view first = FirstNonBlankLine(text);
  if (ReadWithoutWarning(first) || IsFieldFileText(text)) {
    return false;
  }
  FieldFileError error;
  const std::optional<FieldTable> header = ReadFieldTable(first, error);
  return header && header->separator == '\t' && header->columns.size() >= 3 &&
         std::none_of(header->columns.begin(), header->columns.end(),
                      [](const std::string& cell) { return ReadWholeNumber(cell).has_value(); });
}

}  // namespace mensuro
