#include "core/data/same_file.h"

#include <filesystem>
#include <system_error>

#include <fmt/format.h>

#include "core/data/file_names.h"

namespace mensuro {

bool IsSameFile(const std::string& a, const std::string& b) {
  const std::filesystem::path first = PathFromUtf8(a);
  const std::filesystem::path second = PathFromUtf8(b);
  std::error_code status;
  if (std::filesystem::exists(first, status) && std::filesystem::exists(second, status)) {
    const bool same = std::filesystem::equivalent(first, second, status);
    return same && !status;
  }
  // A file not there yet: two outputs of the same name would still end up as one file.
  std::error_code firstStatus;
  std::error_code secondStatus;
  const std::filesystem::path firstResolved = std::filesystem::weakly_canonical(first, firstStatus);
  const std::filesystem::path secondResolved =
      std::filesystem::weakly_canonical(second, secondStatus);
  return !firstStatus && !secondStatus && firstResolved == secondResolved;
}

std::optional<NamedFile> SameFileAs(const NamedFile& output, const std::vector<NamedFile>& inputs) {
  if (output.name.empty()) {
    return std::nullopt;
  }
  for (const NamedFile& input : inputs) {
    if (!input.name.empty() && IsSameFile(output.name, input.name)) {
      return input;
    }
  }
  return std::nullopt;
}

std::string OutputOverInputProblem(const std::vector<NamedFile>& outputs,
                                   const std::vector<NamedFile>& inputs) {
  std::vector<NamedFile> taken = inputs;
  for (const NamedFile& output : outputs) {
    if (const std::optional<NamedFile> same = SameFileAs(output, taken)) {
      return fmt::format("the {} '{}' is the {} '{}'; nothing was written", output.role,
                         output.name, same->role, same->name);
    }
    taken.push_back(output);
  }
  return {};
}

}  // namespace mensuro
