#include "core/data/line_fields.h"

#include <algorithm>
#include <cstddef>

namespace mensuro {

void TidyWhitespace(std::string& line) {
  const std::size_t lastKept = line.find_last_not_of(' ');
  line.erase(lastKept == std::string::npos ? 0 : lastKept + 1);

  const std::size_t firstKept = line.find_first_not_of('\t');
  line.erase(0, firstKept == std::string::npos ? line.size() : firstKept);

  // Drop every tab whose next character is a blank, in place: the line never grows.
  std::size_t kept = 0;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const bool tabBeforeBlank = line[i] == '\t' && i + 1 < line.size() && line[i + 1] == ' ';
    if (!tabBeforeBlank) {
      line[kept++] = line[i];
    }
  }
  line.resize(kept);
}

void NormalizeSeparators(std::string& line) {
  TidyWhitespace(line);
  if (line.find(',') != std::string::npos) {
    line.erase(std::remove(line.begin(), line.end(), ' '), line.end());
  } else {
    std::replace(line.begin(), line.end(), ' ', ',');
  }
}

std::string_view GetField(std::string_view line, int n) {
  std::size_t start = 0;
  for (int field = 0;; ++field) {
    const std::size_t comma = line.find(',', start);
    if (comma == std::string_view::npos) {
      return line.substr(start);  // the last field, also for a field number beyond it
    }
    if (field == n) {
      return line.substr(start, comma - start);
    }
    start = comma + 1;
  }
}

}  // namespace mensuro
