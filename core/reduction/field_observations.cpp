#include "core/reduction/field_observations.h"

#include <fmt/format.h>
#include <algorithm>
#include <array>
#include <functional>

#include "core/data/number_text.h"
#include "core/reduction/atmospheric_correction.h"

namespace mensuro {
namespace {

// The longest distance read: an EDM measures a few tens of kilometres at most, and the
// geometric reduction needs a chord well below the earth's diameter.
constexpr double kLongestDistance = 100000.0;  // m
// The shortest: the measured text gives distances to 0.01 mm.
constexpr double kShortestDistance = 0.001;  // m

using RangeProblem = std::function<std::string(double)>;

std::string DistanceProblem(double distance) {
  return distance >= kShortestDistance && distance <= kLongestDistance
             ? std::string()
             : fmt::format("{} m is not a measured distance (1 mm to 100 km)", distance);
}

std::string EquipmentHeightProblem(double height) {
  return height >= -100.0 && height <= 100.0
             ? std::string()
             : fmt::format("{} m is not a height above the mark (-100 to 100 m)", height);
}

std::string PpmSetProblem(double ppm) {
  return ppm >= -1000.0 && ppm <= 1000.0
             ? std::string()
             : fmt::format("{} is not an atmospheric ppm setting (-1000 to 1000)", ppm);
}

class ObservationReader {
 public:
  ObservationReader(const FieldTable& table, FieldFileError& error)
      : table_(table), error_(error) {}

  // The number of the row's cell in `column` into `into`; false, with the error, when it is
  // unreadable or `problem` finds it out of range.
  bool Read(const FieldTableRow& row, const FieldColumn& column, const RangeProblem& problem,
            double& into) {
    const std::optional<double> value = ReadFieldNumber(table_, row, column, error_);
    if (!value) {
      return false;
    }
    error_.reason = problem(*value);
    into = *value;
    return error_.reason.empty();
  }

