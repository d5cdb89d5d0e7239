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

// Names a checker that runs mensuro-cli in RunCli, such as valgrind: the command words put in
// front of the program, for the shell to split. RunCli gives the checker the path of a log file
// in the variable MENSURO_CLI_WRAPPER_LOG (valgrind: --log-file=%q{MENSURO_CLI_WRAPPER_LOG}); a
// log that is not empty afterwards fails the test. Unset or empty, mensuro-cli runs by itself.
inline constexpr const char* kCliWrapperVariable = "MENSURO_CLI_WRAPPER";
inline constexpr const char* kCliWrapperLogVariable = "MENSURO_CLI_WRAPPER_LOG";

// Runs `program` with `args` (each passed as one argument, exactly as given) in `dir`, with the
// variables `env` set for the child alone, by itself: no checker.
CliRun RunProgram(const TempDir& dir, const std::filesystem::path& program,
                  const std::vector<std::string>& args,
                  const std::vector<std::pair<std::string, std::string>>& env = {});

// Runs mensuro-cli with `args` (each passed as one argument, exactly as given) in `dir`, with
// the variables `env` set for the child alone; under the checker that MENSURO_CLI_WRAPPER names,
// if any.
CliRun RunCli(const TempDir& dir, const std::vector<std::string>& args,
              const std::vector<std::pair<std::string, std::string>>& env = {});

// The text of the PDF `pdf` in `dir`, read back by pdftotext, its words joined by single blanks.
std::string CertificateWords(const TempDir& dir, const std::string& pdf);

}  // namespace mensuro::test
