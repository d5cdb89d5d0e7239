#include "core/reduction/field_observations.h"

#include <fmt/format.h>
#include <fmt/ranges.h>
#include <functional>

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

  // The column named `name`; with `required`, an error when the file lacks it.
  std::optional<FieldColumn> Column(std::string_view name, bool required) {
    std::optional<FieldColumn> column = FindFieldColumn(table_, name);
    if (!column && required) {
      missing_.push_back(fmt::format("\"{}\"", name));
      error_ = {table_.headerLine,
                0,
                {},
                missing_.size() == 1
                    ? fmt::format("the column {} is missing", missing_.front())
                    : fmt::format("the columns {} are missing", fmt::join(missing_, ", "))};
    }
    return column;
  }

  bool Missing() const { return !missing_.empty(); }

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
  std::vector<std::string> missing_;
};

// The columns of a slope file.
struct SlopeColumns {
  FieldColumn distance, instrumentHeight, reflectorHeight, temperature, pressure;
  std::optional<FieldColumn> humidity, wetBulb, ppmSet;
};

std::optional<SlopeColumns> FindSlopeColumns(ObservationReader& reader, const FieldColumn& slope,
                                             std::size_t headerLine, FieldFileError& error) {
  const auto instrument = reader.Column("instrument_height", true);
  const auto reflector = reader.Column("reflector_height", true);
  const auto temperature = reader.Column("temperature", true);
  const auto pressure = reader.Column("pressure", true);
  if (reader.Missing()) {
    return std::nullopt;
  }
  SlopeColumns columns{slope,
                       *instrument,
                       *reflector,
                       *temperature,
                       *pressure,
                       reader.Column("humidity", false),
                       reader.Column("wet_bulb", false),
                       reader.Column("ppm_set", false)};
  if (columns.humidity.has_value() == columns.wetBulb.has_value()) {
    error = {headerLine,
             0,
             {},
             columns.humidity ? "the columns \"humidity\" and \"wet_bulb\" are both given; keep one"
                              : "the column \"humidity\" or \"wet_bulb\" is missing"};
    return std::nullopt;
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

}  // namespace

std::optional<FieldObservations> ReadFieldObservations(std::string_view text,
                                                       FieldFileError& error) {
  const std::optional<FieldTable> table = ReadFieldTable(text, error);
  if (!table) {
    return std::nullopt;
  }
  if (auto repeated = RepeatedFieldColumn(*table)) {
    error = *std::move(repeated);
    return std::nullopt;
  }
  ObservationReader reader(*table, error);
  const auto from = reader.Column("from", true);
  const auto to = reader.Column("to", true);
  if (reader.Missing()) {
    return std::nullopt;
  }
  const auto slope = reader.Column("slope_distance", false);
  const auto horizontal = reader.Column("horizontal_distance", false);
  if (slope.has_value() == horizontal.has_value()) {
    error = {table->headerLine,
             0,
             {},
             slope ? "the columns \"slope_distance\" and \"horizontal_distance\" are both given; "
                     "keep one"
                   : "the column \"slope_distance\" (or \"horizontal_distance\") is missing"};
    return std::nullopt;
  }
  std::optional<SlopeColumns> slopeColumns;
  if (slope) {
    slopeColumns = FindSlopeColumns(reader, *slope, table->headerLine, error);
    if (!slopeColumns) {
      return std::nullopt;
    }
  }

  FieldObservations read;
  read.kind = slope ? FieldDistanceKind::kSlope : FieldDistanceKind::kHorizontal;
  read.observations.reserve(table->rows.size());
  for (const FieldTableRow& row : table->rows) {
    FieldObservation observation;
    observation.line = row.line;
    auto fromName = ReadStationName(row, *from, error);
    if (!fromName) {
      return std::nullopt;
    }
    auto toName = ReadStationName(row, *to, error);
    if (!toName) {
      return std::nullopt;
    }
    observation.fromStation = *std::move(fromName);
    observation.toStation = *std::move(toName);
    if (slopeColumns) {
      if (!ReadSlopeValues(reader, row, *slopeColumns, observation, error)) {
        return std::nullopt;
      }
    } else {
      if (!reader.Read(row, *horizontal, DistanceProblem, observation.distance)) {
        return std::nullopt;
      }
    }
    read.observations.push_back(std::move(observation));
  }
  if (read.observations.empty()) {
    error = {table->headerLine, 0, {}, "the file names its columns but holds no observations"};
    return std::nullopt;
  }
  return read;
}

}  // namespace mensuro
