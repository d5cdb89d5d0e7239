#pragma once

// A baseline calibration as JSON (lengths in metres, full precision, camelCase), and read back
// from it, as the register keeps it and the certificate and the history draw it.

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "core/baseline/baseline_calibration.h"

namespace mensuro {

// pillars, constant, adjustment, observations, outlierTest, distances, comparison (only with a
// previous certificate) and excluded.
nlohmann::json BaselineCalibrationJson(const BaselineCalibration& calibration);

// The calibration BaselineCalibrationJson wrote; nothing with the reason for a document that
// isn't one.
std::optional<BaselineCalibration> BaselineCalibrationFromJson(const nlohmann::json& document,
                                                               std::string& reason);

}  // namespace mensuro
