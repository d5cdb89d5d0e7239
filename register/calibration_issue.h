#pragma once

// What the register keeps of a processed calibration when its certificate is issued, gathered
// in one place for the command line and the window alike.

#include <nlohmann/json.hpp>
#include <string>

#include "core/certificate/certificate_details.h"
#include "core/processing/processed_calibration.h"
#include "register/calibration_register.h"

namespace mensuro {

// The record of issuing `calibration` under `details`: the two texts as processed, the
// conditions, what was left out and why, the warnings and outliers that hold the certificate
// back (issuing with them means they were accepted), the whole result as the command line's JSON
// gives it with the members of `input` (what reading the texts noticed, located as the caller
// counts lines), and constant and scale with their expanded uncertainties for the instrument's
// history.
IssueRequest IssueRequestOf(const ProcessedCalibration& calibration, CertificateDetails details,
                            const nlohmann::json& input, std::string programVersion);

}  // namespace mensuro
