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

void Warn(InputNotices& notices, InputLocation where, std::string reason,
          std::string_view content) {
  AddNotice(notices, {where, NoticeLevel::kWarning, std::move(reason), std::string(content)});
}

}  // namespace

std::string_view InputTextName(InputText text) {
  return text == InputText::kMeasured ? "measured" : "published";
}

void AddNotice(InputNotices& notices, InputNotice notice) {
  ++(notice.level == NoticeLevel::kWarning ? notices.warnings : notices.notes);
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
  const std::string_view names[] = {GetField(normalised, 0), GetField(normalised, 1)};
  if (names[0].empty() || names[1].empty()) {
    Warn(notices, where, "an empty station name", content);
  }
  for (const std::string_view name : names) {
    if (name.find('\t') != std::string_view::npos) {
      Warn(notices, where, fmt::format("a tab inside the station name \"{}\"", name), content);
    }
  }
  // The line is read once; a distance that needs no warning costs no more than that.
  const bool fourFields =
      normalised.size() > names[0].size() + names[1].size() + 2 &&
      normalised.find(',', names[0].size() + names[1].size() + 2) != std::string_view::npos;
  if (fourFields && AllDigits(GetField(normalised, 3))) {
    Warn(notices, where, fmt::format("a decimal comma? the distance is read as {}", distance),
         content);
  } else if (distance == 0.0) {
    Warn(notices, where, fmt::format("the distance \"{}\" is read as 0", GetField(normalised, 2)),
         content);
  } else if (distance < 0.0) {
    Warn(notices, where, fmt::format("the distance {} is less than 0", GetField(normalised, 2)),
         content);
  }
}

}  // namespace mensuro
