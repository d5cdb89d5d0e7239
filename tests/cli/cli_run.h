#pragma once

// Runs the built mensuro-cli as a separate process, the way a script would, and captures what it
// leaves behind.

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace mensuro::test {

struct CliRun {
  int exitCode = -1;
  std::string out;  // standard output, bytes as written
  std::string err;  // standard error, bytes as written
};

// A fresh folder under the system's temporary folder, removed with everything in it on
// destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }

  // Writes `bytes` unchanged to `name` (relative to the folder, sub folders created) and returns
  // the full path.
  std::filesystem::path Write(const std::string& name, std::string_view bytes) const;

 private:
  std::filesystem::path path_;
};

// The bytes of a file, or the empty text when it can't be read.
std::string ReadBytes(const std::filesystem::path& path);

// Runs `command` through the shell with `dir` as working folder; its output streams go to files
// in `dir`.
CliRun RunShell(const TempDir& dir, const std::string& command);

// Runs mensuro-cli with `args` (each passed as one argument, exactly as given) in `dir`, with
// the variables `env` set for the child alone.
CliRun RunCli(const TempDir& dir, const std::vector<std::string>& args,
              const std::vector<std::pair<std::string, std::string>>& env = {});

// Every line feed as CR LF, the way a report file stores it.
std::string WithCrLf(std::string_view text);

}  // namespace mensuro::test
