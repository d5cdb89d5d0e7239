#include "core/data/station_pairs.h"

#include <functional>

namespace mensuro {

std::size_t StationPairKeyHash::operator()(const StationPairKey& key) const noexcept {
  const std::hash<std::string_view> hash;
  const std::size_t h = hash(key.first);
  // Mix the two halves asymmetrically: the key is already ordered.
  return h ^ (hash(key.second) + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2));
}

StationPairs GroupStationPairs(const RecordTable& table) {
  StationPairs pairs;
  pairs.index.reserve(table.entries.size());
  for (std::size_t i = 0; i < table.entries.size(); ++i) {
    const ProjectRecord& record = table.entries[i];
    if (record.kind != kObservationKind) {
      continue;
    }
    const auto [where, isNew] = pairs.index.try_emplace(
        StationPairKey(record.fromStation, record.toStation), pairs.members.size());
    if (isNew) {
      pairs.members.emplace_back();
    }
    pairs.members[where->second].push_back(i);
  }
  return pairs;
}

std::span<const std::size_t> FindPairMembers(const StationPairs& pairs, std::string_view a,
                                             std::string_view b) {
  const auto found = pairs.index.find(StationPairKey(a, b));
  if (found == pairs.index.end()) {
    return {};
  }
  return pairs.members[found->second];
}

}  // namespace mensuro