 private:
  const FieldTable& table_;
  FieldFileError& error_;
};

// The columns of a slope file.
struct SlopeColumns {
  FieldColumn distance, instrumentHeight, reflectorHeight, temperature, pressure;
  std::optional<FieldColumn> humidity, wetBulb, ppmSet;
};

// The columns a complete map gives.
struct ObservationColumns {
  FieldColumn from, to;
  std::optional<FieldColumn> horizontal;
  std::optional<SlopeColumns> slope;
  std::optional<FieldColumn> date, time;
};

std::optional<FieldColumn> MappedColumn(const FieldTable& table, const FieldColumnMap& map,
                                        FieldQuantity quantity) {
  const std::optional<std::size_t> index = map[quantity];
  if (!index) {
    return std::nullopt;
  }
  return FieldColumn{*index, *index < table.columns.size() ? table.columns[*index] : std::string()};
}

ObservationColumns ColumnsOf(const FieldTable& table, const FieldColumnMap& map) {
  const auto column = [&table, &map](FieldQuantity quantity) {
    return MappedColumn(table, map, quantity);
  };
  ObservationColumns columns{*column(FieldQuantity::kFrom),
                             *column(FieldQuantity::kTo),
                             column(FieldQuantity::kHorizontalDistance),
                             std::nullopt,
                             column(FieldQuantity::kDate),
                             column(FieldQuantity::kTime)};
  if (const auto slope = column(FieldQuantity::kSlopeDistance)) {
    columns.slope = SlopeColumns{*slope,
                                 *column(FieldQuantity::kInstrumentHeight),
                                 *column(FieldQuantity::kReflectorHeight),
                                 *column(FieldQuantity::kTemperature),
                                 *column(FieldQuantity::kPressure),
                                 column(FieldQuantity::kHumidity),
                                 column(FieldQuantity::kWetBulb),
                                 column(FieldQuantity::kPpmSet)};
  }
  return columns;
}

bool ReadSlopeValues(ObservationReader& reader, const FieldTableRow& row,
                     const SlopeColumns& columns, FieldObservation& observation,
                     FieldFileError& error) {
  FieldWeather& weather = observation.weather;
  if (!(reader.Read(row, columns.distance, DistanceProblem, observation.distance) &&
        reader.Read(row, columns.instrumentHeight, EquipmentHeightProblem,
                    observation.instrumentHeight) &&
        reader.Read(row, columns.reflectorHeight, EquipmentHeightProblem,
                    observation.reflectorHeight) &&
        reader.Read(row, columns.temperature, TemperatureProblem, weather.temperature) &&
        reader.Read(row, columns.pressure, PressureProblem, weather.pressure))) {
    return false;
  }
  if (columns.ppmSet && !reader.Read(row, *columns.ppmSet, PpmSetProblem, observation.ppmSet)) {
    return false;
  }
  double humidity = 0.0;
  if (columns.humidity) {
    if (!reader.Read(row, *columns.humidity, HumidityProblem, humidity)) {
      return false;
    }
    weather.humidity = humidity;
    return true;
  }
  double wetBulb = 0.0;
  if (!reader.Read(row, *columns.wetBulb, TemperatureProblem, wetBulb)) {
    return false;
  }
  weather.wetBulb = wetBulb;
  if (VapourPressureFromWetBulb(weather.temperature, wetBulb, weather.pressure) < 0.0) {
    error = {row.line, columns.wetBulb->index + 1, columns.wetBulb->name,
             fmt::format("a wet bulb of {} °C at {} °C gives a negative vapour pressure", wetBulb,
                         weather.temperature)};
    return false;
  }
  return true;
}

// The cell of an optional date or time column, blanks around it dropped; empty cells allowed.
std::string_view OptionalCell(const FieldTableRow& row, const std::optional<FieldColumn>& column) {
  return column && column->index < row.cells.size() ? TrimBlanks(row.cells[column->index])
                                                    : std::string_view();
}

using WhenReader = std::optional<std::string> (*)(std::string_view, std::string&);

// The row's cell of an optional date or time column, read by `read` into `into`; an empty cell
// leaves it empty. False, with the error at the cell, for one that doesn't read.
bool ReadWhen(const FieldTableRow& row, const std::optional<FieldColumn>& column, WhenReader read,
              std::string& into, FieldFileError& error) {
  const std::string_view cell = OptionalCell(row, column);
  if (cell.empty()) {
    return true;
  }
  std::string reason;
  std::optional<std::string> value = read(cell, reason);
  if (!value) {
    error = {row.line, column->index + 1, column->name, reason};
    return false;
  }
  into = *std::move(value);
  return true;
}

// Reads a date or a time from left to right: numbers of so many digits and the characters
// between them.
class WhenCursor {
 public:
  explicit WhenCursor(std::string_view text) : text_(text) {}

  // A number of `fewest` to `most` digits.
  bool Number(std::size_t fewest, std::size_t most, int& value) {
    std::size_t digits = 0;
    value = 0;
    while (position_ < text_.size() && digits < most && text_[position_] >= '0' &&
           text_[position_] <= '9') {
      value = value * 10 + (text_[position_++] - '0');
      ++digits;
    }
    return digits >= fewest &&
           (position_ == text_.size() || text_[position_] < '0' || text_[position_] > '9');
  }
  // One of `characters`, into `which`.
  bool Separator(std::string_view characters, char& which) {
    if (position_ >= text_.size() || characters.find(text_[position_]) == std::string_view::npos) {
      return false;
    }
    which = text_[position_++];
    return true;
  }
  bool Character(char c) {
    if (position_ >= text_.size() || text_[position_] != c) {
      return false;
    }
    ++position_;
    return true;
  }
  bool AtEnd() const { return position_ == text_.size(); }

