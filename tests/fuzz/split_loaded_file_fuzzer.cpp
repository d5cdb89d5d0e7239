// A loaded file split into header and text, for both kinds of file. The text must be the file's
// lines that are neither empty nor header lines, in order, each followed by CR LF; measured data
// (line breaks deleted) keeps no CR or LF inside a line, and is the only kind that can show an
// empty line: one that held line breaks alone. The header must be what the header lines set on
// a reset header, and nothing else.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/data/data_file_text.h"
#include "core/data/measured_text.h"
#include "core/data/text_file.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/header_check.h"

namespace mensuro {
namespace {

using fuzz::Printf;
using fuzz::SameBits;
using fuzz::Shown;

bool IsHeaderLine(std::string_view line) {
  return !line.empty() && std::string_view("%^#@$!").find(line.front()) != std::string_view::npos;
}

void CheckSplit(const std::vector<std::string>& fileLines, InnerLineBreaks breaks) {
  const bool deleting = breaks == InnerLineBreaks::kDelete;

  // Fields a load must leave alone, and values a reset must replace.
  MeasurementHeader header;
  header.publishedSource = "published source";
  header.measuredFileName = "measured file";
  header.comment = "comment before";
  header.ppmError = 9.5;
  MeasurementHeader expected = header;
  ResetHeader(expected);

  const std::string text = SplitLoadedFile(fileLines, breaks, header);

  std::vector<std::string> expectedLines;
  for (const std::string& fileLine : fileLines) {
    if (fileLine.empty()) {
      continue;
    }
    std::string line = fileLine;
    if (deleting) {
      std::erase_if(line, [](char c) { return c == '\n' || c == '\r'; });
    }
    if (IsHeaderLine(line)) {
      ApplyHeaderLine(line, expected);
    } else {
      expectedLines.push_back(line);
    }
  }

  MENSURO_FUZZ_CHECK(text.empty() || text.ends_with("\r\n"), Shown(text));
  std::vector<std::string_view> lines = fuzz::Pieces(text, '\n');
  lines.pop_back();  // the empty piece after the last line feed
  MENSURO_FUZZ_CHECK(lines.size() == expectedLines.size(),
                     Printf("%zu lines, expected %zu", lines.size(), expectedLines.size()));
  for (std::size_t i = 0; i < lines.size(); ++i) {
    MENSURO_FUZZ_CHECK(lines[i].ends_with('\r'), Shown(text));
    const std::string_view line = lines[i].substr(0, lines[i].size() - 1);
    MENSURO_FUZZ_CHECK(line == expectedLines[i], Shown(line) + " for " + Shown(expectedLines[i]));
    MENSURO_FUZZ_CHECK(!IsHeaderLine(line), Shown(line));
    if (deleting) {
      MENSURO_FUZZ_CHECK(line.find('\r') == std::string_view::npos, Shown(line));
    } else {
      MENSURO_FUZZ_CHECK(!line.empty(), "an empty line kept");
    }
  }

  fuzz::CheckSameHeader(header, expected);
}

}  // namespace
}  // namespace mensuro

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace mensuro;
  const std::vector<std::string> lines = SplitFileLines(fuzz::InputText(data, size));
  CheckSplit(lines, InnerLineBreaks::kDelete);
  CheckSplit(lines, InnerLineBreaks::kKeep);
  return 0;
}
