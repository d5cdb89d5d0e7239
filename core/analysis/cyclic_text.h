#pragma once

// The cyclic error's figures in words, as the plot's panel, the certificate and the register's
// history all give them: amplitudes in millimetres, phases in degrees, each F against its limit.

#include <string>

#include "core/analysis/cyclic_error.h"

namespace mensuro {

// "U = 5.000 m".
std::string CyclicUnitLengthText(double unitLength);

// "0.48 ± 0.05 mm"; "0.00 mm" when the amplitude has no standard error (it is 0).
std::string CyclicAmplitudeText(const CyclicHarmonic& harmonic);

// "38.2 ± 6.1°"; "undefined" when the amplitude is 0.
std::string CyclicPhaseText(const CyclicHarmonic& harmonic);

// "F = 23.41 > 3.74: significant" or "F = 1.20 ≤ 3.74: not significant".
std::string CyclicTestText(const CyclicHarmonic& harmonic);

// The verdict on the whole: "significant cyclic error (harmonic 1)", "significant cyclic error
// (harmonics 1 and 2)" or "no significant cyclic error"; for terms that are not estimable,
// "not estimable: " and the reason.
std::string CyclicVerdictText(const CyclicAnalysis& analysis);

}  // namespace mensuro
