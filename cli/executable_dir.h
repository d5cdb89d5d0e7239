#pragma once

#include <filesystem>

namespace mensuro::cli {

// The folder of the running executable, where its shipped files are looked up. `argv0` is the
// program's first argument, used where the system can't say where the executable is.
std::filesystem::path ExecutableDirectory(const char* argv0);

}  // namespace mensuro::cli
