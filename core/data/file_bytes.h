#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace mensuro {

// The bytes of the file at `path`, unchanged; or nothing, with the reason in `reason`.
std::optional<std::string> ReadFileBytes(const std::filesystem::path& path, std::string& reason);

// Writes `bytes` unchanged (no line-end translation) as the whole content of the file at `path`.
// The bytes go to a new file beside the target first, which then replaces the target in one
// step, so a write that fails halfway leaves a previous file whole. A replaced file keeps its
// permissions, and a symbolic link keeps pointing where it did. Returns 0 when written, 1 when
// the file can't be written; nothing is left behind then.
int WriteTextFile(const std::filesystem::path& path, std::string_view bytes);

}  // namespace mensuro
