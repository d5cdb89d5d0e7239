#pragma once

#include <string>

namespace mensuro {

// The header of a calibration: when and with what it was measured, and the instrument's
// specified accuracy (a constant part and a distance-proportional part). Default values are the
// values after a reset.
struct MeasurementHeader {
  double ppmError = 2.0;         // scale part of the specified accuracy, ppm; header line "%"
  double constantError = 2.0;    // constant part of the specified accuracy, mm; header line "^"
  std::string comment;           // header line "#"
  std::string edmDescription;    // header line "@"
  std::string date;              // header line "$"
  std::string time;              // header line "!"
  std::string publishedSource;   // the published file name or the library baseline's name
  std::string measuredFileName;  // the measured file name
};

}  // namespace mensuro
