#include "core/data/published_text.h"

#include <fmt/printf.h>

#include "core/data/line_fields.h"
#include "core/data/number_text.h"
#include "core/data/text_lines.h"

namespace mensuro {

int AttachPublishedDistance(std::string_view line, RecordTable& table, const StationPairs& pairs,
                            std::string& errorText) {
  std::string work(line);
  NormalizeSeparators(work);
  const std::string_view from = GetField(work, 0);
  const std::string_view to = GetField(work, 1);
  const double distance = ReadNumber(GetField(work, 2));

  for (const std::size_t i : FindPairMembers(pairs, from, to)) {
    ProjectRecord& record = table.entries[i];
    // A distance of 0.0 or less was attached but does not count: a later line replaces it.
    if (record.publishedDistance > 0.0) {
      errorText = fmt::sprintf("Multiple published distances found between:\t%s - %s",
                               record.fromStation, record.toStation);
      return 1;
    }
    record.publishedDistance = distance;
  }
  return 0;
}

int ParsePublishedText(std::string_view text, RecordTable& table, const StationPairs& pairs,
                       std::string& errorText) {
  const bool allAttached = ForEachTextLine(text, [&](std::string_view line) {
    return AttachPublishedDistance(line, table, pairs, errorText) == 0;
  });
  if (!allAttached) {
    return 1;
  }
  for (const ProjectRecord& record : table.entries) {
    if (record.kind == kObservationKind && record.publishedDistance == 0.0) {
      errorText = fmt::sprintf("No published distance between %s and %s.", record.fromStation,
                               record.toStation);
      return 1;
    }
  }
  return 0;
}

}  // namespace mensuro
