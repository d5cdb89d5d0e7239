#include "core/baseline/baseline_library_entry.h"

#include <fmt/format.h>

#include "core/data/text_lines.h"

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

std::string LibraryWithEntry(std::string_view libraryBytes, std::string_view name,
                             std::string_view entry) {
  std::string kept;
  kept.reserve(libraryBytes.size() + entry.size() + 2 * kLineEnd.size());
  // A group runs from its name line to the next name line, as the library is read; its
  // distance and property lines go with it, and every other line stays where it is.
  bool inGroup = false;
  while (!libraryBytes.empty()) {
    const std::size_t end = libraryBytes.find('\n');
    const std::string_view line =
        libraryBytes.substr(0, end == std::string_view::npos ? libraryBytes.size() : end + 1);
    libraryBytes.remove_prefix(line.size());
    const std::string_view content = TrimLineEnd(line);
    if (content.starts_with("1:")) {
      inGroup = IsNameLineOf(line, name);
    }
    const bool ofGroup = inGroup && (content.starts_with("1:") || content.starts_with("2:") ||
                                     content.starts_with("3:"));
    if (!ofGroup) {
      kept += line;
    }
  }
  if (!kept.empty() && !kept.ends_with('\n')) {
    kept += kLineEnd;
  }
  if (!kept.empty() && !EndsInBlankLine(kept)) {
    kept += kLineEnd;
  }
  return kept += entry;
}

}  // namespace mensuro
