#include "core/analysis/cyclic_text.h"

#include <fmt/format.h>

#include <cmath>
#include <vector>

#include "core/units.h"

namespace mensuro {

namespace {

std::string NumberOrInfinite(double value) {
  return std::isfinite(value) ? fmt::format("{:.2f}", value) : std::string("\u221e");
}

}  // namespace

std::string CyclicUnitLengthText(double unitLength) {
  return fmt::format("U = {:.3f} m", unitLength);
}

std::string CyclicAmplitudeText(const CyclicHarmonic& harmonic) {
  const double amplitude = harmonic.amplitude * kMillimetresPerMetre;
  if (!harmonic.amplitudeStdError) {
    return fmt::format("{:.2f} mm", amplitude);
  }
  return fmt::format("{:.2f} \u00b1 {:.2f} mm", amplitude,
                     *harmonic.amplitudeStdError * kMillimetresPerMetre);
}

std::string CyclicPhaseText(const CyclicHarmonic& harmonic) {
  if (!harmonic.phaseStdErrorDegrees) {
    return "undefined";
  }
  return fmt::format("{:.1f} \u00b1 {:.1f}\u00b0", harmonic.phaseDegrees,
                     *harmonic.phaseStdErrorDegrees);
}

std::string CyclicTestText(const CyclicHarmonic& harmonic) {
  return fmt::format("F = {} {} {:.2f}: {}", NumberOrInfinite(harmonic.F),
                     harmonic.significant ? ">" : "\u2264", harmonic.critical,
                     harmonic.significant ? "significant" : "not significant");
}

std::string CyclicVerdictText(const CyclicAnalysis& analysis) {
  if (!analysis.estimable) {
    return "not estimable: " + analysis.reason;
  }
  std::vector<int> significant;
  for (const CyclicHarmonic& harmonic : analysis.harmonics) {
    if (harmonic.significant) {
      significant.push_back(harmonic.order);
    }
  }
  if (significant.empty()) {
    return "no significant cyclic error";
  }
  if (significant.size() == 1) {
    return fmt::format("significant cyclic error (harmonic {})", significant.front());
  }
  return fmt::format("significant cyclic error (harmonics {} and {})", significant[0],
                     significant[1]);
}

}  // namespace mensuro
