#include "core/baseline/baseline_comparison.h"

#include <cmath>
#include <limits>

namespace mensuro {
namespace {

bool SamePair(const CertifiedDistance& now, const PreviousDistance& before) {
  return (now.from == before.from && now.to == before.to) ||
         (now.from == before.to && now.to == before.from);
}

}  // namespace

std::vector<DistanceComparison> CompareWithPrevious(const std::vector<CertifiedDistance>& distances,
                                                    const std::vector<PreviousDistance>& previous) {
  std::vector<DistanceComparison> comparison;
  for (const CertifiedDistance& now : distances) {
    const PreviousDistance* before = nullptr;
    for (const PreviousDistance& candidate : previous) {
      if (SamePair(now, candidate)) {
        before = &candidate;
        break;
      }
    }
    if (before == nullptr) {
      continue;
    }
    DistanceComparison row;
    row.from = now.from;
    row.to = now.to;
    row.previous = before->distance;
    row.difference = now.distance - before->distance;
    const double combined = std::hypot(now.expanded, before->expanded);
    // Two distances both without uncertainty: any difference at all is beyond it.
    row.En = combined > 0.0 ? row.difference / combined
             : row.difference == 0.0
                 ? 0.0
                 : std::copysign(std::numeric_limits<double>::infinity(), row.difference);
    row.moved = std::abs(row.En) > 1.0;
    comparison.push_back(std::move(row));
  }
  return comparison;
}

}  // namespace mensuro
