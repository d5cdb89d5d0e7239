#include "core/analysis/critical_t.h"

#include <boost/math/distributions/students_t.hpp>
#include <cmath>
#include <cstddef>

namespace mensuro {

double CriticalT(int degreesOfFreedom) {
  if (degreesOfFreedom < 1) {
    return 0.0;
  }
  if (static_cast<std::size_t>(degreesOfFreedom) < CriticalTTable.size()) {
    return CriticalTTable[static_cast<std::size_t>(degreesOfFreedom)];
  }
  const boost::math::students_t_distribution<double> distribution(degreesOfFreedom);
  return std::round(boost::math::quantile(distribution, 0.975) * 1000.0) / 1000.0;
}

}  // namespace mensuro
