#include "core/data/visible_text.h"

#include <fmt/format.h>

namespace mensuro {

std::string VisibleText(std::string_view text, std::string_view kept) {
  std::string shown;
  shown.reserve(text.size());
  for (const char c : text) {
    if (!IsControlByte(c) || kept.find(c) != std::string_view::npos) {
      shown += c;
    } else if (c == '\t') {
      shown += "\\t";
    } else {
      shown += fmt::format("\\x{:02X}", static_cast<unsigned char>(c));
    }
  }
  return shown;
}

}  // namespace mensuro
