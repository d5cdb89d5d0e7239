#pragma once

#include <string>

namespace mensuro {

// A length that the report prints in metres with four decimals, in millimetres with one: the
// report's digits with the decimal point moved, so that both documents round alike (2.15 mm
// held as 0.0021499... m reads 2.1 in both, not 2.1 in one and 2.2 in the other).
std::string MillimetresText(double metres);

// A scale (dimensionless) in ppm with three decimals, as the report prints it.
std::string PpmText(double scale);

}  // namespace mensuro
