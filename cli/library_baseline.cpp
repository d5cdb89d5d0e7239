#include "cli/library_baseline.h"

#include "cli/command_line.h"
#include "cli/executable_dir.h"
#include "cli/terminal_output.h"
#include "core/data/data_files.h"
#include "core/data/file_names.h"
#include "core/data/text_encoding.h"
#include "core/data/text_file.h"

namespace mensuro::cli {

std::filesystem::path LibraryPath(const std::string& libraryFile, const char* argv0) {
  return libraryFile.empty() ? BaselineLibraryPath(ExecutableDirectory(argv0))
                             : PathFromUtf8(libraryFile);
}

std::optional<std::string> ReadLibrary(const std::filesystem::path& library) {
  std::string reason;
  auto text = ReadTextFile(library, reason);
  if (!text) {
    Fail(kExitUsage, "cannot read the baseline library '" + Utf8FromPath(library) + "': " + reason);
  }
  return text;
}

std::optional<CollectedBaseline> LibraryBaseline(const std::filesystem::path& library,
                                                 const std::string& name) {
  const auto text = ReadLibrary(library);
  if (!text) {
    return std::nullopt;
  }
  CollectedBaseline baseline = CollectBaseline(*text, name);
  if (baseline.nameLines == 0) {
    const std::optional<std::string> similar =
        SimilarBaselineName(BaselineNames(SplitFileLines(*text)), name);
    const std::string hint = similar ? "; did you mean \"" + *similar + "\"?" : "";
    Fail(kExitUsage, "No baseline named " + name + " in " + Utf8FromPath(library) + hint +
                         " (--list-baselines lists them)");
    return std::nullopt;
  }
  return baseline;
}

}  // namespace mensuro::cli
