#pragma once

// A new baseline calibration against the baseline's previous certificate: for every pair of
// pillars in both, the change in distance and its normalised error.

#include <string>
#include <vector>

#include "core/baseline/baseline_adjustment.h"

namespace mensuro {

// A pair's distance as the previous certificate gives it, with its expanded uncertainty.
struct PreviousDistance {
  std::string from;
  std::string to;
  double distance = 0.0;  // metres
  double expanded = 0.0;  // U, metres
};

struct DistanceComparison {
  std::string from;  // as the new certificate orders the pair
  std::string to;
  double previous = 0.0;    // metres
  double difference = 0.0;  // D_new - D_old, metres
  double En = 0.0;          // difference / sqrt(U_new^2 + U_old^2)
  bool moved = false;       // |En| > 1: moved beyond its uncertainty
};

// The pairs of `distances` that `previous` gives too (in either direction), in the order of
// `distances`.
std::vector<DistanceComparison> CompareWithPrevious(const std::vector<CertifiedDistance>& distances,
                                                    const std::vector<PreviousDistance>& previous);

}  // namespace mensuro
