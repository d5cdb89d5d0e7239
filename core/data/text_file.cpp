#include "core/data/text_file.h"

#include <utility>

#include "core/data/text_encoding.h"

namespace mensuro {

std::string FileDialogFilter(std::string_view extension) {
  if (extension.empty()) {
    return {};
  }
  const std::string ext(extension);
  return ext + "-files (*." + ext + ")|*." + ext + "|All Files (*.*)|*.*||";
}

std::vector<FileTypeFilter> SplitFileDialogFilter(std::string_view filter) {
  std::vector<FileTypeFilter> entries;
  const auto nextPart = [&filter] {
    const std::size_t bar = filter.find('|');
    const std::string_view part = filter.substr(0, bar);
    filter.remove_prefix(bar == std::string_view::npos ? filter.size() : bar + 1);
    return part;
  };
  while (!filter.empty()) {
    const std::string_view description = nextPart();
    if (description.empty()) {
      break;
    }
    entries.push_back({std::string(description), std::string(nextPart())});
  }
  return entries;
}

std::vector<std::string> SplitFileLines(std::string_view bytes) {
  std::vector<std::string> lines;
  while (!bytes.empty()) {
    const std::size_t end = bytes.find('\n');
    if (end == std::string_view::npos) {
      lines.emplace_back(bytes);
      break;
    }
    std::string_view line = bytes.substr(0, end);
    if (line.ends_with('\r')) {
      line.remove_suffix(1);
    }
    lines.emplace_back(line);
    bytes.remove_prefix(end + 1);
  }
  return lines;
}

CTextFile::CTextFile(std::string extension) : extension_(std::move(extension)) {}

CTextFile::~CTextFile() = default;

bool CTextFile::ReadLines(std::filesystem::path& fileName, std::vector<std::string>& lines) {
  if (fileName.empty() && !ChooseFileName(false, fileName)) {
    return false;
  }
  // The file is read whole before the list changes, so a read that fails half-way leaves the
  // caller's lines as they were rather than a truncated file's.
  std::string reason;
  const auto text = ReadTextFile(fileName, reason);
  if (!text) {
    return false;
  }
  lines = SplitFileLines(*text);
  return true;
}

bool CTextFile::ChooseFileName(bool /*forSaving*/, std::filesystem::path& /*fileName*/) {
  return false;
}

}  // namespace mensuro
