#pragma once

// Control bytes made visible, so that text from a file can't move a terminal's cursor or break a
// line of a list when a message shows it.

#include <string>
#include <string_view>

namespace mensuro {

// Whether `c` is an ASCII control character: a byte below 0x20, or DEL (0x7F).
constexpr bool IsControlByte(char c) {
  return static_cast<unsigned char>(c) < 0x20 || c == '\x7F';
}

// `text` with every control byte shown as \xNN and a tab as \t, except the bytes in `kept`,
// which stay as they are (a message's own line feeds, say).
std::string VisibleText(std::string_view text, std::string_view kept = {});

}  // namespace mensuro
