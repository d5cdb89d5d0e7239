#pragma once

// Runs the built mensuro-cli as a separate process, the way a script would, and captures what it
// leaves behind.

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "support/temp_dir.h"

namespace mensuro::test {

struct CliRun {
  int exitCode = -1;
  std::string out;  // standard output, bytes as written
  std::string err;  // standard error, bytes as written
};

// Runs `command` through the shell with `dir` as working folder; its output streams go to files
// in `dir`.
CliRun RunShell(const TempDir& dir, const std::string& command);

// Runs mensuro-cli with `args` (each passed as one argument, exactly as given) in `dir`, with
// the variables `env` set for the child alone.
CliRun RunCli(const TempDir& dir, const std::vector<std::string>& args,
              const std::vector<std::pair<std::string, std::string>>& env = {});

}  // namespace mensuro::test
