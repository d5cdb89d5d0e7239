#include "cli/cli_run.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <random>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
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

// Runs a shell command given as UTF-8, as the programs take their arguments. Windows' narrow
// system() would pass it through the code page.
int RunCommand(const std::string& line) {
#ifdef _WIN32
  const int size = MultiByteToWideChar(CP_UTF8, 0, line.c_str(), -1, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, line.c_str(), -1, wide.data(), size);
  // Under Wine, with many tests starting programs at once, the command interpreter now and then
  // fails to start (-1 with errno set): that is no run of the program, so it is started again.
  int status = -1;
  for (int attempt = 0; attempt < 5; ++attempt) {
    errno = 0;
    status = _wsystem(wide.c_str());
    if (status != -1 || errno == 0) {
      break;
    }
    Sleep(200);
  }
  return status;
#else
  return std::system(line.c_str());
#endif
}

int ExitCode(int status) {
#ifdef _WIN32
  return status;
#else
  return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

// The shell's command that runs `program` with `args`, the variables `env` set for it alone,
// after the command words `wrapper` (empty: none).
std::string ProgramCommand(const std::filesystem::path& program,
                           const std::vector<std::string>& args,
                           const std::vector<std::pair<std::string, std::string>>& env,
                           const std::string& wrapper) {
  std::string command;
  for (const auto& [name, value] : env) {
#ifdef _WIN32
    command += "set " + name + "=" + value + "&& ";
#else
    command += name + "=" + Quote(value) + " ";
#endif
  }
  if (!wrapper.empty()) {
    command += wrapper + " ";
  }
  command += Quote(program.string());
  for (const std::string& arg : args) {
    command += " " + Quote(arg);
  }
  return command;
}

}  // namespace

CliRun RunShell(const TempDir& dir, const std::string& command) {
  // Each run its own output files: on Windows a file just removed stays in use for a moment by
  // the process that wrote it, and one of the same name can't be made until then.
  const std::string tag = std::to_string(std::random_device{}());
  const auto outFile = dir.path() / (".stdout-" + tag);
  const auto errFile = dir.path() / (".stderr-" + tag);
#ifdef _WIN32
  // cmd strips the outer quotes of the whole line; the inner ones then survive.
  const std::string line = "\"cd /d " + Quote(dir.path().string()) + " && " + command + " > " +
                           Quote(outFile.string()) + " 2> " + Quote(errFile.string()) + "\"";
#else
  const std::string line = "cd " + Quote(dir.path().string()) + " && " + command + " > " +
                           Quote(outFile.string()) + " 2> " + Quote(errFile.string());
#endif
  CliRun result;
  result.exitCode = ExitCode(RunCommand(line));
  result.out = ReadBytes(outFile);
  result.err = ReadBytes(errFile);
  std::error_code ignored;
  std::filesystem::remove(outFile, ignored);
  std::filesystem::remove(errFile, ignored);
  return result;
}

CliRun RunProgram(const TempDir& dir, const std::filesystem::path& program,
                  const std::vector<std::string>& args,
                  const std::vector<std::pair<std::string, std::string>>& env) {
  return RunShell(dir, ProgramCommand(program, args, env, {}));
}

CliRun RunCli(const TempDir& dir, const std::vector<std::string>& args,
              const std::vector<std::pair<std::string, std::string>>& env) {
  // A checker such as valgrind may run the program: the variable holds the command words to put
  // in front. Whatever the checker writes to the log file it is given is a finding, so it fails
  // the test whatever the exit status (1 is also an ordinary "processing failed").
  const char* const wrapper = std::getenv(kCliWrapperVariable);
  const bool wrapped = wrapper != nullptr && *wrapper != '\0';
  const auto log = dir.path() / ".wrapper-log";
  auto variables = env;
  if (wrapped) {
    variables.emplace_back(kCliWrapperLogVariable, log.string());
  }
  const std::string command =
      ProgramCommand(MENSURO_CLI, args, variables, wrapped ? wrapper : std::string());
  CliRun run = RunShell(dir, command);

  if (wrapped) {
    const std::string findings = ReadBytes(log);
    if (!findings.empty()) {
      ADD_FAILURE() << "The checker reports on " << command << ":\n" << findings;
    }
    std::error_code ignored;
    std::filesystem::remove(log, ignored);
  }
  return run;
}

std::string CertificateWords(const TempDir& dir, const std::string& pdf) {
  const CliRun text = RunShell(dir, "pdftotext " + pdf + " -");
  EXPECT_EQ(text.exitCode, 0) << text.err;
  std::string words;
  bool blank = false;
  for (const char c : text.out) {
    const bool space = c == ' ' || c == '\n' || c == '\f';
    if (!space) {
      words += blank && !words.empty() ? std::string(" ") + c : std::string(1, c);
    }
    blank = space;
  }
  return words;
}

}  // namespace mensuro::test
