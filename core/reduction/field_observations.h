#pragma once

// The observations of a field file: a CSV file with a header row naming its columns, in any
// order and letter case. A file of slope distances has the columns from, to, slope_distance (m),
// instrument_height (m), reflector_height (m), temperature (°C), pressure (hPa), and humidity (%)
// or wet_bulb (°C), optionally ppm_set (the atmospheric ppm set in the instrument). A file of
// already reduced distances has from, to and horizontal_distance (m) only. Other columns are
// ignored.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/reduction/field_table.h"

namespace mensuro {

enum class FieldDistanceKind { kSlope, kHorizontal };

// The air along the line as measured with it.
struct FieldWeather {
  double temperature = 0.0;        // °C
  double pressure = 0.0;           // hPa
  std::optional<double> humidity;  // %, or
  std::optional<double> wetBulb;   // °C
};

struct FieldObservation {
  std::size_t line = 0;     // the file's line, for messages and the log
  std::string fromStation;  // single-byte (Latin-1) text, as the measured text holds it
  std::string toStation;
  double distance = 0.0;  // the slope distance displayed, or the horizontal distance
  // Slope distances only:
  double instrumentHeight = 0.0;
  double reflectorHeight = 0.0;
  FieldWeather weather;
  double ppmSet = 0.0;
};

struct FieldObservations {
  FieldDistanceKind kind = FieldDistanceKind::kSlope;
  std::vector<FieldObservation> observations;
};

// The observations of a field file's text. Nothing, with the error at its line and column, for
// a missing column, an empty or unreadable number, a value out of its range or a station name
// the measured text can't hold; nothing is taken as 0.
std::optional<FieldObservations> ReadFieldObservations(std::string_view text,
                                                       FieldFileError& error);

}  // namespace mensuro
