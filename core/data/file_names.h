#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace mensuro {

// File names travel through the programs as UTF-8 text (the command line's arguments, messages,
// the JSON). These turn such a name into a path and back the same way on every system: Windows
// keeps names as UTF-16, where a plain conversion would go through the C library's code page
// and lose every letter outside it. On Linux both are the bytes unchanged.
std::filesystem::path PathFromUtf8(std::string_view name);
std::string Utf8FromPath(const std::filesystem::path& path);

}  // namespace mensuro
