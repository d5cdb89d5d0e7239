#include "core/baseline/baseline_warnings.h"

#include <fmt/format.h>

#include <cmath>

namespace mensuro {

std::vector<std::string> BaselineCertificateWarnings(const BaselineCalibration& calibration) {
  const BaselineAdjustment& adjustment = calibration.adjustment;
  std::vector<std::string> warnings;
  if (const std::optional<SurveyVarianceTest>& test = adjustment.varianceTest;
      test && !test->passed) {
    warnings.push_back(fmt::format(
        "the variance test fails: chi-square {:.2f} is above its 95 % point {:.2f} for {} "
        "degrees of freedom, so the survey scattered more than the reference instrument's "
        "stated accuracy",
        test->chiSquare, test->critical, adjustment.dof));
  }
  for (const SurveyObservation& observation : adjustment.observations) {
    if (observation.outlier) {
      warnings.push_back(fmt::format(
          "line {} ({}-{}) is an outlier: |w| = {:.2f} is above tau = {:.2f}", observation.line,
          observation.from, observation.to, std::fabs(observation.standardizedResidual.value_or(0)),
          adjustment.outlierTest.critical));
    }
  }
  return warnings;
}

}  // namespace mensuro
