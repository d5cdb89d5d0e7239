#pragma once

// The units the program converts between, in one place. Lengths are held in metres and scales
// as plain ratios; the instrument's stated accuracy and the reports speak millimetres and parts
// per million.

namespace mensuro {

inline constexpr double kMetresPerMillimetre = 1e-3;
inline constexpr double kMillimetresPerMetre = 1e3;
inline constexpr double kMetresPerKilometre = 1e3;
// One part per million as a ratio, and a ratio's parts per million.
inline constexpr double kPpm = 1e-6;
inline constexpr double kPartsPerMillion = 1e6;

}  // namespace mensuro
