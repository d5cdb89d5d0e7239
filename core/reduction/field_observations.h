#pragma once

// The observations of a field file: a CSV file with a header row naming its columns, in any
// order, by any of the names field_columns.h lists. A file of slope distances has the columns
// from, to, slope_distance (m), instrument_height (m), reflector_height (m), temperature (°C),
// pressure (hPa), and humidity (%) or wet_bulb (°C), optionally ppm_set (the atmospheric ppm set
// in the instrument). A file of already reduced distances has from, to and horizontal_distance
// (m) only. Either may have the observation's date and time. Other columns are ignored.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/reduction/field_columns.h"
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
  // When it was measured, in the measured text's forms ("07-12-2026", "09:42:00"); empty when
  // the file doesn't say.
  std::string date;
  std::string time;
};

struct FieldObservations {
  FieldDistanceKind kind = FieldDistanceKind::kSlope;
  std::vector<FieldObservation> observations;
};

// The observations of a field file's text, its columns matched by name. Nothing, with the error
// at its line and column, for missing columns (all named at once), a row with more or fewer
// cells than the header row, an empty or unreadable number, a value out of its range, a date or
// time that can't be one, or a station name the measured text can't hold; nothing is taken as 0.
std::optional<FieldObservations> ReadFieldObservations(std::string_view text,
                                                       FieldFileError& error);

// The same of a table whose columns `map` says, as the surveyor chose them.
std::optional<FieldObservations> ReadFieldObservations(const FieldTable& table,
                                                       const FieldColumnMap& map,
                                                       FieldFileError& error);

// When the observations were measured, in the measured text's forms: the date of the first
// observation that has one and the time of the first that has one; empty when none has.
struct MeasurementTime {
  std::string date;
  std::string time;
};
MeasurementTime FirstMeasurementTime(const FieldObservations& observations);

// An observation's date, "2026-12-07" or "07/12/2026" (day first), as the measured text writes
// dates ("07-12-2026"); nothing, with the reason, for anything else or a day the calendar lacks.
std::optional<std::string> ObservationDate(std::string_view text, std::string& reason);
// Its time, "09:42" or "09:42:10", as "09:42:00" or "09:42:10"; nothing, with the reason.
std::optional<std::string> ObservationTime(std::string_view text, std::string& reason);

}  // namespace mensuro
