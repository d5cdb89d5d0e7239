#pragma once

#include <string>

namespace mensuro {

// `value` with `decimals` decimals. A value that rounds to zero prints without a sign: "0.0",
// never "-0.0".
std::string FixedText(double value, int decimals);

// A length that the report prints in metres with four decimals, in millimetres with one: the
// report's digits with the decimal point moved, so that both documents round alike (2.15 mm
// held as 0.0021499... m reads 2.1 in both, not 2.1 in one and 2.2 in the other). Zero has no
// sign.
std::string MillimetresText(double metres);

// A scale (dimensionless) in ppm with three decimals, as the report prints it. Zero has no sign.
std::string PpmText(double scale);

// An accuracy or a limit "a mm + b ppm" as it was given: each number in the shortest form that
// reads back as the same double ("1 mm + 0.75 ppm"), never rounded. A negative part is written
// as the correction's is.
std::string MmPlusPpmText(double mm, double ppm);

// The correction to add to a distance, as a surveyor writes it: "0.1 mm − 4.978 ppm ×
// distance", the constant (metres) and the scale rounded as the report rounds them, the scale's
// sign the operator between them and every minus a real minus sign (U+2212). UTF-8.
std::string CorrectionText(double constantMetres, double scale);

}  // namespace mensuro
