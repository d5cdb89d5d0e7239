#include "core/reduction/station_heights.h"

#include <fmt/format.h>
#include <algorithm>

#include "core/data/number_text.h"

namespace mensuro {
namespace {

// A station name as the texts' readers see it in a comma-separated line: blanks removed.
std::string StationKey(std::string_view station) {
  std::string key(station);
  key.erase(std::remove(key.begin(), key.end(), ' '), key.end());
  return key;
}

// Reads "STATION,H" of a library line.
bool ReadLibraryHeight(std::string_view value, std::string& station, double& height,
                       std::string& reason) {
  const std::size_t comma = value.rfind(',');
  if (comma == std::string_view::npos) {
    reason = fmt::format("\"{}\" is not of the form STATION,H", value);
    return false;
  }
  station = StationKey(value.substr(0, comma));
  const std::optional<double> number = ReadWholeNumber(value.substr(comma + 1));
  if (station.empty()) {
    reason = "the station name is empty";
  } else if (!number) {
    reason = fmt::format("\"{}\" is not a height in metres", TrimBlanks(value.substr(comma + 1)));
  } else if (reason = MarkHeightProblem(*number); reason.empty()) {
    height = *number;
    return true;
  }
  return false;
}

}  // namespace

void StationHeights::Set(std::string_view station, double height) {
  heights_[StationKey(station)] = height;
}

std::optional<double> StationHeights::Find(std::string_view station) const {
  const auto found = heights_.find(StationKey(station));
  return found == heights_.end() ? std::nullopt : std::optional(found->second);
}

std::string MarkHeightProblem(double height) {
  return height >= -500.0 && height <= 9000.0
             ? std::string()
             : fmt::format("{} m is not the height of a mark (-500 to 9000 m)", height);
}

std::optional<double> ParseMarkHeight(std::string_view text, std::string& reason) {
  const std::optional<double> height = ReadWholeNumber(text);
  reason =
      height ? MarkHeightProblem(*height) : fmt::format("\"{}\" is not a number", TrimBlanks(text));
  return reason.empty() ? height : std::nullopt;
}

std::optional<StationHeights> BaselineHeights(const CollectedBaseline& baseline,
                                              FieldFileError& error) {
  StationHeights heights;
  for (const BaselineProperty& property : baseline.properties) {
    if (property.key != "height") {
      continue;
    }
    std::string station;
    double height = 0.0;
    std::string why;
    if (!ReadLibraryHeight(property.value, station, height, why)) {
      error = {property.line, 0, {}, "the mark's height: " + why};
      return std::nullopt;
    }
    heights.Set(station, height);
  }
  return heights;
}

std::optional<StationHeights> ReadHeightsFile(std::string_view text, FieldFileError& error) {
  std::optional<FieldTable> table = ReadFieldTable(text, error);
  if (!table) {
    return std::nullopt;
  }
  std::optional<FieldColumn> station = FindFieldColumn(*table, "station");
  std::optional<FieldColumn> height = FindFieldColumn(*table, "height");
  if (!station && !height) {
    // No header row: its cells are the first station's.
    table->rows.insert(table->rows.begin(), FieldTableRow{table->headerLine, table->columns});
    table->columns.clear();
    station = FieldColumn{0, "station"};
    height = FieldColumn{1, "height"};
  } else if (!station || !height) {
    error = {table->headerLine,
             0,
             {},
             fmt::format("the column \"{}\" is missing", station ? "height" : "station")};
    return std::nullopt;
  }
  StationHeights heights;
  for (const FieldTableRow& row : table->rows) {
    // Rows are checked against a header row; without one the first row only sets the columns.
    if (std::optional<FieldFileError> cells =
            table->columns.empty() ? std::nullopt : RowCellsProblem(*table, row)) {
      error = *std::move(cells);
      return std::nullopt;
    }
    const std::optional<std::string> name = ReadStationName(row, *station, error);
    if (!name) {
      return std::nullopt;
    }
    const std::optional<double> value = ReadFieldNumber(*table, row, *height, error);
    if (!value) {
      return std::nullopt;
    }
    if (error.reason = MarkHeightProblem(*value); !error.reason.empty()) {
      return std::nullopt;
    }
    heights.Set(*name, *value);
  }
  return heights;
}

std::optional<PublishedDistanceKind> ParsePublishedDistanceKind(std::string_view text,
                                                                std::string& reason) {
  const std::string_view kind = TrimBlanks(text);
  if (kind == "horizontal") {
    return PublishedDistanceKind::kHorizontal;
  }
  if (kind == "mark-to-mark") {
    return PublishedDistanceKind::kMarkToMark;
  }
  reason = fmt::format("\"{}\" is neither horizontal nor mark-to-mark", kind);
  return std::nullopt;
}

std::string_view PublishedDistanceKindName(PublishedDistanceKind kind) {
  return kind == PublishedDistanceKind::kMarkToMark ? "mark-to-mark" : "horizontal";
}

std::optional<PublishedDistanceKind> BaselineDistanceKind(const CollectedBaseline& baseline,
                                                          FieldFileError& error) {
  const std::optional<BaselineProperty> property = FindBaselineProperty(baseline, "distances");
  if (!property) {
    return PublishedDistanceKind::kHorizontal;
  }
  std::string why;
  const auto kind = ParsePublishedDistanceKind(property->value, why);
  if (!kind) {
    error = {property->line, 0, {}, "the published distances' kind: " + why};
  }
  return kind;
}

}  // namespace mensuro
