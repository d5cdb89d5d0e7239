#include "cli/terminal_output.h"

#include <fmt/format.h>
#include <algorithm>
#include <iostream>

namespace mensuro::cli {

void PrintOut(std::string_view text) {
  std::cout.write(text.data(), std::ssize(text));
}

std::string TerminalText(std::string_view message) {
  std::string shown;
  shown.reserve(message.size());
  for (const char c : message) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte < 0x20 && c != '\n' && c != '\t') || byte == 0x7F) {
      shown += fmt::format("\\x{:02X}", byte);
    } else {
      shown += c;
    }
  }
  return shown;
}

void PrintErrorLine(std::string message) {
  std::replace(message.begin(), message.end(), '\n', ' ');
  std::cerr << TerminalText(message) << '\n';
}

int Fail(int exitCode, const std::string& message) {
  PrintErrorLine("mensuro-cli: " + message);
  return exitCode;
}

}  // namespace mensuro::cli
