#include "core/data/text_encoding.h"

#include <algorithm>
#include <cstddef>
#include <string_view>
#include <utility>

#include "core/data/file_bytes.h"

namespace mensuro {
namespace {

bool HasWideByteOrderMark(std::string_view bytes) {
  // UTF-32 LE starts like UTF-16 LE (FF FE), so both are covered.
  return bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF") ||
         bytes.starts_with(std::string_view("\0\0\xFE\xFF", 4));
}

// Text in UTF-16 or UTF-32 without a byte-order mark, as far as it can be told for sure: Latin
// letters, digits, punctuation and line ends have NUL high bytes, so every byte of one parity is
// NUL and the other bytes are not all NUL. A file that holds CR LF anywhere never looks like
// this, so a measured file Mensuro saved (its header lines end in CR LF) is never refused.
bool LooksWide(std::string_view bytes) {
  if (bytes.empty() || bytes.size() % 2 != 0) {
    return false;
  }
  bool nulAtEveryEven = true;
  bool nulAtEveryOdd = true;
  for (std::size_t i = 0; i < bytes.size() && (nulAtEveryEven || nulAtEveryOdd); ++i) {
    if (bytes[i] != '\0') {
      (i % 2 == 0 ? nulAtEveryEven : nulAtEveryOdd) = false;
    }
  }
  return nulAtEveryEven != nulAtEveryOdd;
}

}  // namespace

std::optional<std::string> TextFileText(std::string bytes, std::string& reason) {
  if (HasWideByteOrderMark(bytes) || LooksWide(bytes)) {
    reason = "it is UTF-16 or UTF-32 text; save it as plain text (ANSI or UTF-8)";
    return std::nullopt;
  }
  if (std::string_view(bytes).starts_with(kUtf8ByteOrderMark)) {
    bytes.erase(0, kUtf8ByteOrderMark.size());
  }
  if (bytes.find('\n') == std::string::npos) {
    std::replace(bytes.begin(), bytes.end(), '\r', '\n');
  }
  return bytes;
}

std::optional<std::string> ReadTextFile(const std::filesystem::path& path, std::string& reason) {
  std::optional<std::string> bytes = ReadFileBytes(path, reason);
  if (!bytes) {
    return std::nullopt;
  }
  return TextFileText(std::move(*bytes), reason);
}

}  // namespace mensuro
