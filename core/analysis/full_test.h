#pragma once

// The full test procedure of ISO 17123-4 for an EDM: when every pair of m >= 4 stations was
// measured, the mean observed distances alone give the instrument's experimental standard
// deviation s and its zero-point correction delta, tested against the specified accuracy and
// against zero.

#include <optional>

#include "core/analysis/calibration_adjustment.h"

namespace mensuro {

struct FullTestResult {
  int stations = 0;
  int dof = 0;          // pairs - stations
  double s = 0.0;       // experimental standard deviation of one distance, metres
  double delta = 0.0;   // zero-point correction, metres
  double sDelta = 0.0;  // its standard deviation, metres
  // Test A: s against the specified accuracy sigma at the mean distance.
  double sigma = 0.0;   // metres
  double limitA = 0.0;  // sigma * sqrt(chi-square 0.95 (dof) / dof)
  bool passedA = false;
  // Test C: delta against zero.
  double limitC = 0.0;  // s_delta * t 0.975 (dof)
  bool passedC = false;
};

// The full test of the pairs of `entries`, with the specified accuracy `accuracyMm` mm +
// `accuracyPpm` ppm; nothing when the pairs are not exactly all pairs of four or more stations.
std::optional<FullTestResult> RunFullTest(const AdjustmentTable& entries, double accuracyMm,
                                          double accuracyPpm);

}  // namespace mensuro
