#pragma once

// The cyclic error of a phase-measuring EDM: a short-periodic term with the instrument's unit
// length U (half the fine modulation wavelength), estimated together with the constant and the
// scale from the station pairs of the calibration fit,
//
//   d_j = c + s·P_j + Σ_h [A_h·sin(2πh·D_j/U) + B_h·cos(2πh·D_j/U)] + r_j,
//
// by ordinary least squares, as the plain fit is. Left out of the model, a cyclic error biases
// the constant and the scale; this says how large it is and whether it is significant, beside
// the plain fit, which stays as it is.

#include <optional>
#include <string>
#include <vector>

#include "core/analysis/calibration_adjustment.h"

namespace mensuro {

// The harmonics the model can take.
inline constexpr int kMaxCyclicHarmonics = 2;
// Above this condition number of the design matrix the terms are not estimable.
inline constexpr double kCyclicConditionLimit = 1e12;
// Above this correlation of a cyclic term with the constant or the scale the design is weak.
inline constexpr double kCyclicCorrelationLimit = 0.9;
// The level of each harmonic's F test.
inline constexpr double kCyclicTestLevel = 0.05;

// What the cyclic analysis is asked for: the unit length and how many harmonics.
struct CyclicSettings {
  double unitLength = 0.0;  // U, metres, above 0
  int harmonics = 1;        // 1 or 2

  bool operator==(const CyclicSettings&) const = default;
};

// One harmonic h of the cyclic term, A_h·sin(2πh·D/U) + B_h·cos(2πh·D/U), in metres.
struct CyclicHarmonic {
  int order = 1;  // h
  double sine = 0.0;
  double cosine = 0.0;
  double sineStdError = 0.0;
  double cosineStdError = 0.0;
  double amplitude = 0.0;     // a_h = √(A_h² + B_h²)
  double phaseDegrees = 0.0;  // φ_h = atan2(B_h, A_h), in (−180, 180]
  // By first-order propagation of the covariance of A_h and B_h; none when a_h = 0.
  std::optional<double> amplitudeStdError;
  std::optional<double> phaseStdErrorDegrees;
  // F_h = ((RSS without the harmonic − RSS) / 2) / (RSS / ν) against F at 95 percent for
  // (2, ν); infinite when the joint model fits exactly and the harmonic takes something up.
  double F = 0.0;
  double critical = 0.0;
  bool significant = false;
};

struct CyclicAnalysis {
  CyclicSettings settings;
  // Whether the terms could be estimated; when not, `reason` says why and the figures below
  // are empty.
  bool estimable = false;
  std::string reason;
  int degreesOfFreedom = 0;  // ν = L − 2 − 2H
  double s0 = 0.0;           // √(RSS / ν), metres
  double constant = 0.0;     // c of the joint model, metres
  double constantStdError = 0.0;
  double scale = 0.0;  // s of the joint model, dimensionless as the plain fit's
  double scaleStdError = 0.0;
  std::vector<CyclicHarmonic> harmonics;  // h = 1..H
  // Correlations of the parameters in the order c, s, A_1, B_1, A_2, B_2 (as many as the
  // model has), row by row.
  std::vector<std::vector<double>> correlations;
  // The largest absolute correlation of any A_h or B_h with c or s.
  double maxCorrelation = 0.0;
  // The fractional part of D_j/U of each station pair, in the order of the fit's pairs.
  std::vector<double> fractions;
  // The design warning when maxCorrelation is above kCyclicCorrelationLimit; empty when none.
  std::string warning;
};

// The fractional part of distance/unitLength, in [0, 1).
double UnitFraction(double distance, double unitLength);

// The fitted cyclic term at the fraction x of the unit length: Σ_h A_h·sin(2πh·x) +
// B_h·cos(2πh·x), metres; 0 when not estimable.
double CyclicTermAt(const CyclicAnalysis& analysis, double fraction);

// Estimates the cyclic terms from the station pairs `entries` of the calibration fit (their
// published distances P, mean observed distances C and differences d) under `settings`.
CyclicAnalysis EstimateCyclicError(const AdjustmentTable& entries, const CyclicSettings& settings);

}  // namespace mensuro
