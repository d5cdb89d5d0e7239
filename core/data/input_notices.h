#pragma once

// What reading the two texts noticed that the report doesn't show: lines that were read
// differently from what the surveyor probably meant (warnings), and published distances no
// observation uses (notes). They never change the run or its report.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace mensuro {

enum class InputText { kMeasured, kPublished };

// "measured" or "published".
std::string_view InputTextName(InputText text);

// A line of one of the two texts, counted from 1 as an editor counts lines; 0 for the header
// the caller gave (the window's header fields) rather than a line of the text.
struct InputLocation {
  InputText text = InputText::kMeasured;
  std::size_t line = 0;
};

// "measured line 9", or "measured header" for line 0, as the window names a place.
std::string DescribeLocation(const InputLocation& where);

enum class NoticeLevel { kWarning, kNote };

struct InputNotice {
  InputLocation where;
  NoticeLevel level = NoticeLevel::kWarning;
  std::string reason;
  std::string content;  // the line as it stands in its text
  // A warning that the line was probably read otherwise than the surveyor meant (a decimal
  // comma, a distance that is no number, a missing field, ...): no certificate while it stands.
  bool misread = false;
};

// A text of nonsense can hold a warning on every line; past this many only the counts grow.
inline constexpr std::size_t kListedNoticeLimit = 1000;

struct InputNotices {
  std::vector<InputNotice> listed;  // the first kListedNoticeLimit, by text and line
  std::size_t warnings = 0;         // all warnings found, listed or not
  std::size_t notes = 0;            // all notes found, listed or not
  std::size_t misread = 0;          // the warnings of a probably misread line, listed or not
};

void AddNotice(InputNotices& notices, InputNotice notice);

// How many warnings and notes were found beyond those listed.
std::size_t UnlistedNotices(const InputNotices& notices);

// "warning" or "note".
std::string_view NoticeLevelName(NoticeLevel level);

// Puts the listed notices in the order of their texts (measured first) and lines.
void SortNotices(InputNotices& notices);

// Adds the warnings about the fields of one observation or published distance line:
// `normalised` is the line after NormalizeSeparators, `distance` the distance read from it and
// `content` the line as it stands. Warned about, each meaning the line was probably misread:
// tabs between the fields (once for the line), fewer than three fields, an empty station name,
// a fourth field of digits alone (a decimal comma) and a distance read as 0 or less.
void CheckLineFields(std::string_view normalised, double distance, InputLocation where,
                     std::string_view content, InputNotices& notices);

}  // namespace mensuro
