#include "core/analysis/outlier_test.h"

#include <fmt/format.h>
#include <boost/math/distributions/students_t.hpp>
#include <cmath>
#include <cstddef>

#include "core/analysis/quantile_policy.h"

namespace mensuro {

OutlierTest TestForOutliers(const AdjustmentTable& entries) {
  OutlierTest test;
  const std::size_t count = entries.size();
  if (count < static_cast<std::size_t>(kOutlierTestMinimumPairs)) {
    test.reason = fmt::format("{} station pairs; the test needs at least {}", count,
                              kOutlierTestMinimumPairs);
    return test;
  }
  const double pairs = static_cast<double>(count);
  double meanP = 0.0;
  double sumR2 = 0.0;
  for (const AdjustmentEntry& entry : entries) {
    meanP += entry.P;
    sumR2 += entry.r * entry.r;
  }
  meanP /= pairs;
  double sPP = 0.0;
  for (const AdjustmentEntry& entry : entries) {
    sPP += (entry.P - meanP) * (entry.P - meanP);
  }
  // nu * sigma0^2 is the sum of the squared residuals.
  const double nu = pairs - 2.0;
  test.pairs.reserve(count);
  for (const AdjustmentEntry& entry : entries) {
    const double leverage = 1.0 / pairs + (entry.P - meanP) * (entry.P - meanP) / sPP;
    const double freedom = 1.0 - leverage;
    const double variance = (sumR2 - entry.r * entry.r / freedom) / (nu - 1.0);
    // A pair that carries the whole spread of the fit, or a fit without spread, leaves nothing
    // to measure the pair against.
    if (!(freedom > 0.0) || !(variance > 0.0) || !std::isfinite(variance)) {
      test.pairs.clear();
      test.reason = fmt::format(
          "without {}-{} the other pairs lie on a straight line; there is no spread to test "
          "against",
          entry.from, entry.to);
      return test;
    }
    test.pairs.push_back({entry.r / (std::sqrt(variance) * std::sqrt(freedom)), false});
  }
  test.applicable = true;
  test.alphaEach = 1.0 - std::pow(1.0 - test.alpha, 1.0 / pairs);
  test.degreesOfFreedom = static_cast<int>(count) - 3;
  const boost::math::students_t_distribution<double, QuietQuantilePolicy> t(test.degreesOfFreedom);
  test.critical = boost::math::quantile(t, 1.0 - test.alphaEach / 2.0);
  for (PairOutlier& pair : test.pairs) {
    pair.outlier = std::abs(pair.studentizedResidual) > test.critical;
    test.outliers += pair.outlier ? 1 : 0;
  }
  return test;
}

}  // namespace mensuro
