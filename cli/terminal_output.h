#pragma once

// What mensuro-cli writes to the terminal: output as bytes, and one-line messages a script's log
// reads.

#include <string>
#include <string_view>

namespace mensuro::cli {

void PrintOut(std::string_view text);

// A message for the terminal: control characters that come from a file (a station name of binary
// garbage, say) are shown as \xNN, so they can't move the cursor or change the terminal's state.
// Line feeds and tabs are the message's own layout and stay.
std::string TerminalText(std::string_view message);

// One line on standard error, as a script's log expects it.
void PrintErrorLine(std::string message);

// Progress on standard error, on one line written over and over, when standard error is a
// terminal; nothing otherwise, so that scripts and logs see a stable stream. An empty text
// clears the line.
void ShowProgress(std::string_view text);

// Prints "mensuro-cli: MESSAGE" as an error line and returns `exitCode`.
int Fail(int exitCode, const std::string& message);

}  // namespace mensuro::cli
