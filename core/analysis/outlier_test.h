#pragma once

// A test for outlying station pairs: after the unweighted fit of d = c + s·P, each pair's
// externally studentized residual (its residual against the spread of the other pairs) is
// compared with Student's t at a level that keeps the chance of a false alarm among all the
// pairs together at 5 percent.

#include <optional>
#include <string>
#include <vector>

#include "core/analysis/calibration_adjustment.h"

namespace mensuro {

// The overall level of the test for all pairs together.
inline constexpr double kOutlierTestLevel = 0.05;

// The fewest pairs the test is made with: with fewer, leaving one pair out leaves no spread.
inline constexpr int kOutlierTestMinimumPairs = 4;

struct PairOutlier {
  double studentizedResidual = 0.0;  // t_j
  bool outlier = false;              // |t_j| > critical
};

struct OutlierTest {
  // Whether the test could be made; when not, `reason` says why and the rest is empty.
  bool applicable = false;
  std::string reason;
  double alpha = kOutlierTestLevel;  // for all pairs together
  double alphaEach = 0.0;            // for one pair: 1 - (1 - alpha)^(1/L)
  int degreesOfFreedom = 0;          // of t_j: L - 3
  double critical = 0.0;             // t at 1 - alphaEach / 2 for degreesOfFreedom
  std::vector<PairOutlier> pairs;    // in the order of the analysis' entries
  int outliers = 0;                  // how many pairs are outliers
};

// Tests the pairs of `entries` (their published distances P and residuals r of the unweighted
// fit) for outliers. The test needs kOutlierTestMinimumPairs pairs and, for every pair, some
// spread left among the others.
OutlierTest TestForOutliers(const AdjustmentTable& entries);

}  // namespace mensuro
