#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace mensuro {

// One file type a file dialog offers: the text the user reads and the pattern it selects.
struct FileTypeFilter {
  std::string description;
  std::string pattern;
};

// The file types a reader's dialog offers, in the bar-separated form "description|pattern|...||":
// for "txt", "txt-files (*.txt)|*.txt|All Files (*.*)|*.*||". Empty for an empty extension, so
// that the dialog offers no file types.
std::string FileDialogFilter(std::string_view extension);

// The entries of a bar-separated filter, in order. The empty entries that close it end the list.
std::vector<FileTypeFilter> SplitFileDialogFilter(std::string_view filter);

// The lines of a file's bytes: a line feed ends a line and a carriage return right before it is
// dropped too; the text after the last line feed is a line of its own; an empty line is an empty
// entry, but a final line feed adds none.
std::vector<std::string> SplitFileLines(std::string_view bytes);

// Reads a whole text file into a list of lines in one call. A reader is made for one kind of
// file, named by its extension without the dot ("dat", "txt"), which its file dialog offers
// first.
class CTextFile {
 public:
  explicit CTextFile(std::string extension);
  virtual ~CTextFile();
  CTextFile(const CTextFile&) = default;
  CTextFile& operator=(const CTextFile&) = default;
  CTextFile(CTextFile&&) = default;
  CTextFile& operator=(CTextFile&&) = default;

  // Replaces `lines` with the lines of the file's text (ReadTextFile, then SplitFileLines) and
  // returns true. An empty `fileName` is first chosen with ChooseFileName. Returns false, with
  // `lines` untouched, when no name was chosen, the file can't be read whole or it isn't
  // single-byte text.
  bool ReadLines(std::filesystem::path& fileName, std::vector<std::string>& lines);

  // Lets the user pick a file to open (`forSaving` false) or to save; true with its full path in
  // `fileName` when one was chosen. Without a window there is nobody to ask: this reader chooses
  // nothing and returns false. A window's reader overrides it with its file dialog.
  virtual bool ChooseFileName(bool forSaving, std::filesystem::path& fileName);

  const std::string& Extension() const { return extension_; }

 private:
  std::string extension_;
};

}  // namespace mensuro
