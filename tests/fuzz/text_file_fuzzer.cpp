// A text file read into lines. The reader must take exactly the files that TextFileText takes
// as text, whose lines are SplitFileLines of that text: lines without line feeds that, joined
// by line feeds, give the text back with CR LF read as LF and without its final line feed.
// TextFileText itself must keep the bytes but for a UTF-8 byte-order mark and, in a file
// without line feeds, carriage returns as line ends; and it may refuse only a file with a UTF-16
// or UTF-32 byte-order mark or with a NUL in every other byte.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/data/text_encoding.h"
#include "core/data/text_file.h"
#include "tests/fuzz/fuzz_check.h"

namespace mensuro {
namespace {

using fuzz::Printf;
using fuzz::Shown;

bool HasWideByteOrderMark(std::string_view bytes) {
  return bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF") ||
         bytes.starts_with(std::string_view("\0\0\xFE\xFF", 4));
}

// What the documentation promises TextFileText makes of bytes it takes.
std::string ExpectedText(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) {
    bytes.remove_prefix(3);
  }
  std::string text(bytes);
  if (text.find('\n') == std::string::npos) {
    for (char& c : text) {
      c = c == '\r' ? '\n' : c;
    }
  }
  return text;
}

// The text with every CR LF as LF and the final line feed dropped.
std::string Unsplit(std::string_view text) {
  std::string joined;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
      joined += text[i];
    }
  }
  if (joined.ends_with('\n')) {
    joined.pop_back();
  }
  return joined;
}

}  // namespace
}  // namespace mensuro

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace mensuro;
  static const fuzz::ScratchFile file("lines.txt");
  const std::string bytes(fuzz::InputText(data, size));
  const std::filesystem::path written = file.Write(bytes);

  std::string reason;
  const auto text = TextFileText(bytes, reason);
  // Without a byte-order mark, only text with a NUL in every other byte is wide.
  if (!text && !HasWideByteOrderMark(bytes)) {
    bool nulAtEveryEven = true;
    bool nulAtEveryOdd = true;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      (i % 2 == 0 ? nulAtEveryEven : nulAtEveryOdd) &= bytes[i] == '\0';
    }
    MENSURO_FUZZ_CHECK(nulAtEveryEven || nulAtEveryOdd, "refused: " + reason);
  }

  std::filesystem::path fileName = written;
  const std::vector<std::string> before = {"left", "from before"};
  std::vector<std::string> lines = before;
  const bool read = CTextFile("txt").ReadLines(fileName, lines);
  MENSURO_FUZZ_CHECK(fileName == written, fileName.string());
  MENSURO_FUZZ_CHECK(read == text.has_value(), Printf("read %d", read));
  if (!text) {
    MENSURO_FUZZ_CHECK(!reason.empty(), "refused without a reason");
    MENSURO_FUZZ_CHECK(lines == before, "lines changed by a read that failed");
    return 0;
  }

  MENSURO_FUZZ_CHECK(*text == ExpectedText(bytes), Shown(*text));
  MENSURO_FUZZ_CHECK(lines == SplitFileLines(*text), "ReadLines and SplitFileLines differ");

  std::string joined;
  for (const std::string& line : lines) {
    MENSURO_FUZZ_CHECK(line.find('\n') == std::string::npos, Shown(line));
    if (&line != &lines.front()) {
      joined += '\n';
    }
    joined += line;
  }
  MENSURO_FUZZ_CHECK(joined == Unsplit(*text), Shown(joined));
  // One line per line feed, and one more for text after the last.
  const std::size_t feeds = static_cast<std::size_t>(std::count(text->begin(), text->end(), '\n'));
  const std::size_t expectedLines = feeds + (!text->empty() && !text->ends_with('\n') ? 1 : 0);
  MENSURO_FUZZ_CHECK(lines.size() == expectedLines,
                     Printf("%zu lines, expected %zu", lines.size(), expectedLines));
  return 0;
}
