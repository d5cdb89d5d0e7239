#include "core/baseline/baseline_history.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

namespace mensuro {

std::vector<PairHistory> BaselinePairHistory(
    std::vector<BaselineCertificateDistances> certificates) {
  const auto dateOf = [](const BaselineCertificateDistances& c) -> const std::string& {
    return c.measurementDate.empty() ? c.issueDate : c.measurementDate;
  };
  std::ranges::stable_sort(
      certificates, [&dateOf](const auto& a, const auto& b) { return dateOf(a) < dateOf(b); });
  std::vector<PairHistory> pairs;
  std::map<std::pair<std::string, std::string>, std::size_t> indexOf;  // both directions
  for (const BaselineCertificateDistances& certificate : certificates) {
    for (const CertifiedDistance& distance : certificate.distances) {
      auto [at, added] = indexOf.try_emplace({distance.from, distance.to}, pairs.size());
      if (added) {
        indexOf.emplace(std::pair{distance.to, distance.from}, pairs.size());
        pairs.push_back({distance.from, distance.to, {}});
      }
      std::vector<PairHistoryPoint>& points = pairs[at->second].points;
      PairHistoryPoint point{certificate.number, certificate.measurementDate,
                             distance.distance,  distance.expanded,
                             std::nullopt,       std::nullopt};
      if (!points.empty()) {
        const PairHistoryPoint& before = points.back();
        point.change = point.distance - before.distance;
        const double combined = std::hypot(point.expanded, before.expanded);
        if (combined > 0.0) {
          point.En = *point.change / combined;
        }
      }
      points.push_back(std::move(point));
    }
  }
  return pairs;
}

}  // namespace mensuro
