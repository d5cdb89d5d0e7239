#pragma once

// A baseline calibration as a readable text: the survey and its reference instrument, the
// pillars' positions, the certified distances, the instrument's constant, the adjustment's
// figures and tests, the observations left out and the comparison with the previous certificate,
// in fixed-width columns. Lines end in a line feed.

#include <string>
#include <string_view>

#include "core/baseline/baseline_calibration.h"

namespace mensuro {

// The text of `calibration`, titled with the baseline's name.
std::string BaselineCalibrationText(const BaselineCalibration& calibration, std::string_view name);

}  // namespace mensuro
