#include "core/data/text_encoding.h"

#include <algorithm>
#include <cstddef>
#include <string_view>
#include <utility>

#include "core/data/file_bytes.h"

namespace mensuro {
namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// How much of the start of a file tells its encoding.
constexpr std::size_t kSniffLength = 256;

bool HasWideByteOrderMark(std::string_view bytes) {
  // UTF-32 LE starts like UTF-16 LE (FF FE), so both are covered.
  return bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF") ||
         bytes.starts_with(std::string_view("\0\0\xFE\xFF", 4));
}

// Text in UTF-16 or UTF-32 without a byte-order mark: Latin letters, digits and punctuation
// have NUL high bytes, so most bytes of one parity are NUL and few of the other. A single-byte
// file with a stray NUL or two is nothing like it.
bool LooksWide(std::string_view bytes) {
  const std::string_view head =
      bytes.substr(0, std::min(bytes.size(), kSniffLength) & ~std::size_t{1});
  if (head.size() < 4) {
    return false;
  }
  std::size_t nulAtEven = 0;
  std::size_t nulAtOdd = 0;
  for (std::size_t i = 0; i < head.size(); ++i) {
    if (head[i] == '\0') {
      ++(i % 2 == 0 ? nulAtEven : nulAtOdd);
    }
  }
  const std::size_t half = head.size() / 2;
  const auto most = [half](std::size_t count) { return count * 4 >= half * 3; };
  const auto few = [half](std::size_t count) { return count * 4 < half; };
  return (most(nulAtOdd) && few(nulAtEven)) || (most(nulAtEven) && few(nulAtOdd));
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
