#include "cli/terminal_output.h"

#include <algorithm>
#include <cstdio>
#include <iostream>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

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

void ShowProgress(std::string_view text) {
#ifdef _WIN32
  const bool terminal = _isatty(_fileno(stderr)) != 0;
#else
  const bool terminal = isatty(fileno(stderr)) != 0;
#endif
  if (terminal) {
    // Back to the line's start: the next text is written over this one (each is at least as
    // long, as counts grow), and blanks clear it at the end.
    std::cerr << '\r' << (text.empty() ? std::string(79, ' ') + '\r' : TerminalText(text))
              << std::flush;
  }
}

int Fail(int exitCode, const std::string& message) {
  PrintErrorLine("mensuro-cli: " + message);
  return exitCode;
}

}  // namespace mensuro::cli
