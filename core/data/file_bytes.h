#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace mensuro {

// The bytes of the file at `path`, unchanged; or nothing, with the reason in `reason`.
std::optional<std::string> ReadFileBytes(const std::filesystem::path& path, std::string& reason);

}  // namespace mensuro
