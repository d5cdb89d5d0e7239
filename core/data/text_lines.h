#pragma once

#include <cstddef>
#include <string_view>

namespace mensuro {

// Removes the tabs, line feeds and carriage returns at the end of a line.
inline std::string_view TrimLineEnd(std::string_view line) {
  const std::size_t lastKept = line.find_last_not_of("\t\r\n");
  return line.substr(0, lastKept == std::string_view::npos ? 0 : lastKept + 1);
}

// Calls `visit` with every line of `text` that is not empty once its end is trimmed
// (TrimLineEnd). A line feed ends a line; the text after the last line feed is a line too, so
// the line a user typed last is read even without a final line feed. Stops early, returning
// false, when `visit` returns false.
template <typename Visit>
bool ForEachTextLine(std::string_view text, Visit&& visit) {
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line =
        TrimLineEnd(text.substr(0, end == std::string_view::npos ? text.size() : end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && !visit(line)) {
      return false;
    }
  }
  return true;
}

}  // namespace mensuro
