#include "core/data/file_bytes.h"

#include <cerrno>
#include <fstream>
#include <iterator>
#include <system_error>

namespace mensuro {

std::optional<std::string> ReadFileBytes(const std::filesystem::path& path, std::string& reason) {
  std::error_code status;
  if (std::filesystem::is_directory(path, status)) {
    reason = "it is a folder";
    return std::nullopt;
  }
  errno = 0;
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    reason = errno != 0 ? std::generic_category().message(errno) : "it can't be opened";
    return std::nullopt;
  }
  std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  if (file.bad()) {
    reason = "reading it failed";
    return std::nullopt;
  }
  return bytes;
}

}  // namespace mensuro
