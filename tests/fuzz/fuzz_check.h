#pragma once

// What the fuzz targets share: stopping the run with a message when an invariant fails (libFuzzer
// then saves the input), the two texts of one input, line splitting that keeps every piece, and
// a scratch file for the readers that take a path.

#include <unistd.h>

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace mensuro::fuzz {

[[noreturn]] inline void Fail(const char* file, int line, const char* condition,
                              const std::string& detail) {
  std::fprintf(stderr, "\n%s:%d: invariant failed: %s\n", file, line, condition);
  if (!detail.empty()) {
    std::fprintf(stderr, "  %s\n", detail.c_str());
  }
  std::abort();
}

// printf into a string, in the process locale (the targets leave it at "C" unless they say so).
[[gnu::format(printf, 1, 2)]] inline std::string Printf(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  std::va_list again;
  va_copy(again, args);
  const int size = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string text(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
  std::vsnprintf(text.data(), text.size() + 1, format, again);
  va_end(again);
  return text;
}

// A text with its unprintable bytes escaped, for messages.
inline std::string Shown(std::string_view text) {
  std::string shown = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\' || c == '"') {
      shown += '\\';
      shown += c;
    } else if (byte >= 0x20 && byte < 0x7f) {
      shown += c;
    } else {
      shown += Printf("\\x%02x", byte);
    }
  }
  return shown + "\"";
}

// Whether two doubles are the same value down to the sign of a zero.
inline bool SameBits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// The input as text.
inline std::string_view InputText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// The two texts of an input that carries both, split at its first NUL byte; without one, the
// whole input is the first text and the second is empty.
struct TwoTexts {
  std::string_view first;
  std::string_view second;
  bool split = false;
};

inline TwoTexts SplitAtNul(std::string_view input) {
  const std::size_t nul = input.find('\0');
  if (nul == std::string_view::npos) {
    return {input, {}, false};
  }
  return {input.substr(0, nul), input.substr(nul + 1), true};
}

// Every piece of `text` between separators, the piece after the last separator included (empty
// when the text ends in one).
inline std::vector<std::string_view> Pieces(std::string_view text, char separator) {
  std::vector<std::string_view> pieces;
  for (;;) {
    const std::size_t end = text.find(separator);
    pieces.push_back(text.substr(0, end));
    if (end == std::string_view::npos) {
      return pieces;
    }
    text.remove_prefix(end + 1);
  }
}

// A file of this process in the temporary folder (TMPDIR, which the runner points into its
// scratch folder), rewritten for every input and removed when the process ends normally.
class ScratchFile {
 public:
  explicit ScratchFile(std::string_view name)
      : path_(std::filesystem::temp_directory_path() /
              ("mensuro-fuzz-" + std::to_string(::getpid()) + "-" + std::string(name))) {}
  ~ScratchFile() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  const std::filesystem::path& Write(std::string_view bytes) const {
    // A new file each time: ext4 flushes a file rewritten after truncation to the disk when it
    // is closed, which would slow every input down to the disk's pace.
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
    std::FILE* file = std::fopen(path_.c_str(), "wb");
    if (file == nullptr) {
      Fail(__FILE__, __LINE__, "scratch file opened", path_.string());
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (std::fclose(file) != 0 || !written) {
      Fail(__FILE__, __LINE__, "scratch file written", path_.string());
    }
    return path_;
  }

 private:
  std::filesystem::path path_;
};

}  // namespace mensuro::fuzz

// Stops the run when `condition` is false; `detail` (a std::string expression) is evaluated only
// then.
#define MENSURO_FUZZ_CHECK(condition, detail)                                     \
  do {                                                                            \
    if (!(condition)) {                                                           \
      ::mensuro::fuzz::Fail(__FILE__, __LINE__, #condition, std::string(detail)); \
    }                                                                             \
  } while (false)
