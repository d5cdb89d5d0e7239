#include "register/register_records.h"

#include <cmath>

namespace mensuro {

std::optional<double> NormalisedError(double x1, double u1, double x2, double u2) {
  const double combined = std::sqrt(u1 * u1 + u2 * u2);
  if (!(combined > 0.0)) {
    return std::nullopt;
  }
  return std::fabs(x2 - x1) / combined;
}

}  // namespace mensuro
