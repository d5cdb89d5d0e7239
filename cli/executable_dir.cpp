#include "cli/executable_dir.h"

#include <system_error>

namespace mensuro::cli {

std::filesystem::path ExecutableDirectory(const char* argv0) {
  std::error_code status;
  // Linux names the running executable here, wherever it was started from.
  const auto self = std::filesystem::read_symlink("/proc/self/exe", status);
  if (!status && self.has_parent_path()) {
    return self.parent_path();
  }
  // Elsewhere the first argument is the path the executable was started by.
  const auto started = std::filesystem::absolute(argv0 != nullptr ? argv0 : "", status);
  return status ? std::filesystem::path{} : started.parent_path();
}

}  // namespace mensuro::cli
