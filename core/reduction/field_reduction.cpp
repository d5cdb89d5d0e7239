#include "core/reduction/field_reduction.h"

#include <fmt/format.h>

#include "core/data/csv_cell.h"
#include "core/reduction/geometric_reduction.h"

namespace mensuro {
namespace {

double VapourPressure(const FieldWeather& weather) {
  return weather.humidity
             ? VapourPressureFromHumidity(weather.temperature, *weather.humidity)
             : VapourPressureFromWetBulb(weather.temperature, weather.wetBulb.value_or(0.0),
                                         weather.pressure);
}

// The readings of one observation plus the sensors' corrections, as if the file had been
// edited by hand; false, with the error at its line, when a corrected reading leaves the range
// reading the file allows.
bool CorrectReadings(const SensorCorrections& corrections, FieldObservation& observation,
                     FieldFileError& error) {
  FieldWeather& weather = observation.weather;
  weather.temperature += corrections.temperature;
  weather.pressure += corrections.pressure;
  if (weather.humidity) {
    *weather.humidity += corrections.humidity;
  }
  if (weather.wetBulb) {
    *weather.wetBulb += corrections.wetBulb;
  }
  std::string problem = TemperatureProblem(weather.temperature);
  if (problem.empty()) {
    problem = PressureProblem(weather.pressure);
  }
  if (problem.empty() && weather.humidity) {
    problem = HumidityProblem(*weather.humidity);
  }
  if (problem.empty() && weather.wetBulb) {
    problem = TemperatureProblem(*weather.wetBulb);
    if (problem.empty() &&
        VapourPressureFromWetBulb(weather.temperature, *weather.wetBulb, weather.pressure) < 0.0) {
      problem = fmt::format("a wet bulb of {} °C at {} °C gives a negative vapour pressure",
                            *weather.wetBulb, weather.temperature);
    }
  }
  if (problem.empty()) {
    return true;
  }
  error = {observation.line, 0, {}, problem + " once the sensors' corrections are added"};
  return false;
}

std::optional<double> MarkHeight(const StationHeights& heights, const FieldObservation& observation,
                                 const std::string& station, FieldFileError& error) {
  const std::optional<double> height = heights.Find(station);
  if (!height) {
    error = {observation.line,
             0,
             {},
             fmt::format("no height is known for the station \"{}\"", Latin1ToUtf8(station))};
  }
  return height;
}

// The atmospheric and geometric steps of one slope distance; false, with the error, when the
// marks' heights are unknown or the height difference exceeds the distance.
bool ReduceSlope(const StationHeights& heights, const ReductionSettings& settings,
                 double groupRefractivity, double referenceRefractivity, ReducedObservation& row,
                 FieldFileError& error) {
  const FieldObservation& observation = row.observation;
  const auto fromMark = MarkHeight(heights, observation, observation.fromStation, error);
  if (!fromMark) {
    return false;
  }
  const auto toMark = MarkHeight(heights, observation, observation.toStation, error);
  if (!toMark) {
    return false;
  }
  const FieldWeather& weather = observation.weather;
  row.withoutSetting = DistanceWithoutSetting(observation.distance, observation.ppmSet);
  row.vapourPressure = VapourPressure(weather);
  row.airRefractivity =
      AirRefractivity(groupRefractivity, weather.temperature, weather.pressure, row.vapourPressure);
  row.referenceRefractivity = referenceRefractivity;
  row.corrected =
      FirstVelocityCorrected(row.withoutSetting, referenceRefractivity, row.airRefractivity);
  row.fromMark = *fromMark;
  row.toMark = *toMark;
  row.instrumentPoint = *fromMark + observation.instrumentHeight;
  row.reflectorPoint = *toMark + observation.reflectorHeight;
  const std::optional<double> chord =
      ChordAtZero(row.corrected, row.instrumentPoint, row.reflectorPoint);
  if (!chord) {
    error = {observation.line,
             0,
             {},
             fmt::format("the height difference between instrument and reflector, {:.4f} m, is "
                         "not less than the distance, {:.4f} m",
                         row.reflectorPoint - row.instrumentPoint, row.corrected)};
    return false;
  }
  row.chord = *chord;
  if (settings.target == PublishedDistanceKind::kMarkToMark) {
    row.reduced = MarkToMarkDistance(row.chord, row.fromMark, row.toMark);
  } else {
    row.referenceHeight = settings.horizontalAt.value_or((row.fromMark + row.toMark) / 2.0);
    row.reduced = HorizontalDistance(row.chord, row.referenceHeight);
  }
  return true;
}

}  // namespace

bool NeedsReduction(const FieldObservations& observations) {
  return observations.kind == FieldDistanceKind::kSlope;
}

std::optional<FieldReduction> ReduceFieldObservations(const FieldObservations& observations,
                                                      const StationHeights& heights,
                                                      const ReductionSettings& settings,
                                                      FieldFileError& error) {
  FieldReduction reduction;
  reduction.kind = observations.kind;
  reduction.target = settings.target;
  const bool slope = NeedsReduction(observations);
  if (slope && !settings.carrier) {
    error = {observations.observations.empty() ? 1 : observations.observations.front().line,
             0,
             {},
             "the file gives slope distances, which need the instrument's carrier wavelength "
             "and reference refractive index or conditions"};
    return std::nullopt;
  }
  const double groupRefractivity = slope ? GroupRefractivity(settings.carrier->wavelength) : 0.0;
  const double referenceRefractivity = slope ? ReferenceRefractivity(*settings.carrier) : 0.0;
  reduction.rows.reserve(observations.observations.size());
  for (const FieldObservation& observation : observations.observations) {
    ReducedObservation row;
    row.observation = observation;
    if (slope && !CorrectReadings(settings.sensorCorrections, row.observation, error)) {
      return std::nullopt;
    }
    if (!slope) {
      row.reduced = observation.distance;
    } else if (!ReduceSlope(heights, settings, groupRefractivity, referenceRefractivity, row,
                            error)) {
      return std::nullopt;
    }
    reduction.rows.push_back(std::move(row));
  }
  return reduction;
}

std::string ReducedObservationLines(const FieldReduction& reduction) {
  std::string lines;
  for (const ReducedObservation& row : reduction.rows) {
    lines += fmt::format("{},{},{:.5f}\r\n", row.observation.fromStation, row.observation.toStation,
                         row.reduced);
  }
  return lines;
}

std::string ReductionLogCsv(const FieldReduction& reduction) {
  std::string log =
      "line,from,to,raw_distance,ppm_set,D0,e,N_L,N_REF,D1,H_from,H_to,h_a,h_b,c0,H_ref,"
      "reduced_distance\r\n";
  const bool slope = reduction.kind == FieldDistanceKind::kSlope;
  const bool horizontal = reduction.target == PublishedDistanceKind::kHorizontal;
  for (const ReducedObservation& row : reduction.rows) {
    const FieldObservation& observation = row.observation;
    log += fmt::format("{},{},{},{:.6f},", observation.line,
                       CsvCell(Latin1ToUtf8(observation.fromStation)),
                       CsvCell(Latin1ToUtf8(observation.toStation)), observation.distance);
    if (slope) {
      log += fmt::format(
          "{:.3f},{:.6f},{:.4f},{:.4f},{:.4f},{:.6f},{:.4f},{:.4f},{:.4f},{:.4f},"
          "{:.6f},",
          observation.ppmSet, row.withoutSetting, row.vapourPressure, row.airRefractivity,
          row.referenceRefractivity, row.corrected, row.fromMark, row.toMark, row.instrumentPoint,
          row.reflectorPoint, row.chord);
      log += horizontal ? fmt::format("{:.4f},", row.referenceHeight) : ",";
    } else {
      log += ",,,,,,,,,,,,";
    }
    log += fmt::format("{:.6f}\r\n", row.reduced);
  }
  return log;
}

}  // namespace mensuro
