#pragma once

// What holds a baseline's certificate back: a survey that scattered more than the reference
// instrument's stated accuracy (the variance test failed) and observations the outlier test
// flags. The certificate is issued with them only when the surveyor accepts them, and then lists
// them.

#include <string>
#include <vector>

#include "core/baseline/baseline_calibration.h"

namespace mensuro {

// Each warning as a sentence without its full stop, the variance test's first, then the
// outliers in the order of the measured text; none when nothing holds the certificate back.
std::vector<std::string> BaselineCertificateWarnings(const BaselineCalibration& calibration);

}  // namespace mensuro
