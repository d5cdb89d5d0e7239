#pragma once

#include <cstddef>
#include <span>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/data/record_table.h"

namespace mensuro {

// Two stations without direction: A to B and B to A are the same pair. Holds views of the
// names, so it lives no longer than the strings it was made from.
struct StationPairKey {
  std::string_view first;
  std::string_view second;

  StationPairKey(std::string_view a, std::string_view b)
      : first(a < b ? a : b), second(a < b ? b : a) {}
  bool operator==(const StationPairKey&) const = default;
};

struct StationPairKeyHash {
  std::size_t operator()(const StationPairKey& key) const noexcept;
};

// The observations of a record table grouped by station pair, so that matching a published
// line or averaging a pair costs the same whatever the number of observations. It refers to
// the table's station names: the table must outlive it and keep its entries unchanged in number
// and name.
struct StationPairs {
  // Per pair, in the order of the pair's first observation: the indices of its observations
  // in table order.
  std::vector<std::vector<std::size_t>> members;
  std::unordered_map<StationPairKey, std::size_t, StationPairKeyHash> index;
};

// Groups the observations (entries of kind 7) of `table` by station pair.
StationPairs GroupStationPairs(const RecordTable& table);

// The indices of the observations between stations `a` and `b`, in either direction, in table
// order; empty when that pair was not measured.
std::span<const std::size_t> FindPairMembers(const StationPairs& pairs, std::string_view a,
                                             std::string_view b);

}  // namespace mensuro
