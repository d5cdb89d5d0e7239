#include "cli/executable_dir.h"

#include <boost/dll/runtime_symbol_info.hpp>
#include <system_error>

namespace mensuro::cli {

std::filesystem::path ExecutableDirectory(const char* argv0) {
  // The system names the running executable (/proc/self/exe on Linux, the module's own file
  // name on Windows), wherever it was started from and whatever it was started as.
  std::error_code status;
  const std::filesystem::path self = boost::dll::program_location(status);
  if (!status && self.has_parent_path()) {
    return self.parent_path();
  }
  // Else the first argument is the path the executable was started by.
  const auto started = std::filesystem::absolute(argv0 != nullptr ? argv0 : "", status);
  return status ? std::filesystem::path{} : started.parent_path();
}

}  // namespace mensuro::cli
