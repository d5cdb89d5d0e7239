#pragma once

// A baseline of the library for mensuro-cli: the library's path and the baseline's lines, with
// the messages a user gets when either is missing.

#include <filesystem>
#include <optional>
#include <string>

#include "core/data/baseline_library.h"

namespace mensuro::cli {

// The library file named on the command line, or the one shipped with the program.
std::filesystem::path LibraryPath(const std::string& libraryFile, const char* argv0);

// The library's text; nothing, after saying why, when it can't be read.
std::optional<std::string> ReadLibrary(const std::filesystem::path& library);

// The baseline named `name` of the library at `library`; nothing, after saying why (with a
// similar name the user may have meant), when the library can't be read or lacks it.
std::optional<CollectedBaseline> LibraryBaseline(const std::filesystem::path& library,
                                                 const std::string& name);

}  // namespace mensuro::cli
