#include "core/baseline/baseline_library_entry.h"

#include <fmt/format.h>

#include <algorithm>

#include "core/data/text_encoding.h"
#include "core/data/text_lines.h"
#include "core/data/visible_text.h"

namespace mensuro {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

// Whether the last line of `text` (which ends in a line feed) is empty.
bool EndsInBlankLine(std::string_view text) {
  text.remove_suffix(1);
  if (text.ends_with('\r')) {
    text.remove_suffix(1);
  }
  return text.empty() || text.ends_with('\n');
}

}  // namespace

std::string LibraryNameProblem(std::string_view name) {
  if (name.find_first_not_of(" \t") == std::string_view::npos) {
    return "the baseline's name is empty";
  }
  const auto control = std::find_if(name.begin(), name.end(), [](char c) {
    return static_cast<unsigned char>(c) < 0x20 && c != '\t';
  });
  if (control != name.end()) {
    return fmt::format(
        "the baseline's name \"{}\" holds a line break or another control "
        "character, which a library line can't hold",
        VisibleText(name));
  }
  return {};
}

std::string BaselineLibraryEntry(const LibraryEntryDetails& details,
                                 const std::vector<CertifiedDistance>& distances) {
  std::string entry = fmt::format("1:{}{}", details.name, kLineEnd);
  for (const CertifiedDistance& pair : distances) {
    entry += fmt::format("2:{},{},{:.4f}{}", pair.from, pair.to, pair.distance, kLineEnd);
  }
  entry += fmt::format("3:distances=horizontal{}", kLineEnd);
  for (const auto& [pillar, height] : details.heights) {
    entry += fmt::format("3:height={},{}{}", pillar, height, kLineEnd);
  }
  if (!details.certificate.empty()) {
    entry += fmt::format("3:certificate={}{}", details.certificate, kLineEnd);
  }
  for (const CertifiedDistance& pair : distances) {
    entry += fmt::format(
        "3:pair-uncertainty={},{},{:.2f},{:.3f},{}{}", pair.from, pair.to, pair.expanded * 1e3,
        pair.k, pair.dofEffective ? fmt::format("{:.1f}", *pair.dofEffective) : "inf", kLineEnd);
  }
  return entry;
}

std::optional<std::string> LibraryWithEntry(std::string_view libraryBytes, std::string_view name,
                                            std::string_view entry, std::string& reason) {
  // The library is read as TextFileText makes it: refused when wide, its byte-order mark
  // skipped, and a file of carriage returns alone read as lines.
  if (!TextFileText(std::string(libraryBytes), reason)) {
    return std::nullopt;
  }
  std::string kept;
  kept.reserve(libraryBytes.size() + entry.size() + 2 * kLineEnd.size());
  if (libraryBytes.starts_with(kUtf8ByteOrderMark)) {
    kept += kUtf8ByteOrderMark;
    libraryBytes.remove_prefix(kUtf8ByteOrderMark.size());
  }
  // Lines ended by carriage returns alone become CR LF lines, which read the same and take the
  // entry's CR LF lines beside them without turning the whole file into one line.
  std::string ended;
  if (libraryBytes.find('\n') == std::string_view::npos &&
      libraryBytes.find('\r') != std::string_view::npos) {
    for (const char c : libraryBytes) {
      ended += c;
      if (c == '\r') {
        ended += '\n';
      }
    }
    libraryBytes = ended;
  }
  // The group's lines are taken out piece by piece as loading reads them, so that a long line
  // stays the same pieces to the loader; a piece taken out of a long line leaves the others
  // where loading finds them. Every other piece stays as it was.
  bool inGroup = false;
  while (!libraryBytes.empty()) {
    const std::string_view piece = NextLibraryPiece(libraryBytes);
    const std::string_view content = TrimLineEnd(piece);
    if (content.starts_with("1:")) {
      inGroup = IsNameLineOf(piece, name);
    }
    const bool ofGroup = inGroup && (content.starts_with("1:") || content.starts_with("2:") ||
                                     content.starts_with("3:"));
    if (!ofGroup) {
      kept += piece;
    }
  }
  const bool lines = kept.size() > (kept.starts_with(kUtf8ByteOrderMark) ? 3u : 0u);
  if (lines && !kept.ends_with('\n')) {
    kept += kLineEnd;
  }
  if (lines && !EndsInBlankLine(kept)) {
    kept += kLineEnd;
  }
  return kept += entry;
}

}  // namespace mensuro