 private:
  std::string_view text_;
  std::size_t position_ = 0;
};

bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
  static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

}  // namespace

std::optional<std::string> ObservationDate(std::string_view text, std::string& reason) {
  int year = 0;
  int month = 0;
  int day = 0;
  char separator = 0;
  // ISO, year first; else day first, with "/", "." or "-" between the parts.
  WhenCursor iso(text);
  WhenCursor dayFirst(text);
  const bool read =
      (iso.Number(4, 4, year) && iso.Separator("-/.", separator) && iso.Number(1, 2, month) &&
       iso.Character(separator) && iso.Number(1, 2, day) && iso.AtEnd()) ||
      (dayFirst.Number(1, 2, day) && dayFirst.Separator("/.-", separator) &&
       dayFirst.Number(1, 2, month) && dayFirst.Character(separator) &&
       dayFirst.Number(4, 4, year) && dayFirst.AtEnd());
  if (!read) {
    reason = fmt::format("\"{}\" is not a date (2026-12-07 or 07/12/2026, day first)", text);
    return std::nullopt;
  }
  if (year < 1900 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) {
    reason = fmt::format("\"{}\" is not a day of the calendar", text);
    return std::nullopt;
  }
  return fmt::format("{:02}-{:02}-{:04}", day, month, year);
}

std::optional<std::string> ObservationTime(std::string_view text, std::string& reason) {
  int hour = 0;
  int minute = 0;
  int second = 0;
  int fraction = 0;
  WhenCursor cursor(text);
  bool read = cursor.Number(1, 2, hour) && cursor.Character(':') && cursor.Number(2, 2, minute);
  // Seconds may follow, and fractions of a second, as some data collectors record them; those
  // are dropped.
  if (read && cursor.Character(':')) {
    read = cursor.Number(2, 2, second) && (!cursor.Character('.') || cursor.Number(1, 9, fraction));
  }
  if (!read || !cursor.AtEnd() || hour > 23 || minute > 59 || second > 59) {
    reason = fmt::format("\"{}\" is not a time of day (09:42 or 09:42:10)", text);
    return std::nullopt;
  }
  return fmt::format("{:02}:{:02}:{:02}", hour, minute, second);
}

std::optional<FieldObservations> ReadFieldObservations(const FieldTable& table,
                                                       const FieldColumnMap& map,
                                                       FieldFileError& error) {
  if (std::optional<FieldFileError> problem = FieldColumnsProblem(table, map)) {
    error = *std::move(problem);
    return std::nullopt;
  }
  const ObservationColumns columns = ColumnsOf(table, map);
  ObservationReader reader(table, error);
  FieldObservations read;
  read.kind = columns.slope ? FieldDistanceKind::kSlope : FieldDistanceKind::kHorizontal;
  read.observations.reserve(table.rows.size());
  for (const FieldTableRow& row : table.rows) {
    if (std::optional<FieldFileError> cells = RowCellsProblem(table, row)) {
      error = *std::move(cells);
      return std::nullopt;
    }
    FieldObservation observation;
    observation.line = row.line;
    auto fromName = ReadStationName(row, columns.from, error);
    if (!fromName) {
      return std::nullopt;
    }
    auto toName = ReadStationName(row, columns.to, error);
    if (!toName) {
      return std::nullopt;
    }
    observation.fromStation = *std::move(fromName);
    observation.toStation = *std::move(toName);
    if (columns.slope) {
      if (!ReadSlopeValues(reader, row, *columns.slope, observation, error)) {
        return std::nullopt;
      }
    } else if (!reader.Read(row, *columns.horizontal, DistanceProblem, observation.distance)) {
      return std::nullopt;
    }
    if (!ReadWhen(row, columns.date, ObservationDate, observation.date, error) ||
        !ReadWhen(row, columns.time, ObservationTime, observation.time, error)) {
      return std::nullopt;
    }
    read.observations.push_back(std::move(observation));
  }
  if (read.observations.empty()) {
    error = {table.headerLine, 0, {}, "the file names its columns but holds no observations"};
    return std::nullopt;
  }
  return read;
}

std::optional<FieldObservations> ReadFieldObservations(std::string_view text,
                                                       FieldFileError& error) {
  const std::optional<FieldTable> table = ReadFieldTable(text, error);
  if (!table) {
    return std::nullopt;
  }
  const std::optional<FieldColumnMap> map = MatchFieldColumns(*table, error);
  return map ? ReadFieldObservations(*table, *map, error) : std::nullopt;
}

MeasurementTime FirstMeasurementTime(const FieldObservations& observations) {
  MeasurementTime first;
  for (const FieldObservation& observation : observations.observations) {
    if (first.date.empty()) {
      first.date = observation.date;
    }
    if (first.time.empty()) {
      first.time = observation.time;
    }
  }
  return first;
}

}  // namespace mensuro
