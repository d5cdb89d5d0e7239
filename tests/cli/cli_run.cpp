#include "cli/cli_run.h"

#include <cstdlib>
#include <system_error>

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace mensuro::test {

namespace {

std::string Quote(const std::string& arg) {
#ifdef _WIN32
  return '"' + arg + '"';
#else
  // Single quotes keep every byte; a quote inside closes, escapes and reopens.
  std::string quoted = "'";
  for (const char c : arg) {
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  }
  return quoted + "'";
#endif
}

int ExitCode(int status) {
#ifdef _WIN32
  return status;
#else
  return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

}  // namespace

CliRun RunShell(const TempDir& dir, const std::string& command) {
  const auto outFile = dir.path() / ".stdout";
  const auto errFile = dir.path() / ".stderr";
#ifdef _WIN32
  // cmd strips the outer quotes of the whole line; the inner ones then survive.
  const std::string line = "\"cd /d " + Quote(dir.path().string()) + " && " + command + " > " +
                           Quote(outFile.string()) + " 2> " + Quote(errFile.string()) + "\"";
#else
  const std::string line = "cd " + Quote(dir.path().string()) + " && " + command + " > " +
                           Quote(outFile.string()) + " 2> " + Quote(errFile.string());
#endif
  CliRun run;
  run.exitCode = ExitCode(std::system(line.c_str()));
  run.out = ReadBytes(outFile);
  run.err = ReadBytes(errFile);
  std::error_code ignored;
  std::filesystem::remove(outFile, ignored);
  std::filesystem::remove(errFile, ignored);
  return run;
}

CliRun RunCli(const TempDir& dir, const std::vector<std::string>& args,
              const std::vector<std::pair<std::string, std::string>>& env) {
  std::string command;
  for (const auto& [name, value] : env) {
#ifdef _WIN32
    command += "set " + name + "=" + value + "&& ";
#else
    command += name + "=" + Quote(value) + " ";
#endif
  }
  command += Quote(MENSURO_CLI);
  for (const std::string& arg : args) {
    command += " " + Quote(arg);
  }
  return RunShell(dir, command);
}

}  // namespace mensuro::test
