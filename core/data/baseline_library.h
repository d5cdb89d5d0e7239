#pragma once

// The baseline library: a text file of predefined baselines, each a name line "1:NAME" followed
// by the baseline's published distance lines "2:From,To,distance", and optionally properties of
// the baseline, "3:KEY=VALUE" (its uncertainty, say). Other lines are ignored.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mensuro {

// Loading reads the library in pieces of at most this many bytes; the rest of a longer line is
// read as a line of its own.
inline constexpr std::size_t kLibraryPieceLength = 254;

// The next piece of the library's text, taken from the front of `bytes`: the next line with its
// line end, but at most kLibraryPieceLength bytes. Loading reads every piece as a line.
std::string_view NextLibraryPiece(std::string_view& bytes);

// The baseline names of the library's lines, in file order: the text after "1:" of every line
// that begins with it, less trailing line feeds, carriage returns and blanks (tabs stay). Loading
// compares names with their trailing blanks and tabs removed on both sides, so every listed name
// loads, and so does the name as it looks.
std::vector<std::string> BaselineNames(const std::vector<std::string>& libraryLines);

// The names of the library at `libraryPath` (BaselineNames of CTextFile's lines); none when
// it can't be read.
std::vector<std::string> ListBaselines(const std::filesystem::path& libraryPath);

// A "3:KEY=VALUE" line under a baseline's name line.
struct BaselineProperty {
  std::string key;
  std::string value;
  std::size_t line = 0;  // library line, counted from 1
};

// What loading a baseline gathers from the library.
struct CollectedBaseline {
  // The distance texts under every name line equal to the name, in file order, each followed
  // by CR LF: the published text of the baseline.
  std::string publishedText;
  // How many name lines carry the name; 0 when the library has no such baseline.
  std::size_t nameLines = 0;
  // For every line of the published text, the library line it came from, counted from 1.
  std::vector<std::size_t> libraryLines;
  // Its property lines, in file order.
  std::vector<BaselineProperty> properties;
};

// The last of the baseline's properties named `key`: a later line overrides an earlier one.
std::optional<BaselineProperty> FindBaselineProperty(const CollectedBaseline& baseline,
                                                     std::string_view key);

// The first of `names` that `asked` matches once blanks around both are dropped and letter case
// is ignored (ASCII), for a name typed slightly differently; nothing when none does.
std::optional<std::string> SimilarBaselineName(const std::vector<std::string>& names,
                                               std::string_view asked);

// Collects the baseline named `baselineName` from the library's bytes: the groups under every
// name line whose name equals it once trailing blanks and tabs are dropped from both.
CollectedBaseline CollectBaseline(std::string_view libraryBytes, std::string_view baselineName);

// Whether the library line `line` is a name line of the baseline `baselineName`, as
// CollectBaseline compares names.
bool IsNameLineOf(std::string_view line, std::string_view baselineName);

// Loads the baseline named `baselineName` from the library's text at `libraryPath`
// (ReadTextFile) into `collected` and returns 0; returns 1 with `collected` untouched when the
// library can't be read whole or isn't single-byte text.
int LoadBaseline(const std::filesystem::path& libraryPath, std::string_view baselineName,
                 CollectedBaseline& collected);

}  // namespace mensuro
