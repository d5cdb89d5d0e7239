#include "register/registered_figures.h"

#include <fmt/format.h>

#include "core/analysis/calibration_uncertainty.h"
#include "core/analysis/cyclic_text.h"
#include "core/units.h"

namespace mensuro {
namespace {

std::string WithUncertainty(double value, double uncertainty, int decimals) {
  return fmt::format("{:+.{}f} \u00b1 {:.{}f}", value, decimals, uncertainty, decimals);
}

// The harmonic as the analysis words it; the register keeps no phase's standard error.
CyclicHarmonic HarmonicOf(const RegisteredCyclic& cyclic) {
  CyclicHarmonic harmonic;
  harmonic.amplitude = cyclic.amplitudeM;
  harmonic.amplitudeStdError = cyclic.amplitudeStdErrorM;
  harmonic.phaseDegrees = cyclic.phaseDegrees;
  harmonic.significant = cyclic.significant;
  return harmonic;
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

std::string CyclicAmplitudeText(const RegisteredCyclic& cyclic) {
  return CyclicAmplitudeText(HarmonicOf(cyclic)) + ", " + CyclicUnitLengthText(cyclic.unitLengthM);
}

std::string CyclicFiguresText(const RegisteredCyclic& cyclic) {
  // Without a standard error the amplitude is 0 and its phase has no meaning.
  const std::string phase = cyclic.amplitudeStdErrorM
                                ? fmt::format("{:.1f}\u00b0", cyclic.phaseDegrees)
                                : std::string("undefined");
  return fmt::format("{}, phase {}, {} (first harmonic, {})",
                     CyclicAmplitudeText(HarmonicOf(cyclic)), phase,
                     cyclic.significant ? "significant" : "not significant",
                     CyclicUnitLengthText(cyclic.unitLengthM));
}

}  // namespace mensuro
