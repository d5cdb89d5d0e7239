#pragma once

// A scratch folder for tests that read and write real files.

#include <filesystem>
#include <string>
#include <string_view>

namespace mensuro::test {

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

// Every line feed as CR LF, the way report files and CR LF texts store them.
std::string WithCrLf(std::string_view text);

// ASCII text as UTF-16, little- or big-endian, without a byte-order mark.
std::string Utf16(std::string_view ascii, bool littleEndian);

}  // namespace mensuro::test
