#include "core/data/baseline_library.h"

#include <algorithm>

#include "core/data/text_encoding.h"
#include "core/data/text_file.h"
#include "core/data/text_lines.h"

namespace mensuro {

namespace {

constexpr std::string_view kNamePrefix = "1:";
constexpr std::string_view kDistancePrefix = "2:";

// The next piece of the library: the next line with its line end, but at most
// kLibraryPieceLength bytes.
std::string_view NextPiece(std::string_view& bytes) {
  const std::size_t lineEnd = bytes.find('\n');
  const std::size_t length = lineEnd == std::string_view::npos ? bytes.size() : lineEnd + 1;
  const std::string_view piece = bytes.substr(0, std::min(length, kLibraryPieceLength));
  bytes.remove_prefix(piece.size());
  return piece;
}

}  // namespace

std::vector<std::string> BaselineNames(const std::vector<std::string>& libraryLines) {
  std::vector<std::string> names;
  for (const std::string& line : libraryLines) {
    if (!std::string_view(line).starts_with(kNamePrefix)) {
      continue;
    }
    const std::size_t lastKept = line.find_last_not_of("\n\r ");
    names.push_back(line.substr(kNamePrefix.size(), lastKept + 1 - kNamePrefix.size()));
  }
  return names;
}

std::vector<std::string> ListBaselines(const std::filesystem::path& libraryPath) {
  std::filesystem::path fileName = libraryPath;
  std::vector<std::string> lines;
  CTextFile("dat").ReadLines(fileName, lines);
  return BaselineNames(lines);
}

CollectedBaseline CollectBaseline(std::string_view libraryBytes, std::string_view baselineName) {
  CollectedBaseline collected;
  bool collecting = false;
  while (!libraryBytes.empty()) {
    const std::string_view piece = TrimLineEnd(NextPiece(libraryBytes));
    if (piece.starts_with(kNamePrefix)) {
      // Every name line switches collecting on or off, so a repeated name joins its groups.
      collecting = piece.substr(kNamePrefix.size()) == baselineName;
      collected.nameLines += collecting ? 1 : 0;
    } else if (collecting && piece.starts_with(kDistancePrefix)) {
      collected.publishedText += piece.substr(kDistancePrefix.size());
      collected.publishedText += "\r\n";
    }
  }
  return collected;
}

int LoadBaseline(const std::filesystem::path& libraryPath, std::string_view baselineName,
                 CollectedBaseline& collected) {
  std::string reason;
  const auto text = ReadTextFile(libraryPath, reason);
  if (!text) {
    return 1;
  }
  collected = CollectBaseline(*text, baselineName);
  return 0;
}

}  // namespace mensuro
