#include "core/data/csv_cell.h"

namespace mensuro {

std::string CsvCell(std::string_view text) {
  if (text.find_first_of("\",\r\n") == std::string_view::npos &&
      (text.empty() || (text.front() != ' ' && text.back() != ' '))) {
    return std::string(text);
  }
  std::string quoted = "\"";
  for (const char c : text) {
    quoted += c;
    if (c == '"') {
      quoted += '"';
    }
  }
  return quoted + '"';
}

}  // namespace mensuro
