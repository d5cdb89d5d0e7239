#include "core/data/published_text.h"

#include <fmt/printf.h>

#include "core/data/line_fields.h"
#include "core/data/number_text.h"
#include "core/data/text_lines.h"
#include "core/data/visible_text.h"

namespace mensuro {

namespace {

// AttachPublishedDistance of a line already normalised, which stands on `line` of the published
// text (0: not known); `used` tells whether any observation has its station pair.
int AttachFields(std::string_view work, std::size_t line, RecordTable& table,
                 const StationPairs& pairs, std::string& errorText, bool& used, double& distance) {
  const std::string_view from = GetField(work, 0);
  const std::string_view to = GetField(work, 1);
  distance = ReadNumber(GetField(work, 2));

  const std::span<const std::size_t> members = FindPairMembers(pairs, from, to);
  used = !members.empty();
  for (const std::size_t i : members) {
    ProjectRecord& record = table.entries[i];
    // A distance of 0.0 or less was attached but does not count: a later line replaces it.
    if (record.publishedDistance > 0.0) {
      errorText = fmt::sprintf("Multiple published distances found between:\t%s - %s",
                               VisibleText(record.fromStation), VisibleText(record.toStation));
      return 1;
    }
    record.publishedDistance = distance;
    record.publishedLine = line;
  }
  return 0;
}

int ReadPublishedLines(std::string_view text, RecordTable& table, const StationPairs& pairs,
                       std::string& errorText, InputNotices* notices, InputLocation* failedAt) {
  std::string work;
  const bool allAttached =
      ForEachNumberedTextLine(text, [&](std::string_view line, std::size_t number) {
        work.assign(line);
        NormalizeSeparators(work);
        bool used = false;
        double distance = 0.0;
        const InputLocation where{InputText::kPublished, number};
        if (AttachFields(work, number, table, pairs, errorText, used, distance) != 0) {
          if (failedAt != nullptr) {
            *failedAt = where;
          }
          return false;
        }
        if (notices != nullptr) {
          CheckLineFields(work, distance, where, line, *notices);
          if (!used) {
            AddNotice(*notices, {where, NoticeLevel::kNote,
                                 fmt::format("no observation of {}-{}; the distance is not used",
                                             GetField(work, 0), GetField(work, 1)),
                                 std::string(line)});
          }
        }
        return true;
      });
  if (!allAttached) {
    return 1;
  }
  for (const ProjectRecord& record : table.entries) {
    if (record.kind == kObservationKind && record.publishedDistance == 0.0) {
      // A name read from a misread line may hold tabs: the message shows them as \t.
      errorText = fmt::sprintf("No published distance between %s and %s.",
                               VisibleText(record.fromStation), VisibleText(record.toStation));
      if (failedAt != nullptr) {
        *failedAt = {InputText::kMeasured, record.line};
      }
      return 1;
    }
  }
  return 0;
}

}  // namespace

int AttachPublishedDistance(std::string_view line, RecordTable& table, const StationPairs& pairs,
                            std::string& errorText) {
  std::string work(line);
  NormalizeSeparators(work);
  bool used = false;
  double distance = 0.0;
  return AttachFields(work, 0, table, pairs, errorText, used, distance);
}

int ParsePublishedText(std::string_view text, RecordTable& table, const StationPairs& pairs,
                       std::string& errorText) {
  return ReadPublishedLines(text, table, pairs, errorText, nullptr, nullptr);
}

int ParsePublishedText(std::string_view text, RecordTable& table, const StationPairs& pairs,
                       std::string& errorText, InputNotices& notices, InputLocation& failedAt) {
  return ReadPublishedLines(text, table, pairs, errorText, &notices, &failedAt);
}

}  // namespace mensuro
