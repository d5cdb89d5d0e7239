#include "cli/terminal_output.h"

#include <algorithm>
#include <iostream>

#include "core/data/visible_text.h"

namespace mensuro::cli {

void PrintOut(std::string_view text) {
  std::cout.write(text.data(), std::ssize(text));
}

std::string TerminalText(std::string_view message) {
  return VisibleText(message, "\n\t");
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
