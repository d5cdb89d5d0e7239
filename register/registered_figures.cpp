#include "register/registered_figures.h"

#include <fmt/format.h>

#include "core/analysis/calibration_uncertainty.h"
#include "core/units.h"

namespace mensuro {
namespace {

std::string WithUncertainty(double value, double uncertainty, int decimals) {
  return fmt::format("{:+.{}f} \u00b1 {:.{}f}", value, decimals, uncertainty, decimals);
}

}  // namespace

RegisteredResults RegisteredResultsOf(const ProcessedCalibration& calibration) {
  const CalibrationResult& fit = calibration.run.analysis.result;
  const ParameterUncertainty uncertainty =
      ExpandedParameterUncertainty(calibration.run.analysis, calibration.conditions);
  return {.scalePpm = fit.scale * kPartsPerMillion,
          .scaleUncertaintyPpm = uncertainty.scalePpm,
          .constantM = fit.constant,
          .constantUncertaintyM = uncertainty.constant};
}

std::string ConstantText(const RegisteredResults& results) {
  return WithUncertainty(results.constantM * kMillimetresPerMetre,
                         results.constantUncertaintyM * kMillimetresPerMetre, 2);
}

std::string ScaleText(const RegisteredResults& results) {
  return WithUncertainty(results.scalePpm, results.scaleUncertaintyPpm, 2);
}

}  // namespace mensuro
