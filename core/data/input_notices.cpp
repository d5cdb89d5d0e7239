#include "core/data/input_notices.h"

#include <fmt/format.h>
#include <algorithm>

#include "core/data/line_fields.h"

namespace mensuro {
namespace {

bool AllDigits(std::string_view field) {
  return !field.empty() &&
         std::all_of(field.begin(), field.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A warning that the line was probably misread.
void Warn(InputNotices& notices, InputLocation where, std::string reason,
          std::string_view content) {
  AddNotice(notices, {where, NoticeLevel::kWarning, std::move(reason), std::string(content), true});
}

// The fields of a normalised line, counted by its commas.
std::size_t FieldCount(std::string_view normalised) {
  return static_cast<std::size_t>(std::count(normalised.begin(), normalised.end(), ',')) + 1;
}

}  // namespace

std::string_view InputTextName(InputText text) {
  return text == InputText::kMeasured ? "measured" : "published";
}

std::string DescribeLocation(const InputLocation& where) {
  return where.line == 0 ? fmt::format("{} header", InputTextName(where.text))
                         : fmt::format("{} line {}", InputTextName(where.text), where.line);
}

void AddNotice(InputNotices& notices, InputNotice notice) {
  ++(notice.level == NoticeLevel::kWarning ? notices.warnings : notices.notes);
  notices.misread += notice.misread ? 1 : 0;
  if (notices.listed.size() < kListedNoticeLimit) {
    notices.listed.push_back(std::move(notice));
  }
}

std::size_t UnlistedNotices(const InputNotices& notices) {
  return notices.warnings + notices.notes - notices.listed.size();
}

std::string_view NoticeLevelName(NoticeLevel level) {
  return level == NoticeLevel::kWarning ? "warning" : "note";
}

void SortNotices(InputNotices& notices) {
  std::stable_sort(
      notices.listed.begin(), notices.listed.end(), [](const InputNotice& a, const InputNotice& b) {
        return std::pair(a.where.text, a.where.line) < std::pair(b.where.text, b.where.line);
      });
}

void CheckLineFields(std::string_view normalised, double distance, InputLocation where,
                     std::string_view content, InputNotices& notices) {
  // A spreadsheet's tab export: the whole line is one field, so any other warning would only
  // repeat this one.
  const std::string_view fields[] = {GetField(normalised, 0), GetField(normalised, 1),
                                     GetField(normalised, 2)};
  if (std::any_of(std::begin(fields), std::end(fields), [](std::string_view field) {
        return field.find('\t') != std::string_view::npos;
      })) {
    Warn(notices, where, "tabs don't separate fields here (commas or blanks do)", content);
    return;
  }
  const std::size_t count = FieldCount(normalised);
  if (count < 3) {
    Warn(notices, where,
         count == 1 ? fmt::format("only one field: the station names and the distance are all "
                                  "read from \"{}\"",
                                  fields[0])
                    : fmt::format("only two fields: the distance is read from the station name "
                                  "\"{}\"",
                                  fields[1]),
         content);
    return;
  }
  if (fields[0].empty() || fields[1].empty()) {
    Warn(notices, where, "an empty station name", content);
  }
  if (count > 3 && AllDigits(GetField(normalised, 3))) {
    Warn(notices, where, fmt::format("a decimal comma? the distance is read as {}", distance),
         content);
  } else if (distance == 0.0) {
    Warn(notices, where, fmt::format("the distance \"{}\" is read as 0", fields[2]), content);
  } else if (distance < 0.0) {
    Warn(notices, where, fmt::format("the distance {} is less than 0", fields[2]), content);
  }
}

}  // namespace mensuro
