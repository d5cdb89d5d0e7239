#include "cli/executable_dir.h"

#include <system_error>

#include "core/data/data_files.h"

namespace mensuro::cli {

std::filesystem::path ExecutableDirectory(const char* argv0) {
  if (std::filesystem::path folder = RunningProgramFolder(); !folder.empty()) {
    return folder;
  }
  // Else the first argument is the path the executable was started by.
  std::error_code status;
  const auto started = std::filesystem::absolute(argv0 != nullptr ? argv0 : "", status);
  return status ? std::filesystem::path{} : started.parent_path();
}

}  // namespace mensuro::cli
