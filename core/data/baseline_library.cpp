#include "core/data/baseline_library.h"

#include <algorithm>

#include "core/data/text_encoding.h"
#include "core/data/text_file.h"
#include "core/data/text_lines.h"

namespace mensuro {

namespace {

constexpr std::string_view kNamePrefix = "1:";
constexpr std::string_view kDistancePrefix = "2:";
constexpr std::string_view kPropertyPrefix = "3:";

// The name a name line gives: the text after "1:" less the line feeds, carriage returns and
// blanks at its end. Listing and loading both take names this way, so every name listed loads.
std::string_view NameOfLine(std::string_view nameLine) {
  const std::size_t lastKept = nameLine.find_last_not_of("\n\r ");
  return nameLine.substr(kNamePrefix.size(),
                         lastKept == std::string_view::npos || lastKept < kNamePrefix.size()
                             ? 0
                             : lastKept + 1 - kNamePrefix.size());
}

// A name as loading compares it: without the blanks and tabs at its end. A name line written
// by a spreadsheet may end in a tab the user never sees; the name asked for is taken the same
// way, so the visible name and the listed one (which keeps the tab) both load.
std::string_view ComparedName(std::string_view name) {
  const std::size_t lastKept = name.find_last_not_of(" \t");
  return name.substr(0, lastKept == std::string_view::npos ? 0 : lastKept + 1);
}

}  // namespace

std::string_view NextLibraryPiece(std::string_view& bytes) {
  const std::size_t lineEnd = bytes.find('\n');
  const std::size_t length = lineEnd == std::string_view::npos ? bytes.size() : lineEnd + 1;
  const std::string_view piece = bytes.substr(0, std::min(length, kLibraryPieceLength));
  bytes.remove_prefix(piece.size());
  return piece;
}

std::vector<std::string> BaselineNames(const std::vector<std::string>& libraryLines) {
  std::vector<std::string> names;
  for (const std::string& line : libraryLines) {
    if (!std::string_view(line).starts_with(kNamePrefix)) {
      continue;
    }
    names.emplace_back(NameOfLine(line));
  }
  return names;
}

std::vector<std::string> ListBaselines(const std::filesystem::path& libraryPath) {
  std::filesystem::path fileName = libraryPath;
  std::vector<std::string> lines;
  CTextFile("dat").ReadLines(fileName, lines);
  return BaselineNames(lines);
}

std::optional<std::string> SimilarBaselineName(const std::vector<std::string>& names,
                                               std::string_view asked) {
  const auto trimmed = [](std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    return first == std::string_view::npos
               ? std::string_view()
               : text.substr(first, text.find_last_not_of(' ') + 1 - first);
  };
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  const std::string_view wanted = trimmed(asked);
  for (const std::string& name : names) {
    const std::string_view candidate = trimmed(name);
    if (std::equal(candidate.begin(), candidate.end(), wanted.begin(), wanted.end(),
                   [&](char a, char b) { return lower(a) == lower(b); })) {
      return name;
    }
  }
  return std::nullopt;
}

CollectedBaseline CollectBaseline(std::string_view libraryBytes, std::string_view baselineName) {
  CollectedBaseline collected;
  const std::string_view wanted = ComparedName(baselineName);
  bool collecting = false;
  std::size_t lineNumber = 1;
  while (!libraryBytes.empty()) {
    const std::string_view whole = NextLibraryPiece(libraryBytes);
    const std::string_view piece = TrimLineEnd(whole);
    if (piece.starts_with(kNamePrefix)) {
      // Every name line switches collecting on or off, so a repeated name joins its groups.
      collecting = ComparedName(NameOfLine(whole)) == wanted;
      collected.nameLines += collecting ? 1 : 0;
    } else if (collecting && piece.starts_with(kDistancePrefix)) {
      collected.publishedText += piece.substr(kDistancePrefix.size());
      collected.publishedText += "\r\n";
      collected.libraryLines.push_back(lineNumber);
    } else if (collecting && piece.starts_with(kPropertyPrefix)) {
      const std::string_view property = piece.substr(kPropertyPrefix.size());
      const std::size_t equals = property.find('=');
      if (equals != std::string_view::npos) {
        collected.properties.push_back({std::string(property.substr(0, equals)),
                                        std::string(property.substr(equals + 1)), lineNumber});
      }
    }
    lineNumber += whole.ends_with('\n') ? 1 : 0;
  }
  return collected;
}

bool IsNameLineOf(std::string_view line, std::string_view baselineName) {
  return TrimLineEnd(line).starts_with(kNamePrefix) &&
         ComparedName(NameOfLine(line)) == ComparedName(baselineName);
}

std::optional<BaselineProperty> FindBaselineProperty(const CollectedBaseline& baseline,
                                                     std::string_view key) {
  const auto found =
      std::find_if(baseline.properties.rbegin(), baseline.properties.rend(),
                   [key](const BaselineProperty& property) { return property.key == key; });
  return found == baseline.properties.rend() ? std::nullopt : std::optional(*found);
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
