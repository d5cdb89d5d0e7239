#include "core/processing/exclusions.h"

#include <fmt/format.h>
#include <algorithm>
#include <utility>

#include "core/data/measured_text.h"
#include "core/data/record_table.h"
#include "core/data/station_pairs.h"

namespace mensuro {
namespace {

// Every line left out, sorted, each once.
std::vector<std::size_t> ExcludedLines(const std::vector<AppliedExclusion>& applied) {
  std::vector<std::size_t> lines;
  for (const AppliedExclusion& one : applied) {
    lines.insert(lines.end(), one.lines.begin(), one.lines.end());
  }
  std::sort(lines.begin(), lines.end());
  lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
  return lines;
}

}  // namespace

std::string DescribeExclusion(const Exclusion& exclusion) {
  return exclusion.line == 0 ? fmt::format("pair {}-{}", exclusion.from, exclusion.to)
                             : fmt::format("line {}", exclusion.line);
}

std::vector<AppliedExclusion> ApplyExclusions(std::string_view measuredText,
                                              std::vector<Exclusion> exclusions) {
  std::vector<AppliedExclusion> applied;
  if (exclusions.empty()) {
    return applied;
  }
  // The observations as the run reads them; the header they set is not wanted here.
  MeasurementHeader header;
  RecordTable records;
  ParseMeasuredText(measuredText, header, records);
  applied.reserve(exclusions.size());
  for (Exclusion& exclusion : exclusions) {
    AppliedExclusion one{std::move(exclusion), {}, {}};
    const Exclusion& wanted = one.exclusion;
    const StationPairKey pair(wanted.from, wanted.to);
    for (const ProjectRecord& record : records.entries) {
      const bool matches = wanted.line == 0
                               ? StationPairKey(record.fromStation, record.toStation) == pair
                               : record.line == wanted.line;
      if (record.kind == kObservationKind && matches) {
        one.lines.push_back(record.line);
        one.observations.push_back(
            {record.line, record.fromStation, record.toStation, record.observedDistance});
      }
    }
    applied.push_back(std::move(one));
  }
  return applied;
}

std::size_t ExcludedObservationCount(const std::vector<AppliedExclusion>& applied) {
  return ExcludedLines(applied).size();
}

std::string TextWithoutExcluded(std::string_view measuredText,
                                const std::vector<AppliedExclusion>& applied) {
  const std::vector<std::size_t> lines = ExcludedLines(applied);
  std::string kept;
  kept.reserve(measuredText.size());
  std::size_t number = 0;
  auto next = lines.begin();
  while (!measuredText.empty()) {
    ++number;
    const std::size_t end = measuredText.find('\n');
    const std::size_t length = end == std::string_view::npos ? measuredText.size() : end + 1;
    const bool left = next != lines.end() && *next == number;
    if (left) {
      ++next;
      kept += measuredText.substr(0, length).ends_with('\n') ? "\n" : "";
    } else {
      kept += measuredText.substr(0, length);
    }
    measuredText.remove_prefix(length);
  }
  return kept;
}

}  // namespace mensuro
