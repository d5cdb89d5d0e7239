#pragma once

// What each column of a field file holds. Data collectors and spreadsheets name the same
// quantity in many ways ("from", "from_pillar", "Station From", "at"); a column is matched to a
// quantity by its name with letter case, blanks, hyphens and underscores ignored. Where no name
// matches, the surveyor can say which column holds what (a column map).

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/reduction/field_table.h"

namespace mensuro {

enum class FieldQuantity : std::size_t {
  kFrom,
  kTo,
  kSlopeDistance,
  kHorizontalDistance,
  kInstrumentHeight,
  kReflectorHeight,
  kTemperature,
  kPressure,
  kHumidity,
  kWetBulb,
  kPpmSet,
  kDate,
  kTime,
};
inline constexpr std::size_t kFieldQuantityCount = 13;

// The quantity's own column name ("slope_distance"), the first of its accepted names.
std::string_view FieldQuantityName(FieldQuantity quantity);
// What it is, for a person choosing it: "slope distance (m)".
std::string_view FieldQuantityTitle(FieldQuantity quantity);
// Every name a column holding it may have, its own first.
const std::vector<std::string_view>& FieldQuantityNames(FieldQuantity quantity);
// The quantity a column name means; nothing for a name of none.
std::optional<FieldQuantity> FieldQuantityOfName(std::string_view columnName);

// Which column (counted from 0) holds each quantity; nothing where no column does.
struct FieldColumnMap {
  std::array<std::optional<std::size_t>, kFieldQuantityCount> columns{};

  const std::optional<std::size_t>& operator[](FieldQuantity quantity) const {
    return columns[static_cast<std::size_t>(quantity)];
  }
  std::optional<std::size_t>& operator[](FieldQuantity quantity) {
    return columns[static_cast<std::size_t>(quantity)];
  }
  bool operator==(const FieldColumnMap&) const = default;
};

// The quantities the table's column names mean. Nothing, with the error, when two columns mean
// the same quantity (naming both) or a name is given twice.
std::optional<FieldColumnMap> MatchFieldColumns(const FieldTable& table, FieldFileError& error);

// The same with the columns of `chosen` standing as the surveyor chose them: a chosen column holds
// its quantity only, and a quantity chosen is held by no other column whatever its name.
std::optional<FieldColumnMap> MatchFieldColumns(const FieldTable& table,
                                                const FieldColumnMap& chosen,
                                                FieldFileError& error);

// The quantities a map lacks for a field file to be read, each entry one quantity or two
// alternatives (slope or horizontal distance; humidity or wet bulb); empty when it lacks none.
std::vector<std::vector<FieldQuantity>> MissingFieldQuantities(const FieldColumnMap& map);

// What a map lacks for a field file to be read, as one error at the header row naming every
// missing column and the names each may have; nothing when it lacks nothing. A map that gives
// both of two alternatives (slope and horizontal distance, humidity and wet bulb) is an error
// too.
std::optional<FieldFileError> FieldColumnsProblem(const FieldTable& table,
                                                  const FieldColumnMap& map);

// Whether `text` is a field file: its first non-blank line is a header row whose columns name
// at least the two stations and a distance, slope or horizontal. A line that the measured text's
// reader takes without a warning (a header line, or an observation however its fields are set
// out with blanks, tabs and commas) is never such a row, so no measured text is taken for one.
bool IsFieldFileText(std::string_view text);

// Whether the first non-blank line of `text`, no field file by its names, is rather a row of
// column names than anything a measured text holds: three or more tab-separated cells, none a
// number, that the measured text's reader can only misread. A data collector's export under
// names no table knows looks so; the window asks before it reads such a file as field
// observations.
bool HasUnnamedFieldColumns(std::string_view text);

}  // namespace mensuro
