#include "core/reduction/geometric_reduction.h"

#include <cmath>

namespace mensuro {

std::optional<double> ChordAtZero(double distance, double heightA, double heightB) {
  const double rise = heightB - heightA;
  const double level = distance * distance - rise * rise;
  if (level <= 0.0) {
    return std::nullopt;
  }
  return std::sqrt(level / ((1.0 + heightA / kEarthRadius) * (1.0 + heightB / kEarthRadius)));
}

double MarkToMarkDistance(double chord, double fromHeight, double toHeight) {
  const double rise = toHeight - fromHeight;
  return std::sqrt(chord * chord * (1.0 + fromHeight / kEarthRadius) *
                       (1.0 + toHeight / kEarthRadius) +
                   rise * rise);
}

double HorizontalDistance(double chord, double referenceHeight) {
  return (kEarthRadius + referenceHeight) * 2.0 * std::asin(chord / (2.0 * kEarthRadius));
}

}  // namespace mensuro
