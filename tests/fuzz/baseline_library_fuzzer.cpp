// The baseline library read from a file holding the input's bytes. Listing must give the names
// of the name lines of the file's text; loading a listed name must succeed and gather what
// CollectBaseline gathers from that text, as CR LF lines. A listed name whose line is short
// enough to be read in one piece and has no blank or tab at its end must be found again.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/data/baseline_library.h"
#include "core/data/text_encoding.h"
#include "core/data/text_file.h"
#include "core/data/text_lines.h"
#include "tests/fuzz/fuzz_check.h"

namespace mensuro {
namespace {

using fuzz::Printf;
using fuzz::Shown;

// Enough to reach every kind of name, few enough to keep an input quick.
constexpr std::size_t kNamesLoaded = 32;

// The names that loading must find: from a name line that fits one piece with its line end, and
// that loading's trimming (tabs, CR, LF) leaves equal to the listed name (listing trims blanks,
// CR and LF instead).
std::set<std::string, std::less<>> FindableNames(const std::vector<std::string>& lines) {
  std::set<std::string, std::less<>> names;
  for (const std::string& line : lines) {
    if (line.starts_with("1:") && line.size() + 2 <= kLibraryPieceLength) {
      const std::string_view loaded = TrimLineEnd(line).substr(2);
      const std::size_t lastKept = line.find_last_not_of("\n\r ");
      if (loaded == std::string_view(line).substr(2, lastKept - 1)) {
        names.emplace(loaded);
      }
    }
  }
  return names;
}

void CheckPublishedText(std::string_view text) {
  MENSURO_FUZZ_CHECK(text.empty() || text.ends_with("\r\n"), Shown(text));
  for (std::size_t feed = text.find('\n'); feed != std::string_view::npos;
       feed = text.find('\n', feed + 1)) {
    MENSURO_FUZZ_CHECK(feed > 0 && text[feed - 1] == '\r', Shown(text));
  }
}

}  // namespace
}  // namespace mensuro

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace mensuro;
  static const fuzz::ScratchFile library("Baselines.dat");
  const std::string bytes(fuzz::InputText(data, size));
  const std::filesystem::path& path = library.Write(bytes);

  std::string reason;
  const auto text = TextFileText(bytes, reason);
  const std::vector<std::string> lines = text ? SplitFileLines(*text) : std::vector<std::string>{};
  const std::vector<std::string> names = ListBaselines(path);
  MENSURO_FUZZ_CHECK(
      names == BaselineNames(lines),
      Printf("%zu names listed, %zu in the text", names.size(), BaselineNames(lines).size()));
  if (!text) {
    MENSURO_FUZZ_CHECK(!reason.empty(), "refused without a reason");
    CollectedBaseline untouched;
    untouched.nameLines = 99;
    MENSURO_FUZZ_CHECK(LoadBaseline(path, "", untouched) == 1 && untouched.nameLines == 99,
                       "a baseline loaded from a library refused as text");
    return 0;
  }

  const auto findable = FindableNames(lines);
  std::set<std::string_view> tried;
  for (const std::string& name : names) {
    if (tried.size() == kNamesLoaded) {
      break;
    }
    if (!tried.insert(name).second) {
      continue;
    }
    CollectedBaseline loaded;
    MENSURO_FUZZ_CHECK(LoadBaseline(path, name, loaded) == 0, Shown(name));
    const CollectedBaseline collected = CollectBaseline(*text, name);
    MENSURO_FUZZ_CHECK(
        loaded.publishedText == collected.publishedText && loaded.nameLines == collected.nameLines,
        Shown(name));
    CheckPublishedText(loaded.publishedText);
    MENSURO_FUZZ_CHECK(!findable.contains(name) || loaded.nameLines > 0,
                       "listed but not found: " + Shown(name));
  }
  return 0;
}
