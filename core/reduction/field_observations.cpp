#include "core/reduction/field_observations.h"

#include <fmt/format.h>
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

bool ReadWhen(const FieldTableRow& row, const ObservationColumns& columns,
              FieldObservation& observation, FieldFileError& error) {
  std::string reason;
  if (const std::string_view date = OptionalCell(row, columns.date); !date.empty()) {
    std::optional<std::string> read = ObservationDate(date, reason);
    if (!read) {
      error = {row.line, columns.date->index + 1, columns.date->name, reason};
      return false;
    }
    observation.date = *std::move(read);
  }
  if (const std::string_view time = OptionalCell(row, columns.time); !time.empty()) {
    std::optional<std::string> read = ObservationTime(time, reason);
    if (!read) {
      error = {row.line, columns.time->index + 1, columns.time->name, reason};
      return false;
    }
    observation.time = *std::move(read);
  }
  return true;
}

// Whole digits of `text` from `begin`, `count` of them; nothing when one isn't a digit.
std::optional<int> Digits(std::string_view text, std::size_t begin, std::size_t count) {
  int value = 0;
  for (std::size_t i = begin; i < begin + count; ++i) {
    if (i >= text.size() || text[i] < '0' || text[i] > '9') {
      return std::nullopt;
    }
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
  static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

}  // namespace

std::optional<std::string> ObservationDate(std::string_view text, std::string& reason) {
  std::optional<int> year, month, day;
  if (text.size() == 10 && text[4] == '-' && text[7] == '-') {
    year = Digits(text, 0, 4);
    month = Digits(text, 5, 2);
    day = Digits(text, 8, 2);
  } else if (text.size() == 10 && text[2] == '/' && text[5] == '/') {
    day = Digits(text, 0, 2);
    month = Digits(text, 3, 2);
    year = Digits(text, 6, 4);
  }
  if (!year || !month || !day) {
    reason = fmt::format("\"{}\" is not a date (2026-12-07 or 07/12/2026, day first)", text);
    return std::nullopt;
  }
  if (*year < 1900 || *month < 1 || *month > 12 || *day < 1 || *day > DaysInMonth(*year, *month)) {
    reason = fmt::format("\"{}\" is not a day of the calendar", text);
    return std::nullopt;
  }
  return fmt::format("{:02}-{:02}-{:04}", *day, *month, *year);
}

std::optional<std::string> ObservationTime(std::string_view text, std::string& reason) {
  const bool seconds = text.size() == 8 && text[5] == ':';
  std::optional<int> hour, minute, second = 0;
  if ((text.size() == 5 || seconds) && text[2] == ':') {
    hour = Digits(text, 0, 2);
    minute = Digits(text, 3, 2);
    second = seconds ? Digits(text, 6, 2) : std::optional<int>(0);
  }
  if (!hour || !minute || !second || *hour > 23 || *minute > 59 || *second > 59) {
    reason = fmt::format("\"{}\" is not a time of day (09:42 or 09:42:10)", text);
    return std::nullopt;
  }
  return fmt::format("{:02}:{:02}:{:02}", *hour, *minute, *second);
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
    if (!ReadWhen(row, columns, observation, error)) {
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

}  // namespace mensuro
