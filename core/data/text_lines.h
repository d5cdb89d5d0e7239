#pragma once

#include <cstddef>
#include <string_view>

namespace mensuro {

// Removes the tabs, line feeds and carriage returns at the end of a line.
inline std::string_view TrimLineEnd(std::string_view line) {
  const std::size_t lastKept = line.find_last_not_of("\t\r\n");
  return line.substr(0, lastKept == std::string_view::npos ? 0 : lastKept + 1);
}

// Calls `visit(line, number)` with every line of `text` that is not empty once its end is
// trimmed (TrimLineEnd), and its number counted from 1 as an editor counts lines, empty lines
// included. A line feed ends a line; the text after the last line feed is a line too, so the line
// a user typed last is read even without a final line feed. Stops early, returning false, when
// `visit` returns false.
template <typename Visit>
bool ForEachNumberedTextLine(std::string_view text, Visit&& visit) {
  std::size_t number = 0;
  while (!text.empty()) {
    ++number;
    const std::size_t end = text.find('\n');
    const std::string_view line =
        TrimLineEnd(text.substr(0, end == std::string_view::npos ? text.size() : end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && !visit(line, number)) {
      return false;
    }
  }
  return true;
}

// ForEachNumberedTextLine for a `visit(line)` that needs no line numbers.
template <typename Visit>
bool ForEachTextLine(std::string_view text, Visit&& visit) {
  return ForEachNumberedTextLine(
      text, [&visit](std::string_view line, std::size_t) { return visit(line); });
}

}  // namespace mensuro
