#pragma once

// What the certificate and the plot window's panel say of where a calibration's texts came
// from, in the same words: what the published distances are, and how the measured text was
// reduced from a field file. The texts are UTF-8.

#include <string>
#include <string_view>

#include "core/processing/processed_calibration.h"

namespace mensuro {

// The heading of the reduction's statements.
inline constexpr std::string_view kReductionHeading = "Reduction of the observations";

// "horizontal" or "mark to mark"; "not stated" when nothing said which.
std::string PublishedDistancesText(const CalibrationOrigin& origin);

}  // namespace mensuro
