#pragma once

#include <CLI/CLI.hpp>
#include <string>

namespace mensuro::cli {

// Exit codes: a run that produced its report; a calibration that could not be processed; and a
// wrong command line or a file that can't be read or written.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitProcessingFailed = 1;
inline constexpr int kExitUsage = 2;

struct CommandLine {
  std::string measuredFile;
  std::string publishedFile;
  std::string outputFile;  // empty: no report file
  std::string format = "text";
};

// Declares the options of `mensuro-cli` on `app`, bound to `line`.
void DescribeCommandLine(CLI::App& app, CommandLine& line);

// What is missing from a parsed command line, or the empty text when it is complete.
std::string MissingArguments(const CommandLine& line);

}  // namespace mensuro::cli
