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
  std::optional<RegisteredCyclic> cyclic;
  if (calibration.cyclic && calibration.cyclic->estimable) {
    const CyclicHarmonic& first = calibration.cyclic->harmonics.front();
    cyclic = RegisteredCyclic{.unitLengthM = calibration.cyclic->settings.unitLength,
                              .amplitudeM = first.amplitude,
                              .amplitudeStdErrorM = first.amplitudeStdError,
                              .phaseDegrees = first.phaseDegrees,
                              .significant = first.significant};
  }
  return {.scalePpm = fit.scale * kPartsPerMillion,
          .scaleUncertaintyPpm = uncertainty.scalePpm,
          .constantM = fit.constant,
          .constantUncertaintyM = uncertainty.constant,
          .cyclic = cyclic};
}

std::string ConstantText(const RegisteredResults& results) {
  return WithUncertainty(results.constantM * kMillimetresPerMetre,
                         results.constantUncertaintyM * kMillimetresPerMetre, 2);
}

std::string ScaleText(const RegisteredResults& results) {
  return WithUncertainty(results.scalePpm, results.scaleUncertaintyPpm, 2);
}

}  // namespace mensuro
