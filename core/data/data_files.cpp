#include "core/data/data_files.h"

#include <boost/dll/runtime_symbol_info.hpp>
#include <system_error>

namespace mensuro {

std::filesystem::path RunningProgramFolder() {
  std::error_code status;
  const std::filesystem::path program = boost::dll::program_location(status);
  return status ? std::filesystem::path{} : program.parent_path();
}

std::filesystem::path LocateDataFile(const std::filesystem::path& executableDir,
                                     std::string_view fileName) {
  const std::filesystem::path name{std::string(fileName)};
  std::filesystem::path beside = executableDir / name;
  std::error_code status;
  if (std::filesystem::exists(beside, status)) {
    return beside;
  }
  // Spelled without the "..", as a message naming it should read.
  std::filesystem::path installed =
      (executableDir / ".." / "share" / "mensuro" / name).lexically_normal();
  if (std::filesystem::exists(installed, status)) {
    return installed;
  }
  return beside;
}

std::filesystem::path BaselineLibraryPath(const std::filesystem::path& executableDir) {
  return LocateDataFile(executableDir, kBaselineLibraryFileName);
}

}  // namespace mensuro
