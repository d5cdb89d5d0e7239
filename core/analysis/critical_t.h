#pragma once

#include <array>

namespace mensuro {

// Two-sided 5 percent critical values of Student's t (0.975 quantiles) for 1 to 30 degrees of
// freedom, rounded to three decimals; entry 0 is unused. The value for 1 degree of freedom is
// 12.705, as in the printed tables the calibration procedure was written against.
inline constexpr std::array<double, 31> CriticalTTable = {
    0.0,   12.705, 4.303, 3.183, 2.776, 2.571, 2.447, 2.365, 2.306, 2.262, 2.228,
    2.201, 2.179,  2.160, 2.145, 2.131, 2.120, 2.110, 2.101, 2.093, 2.086, 2.080,
    2.074, 2.069,  2.064, 2.060, 2.056, 2.052, 2.048, 2.045, 2.042};

// The critical value of t for `degreesOfFreedom` (at least 1): the table's entry up to 30,
// beyond it the exact 0.975 quantile rounded to three decimals like the table.
double CriticalT(int degreesOfFreedom);

}  // namespace mensuro
