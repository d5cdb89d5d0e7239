#pragma once

// The program's version strings, compiled in from resources/version_info.txt: what a version
// resource holds for a program on other platforms.

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace mensuro {

struct VersionString {
  std::string_view name;
  std::string_view value;
};

// The version strings of this build, in the order the file gives them.
std::span<const VersionString> ProgramVersionStrings();

struct VersionInfo {
  std::string productName;
  std::string productVersion;
};

// The product name and version from `strings`: both, or nothing when either is missing (the
// name has no use of its own, but strings without it give no version).
std::optional<VersionInfo> ReadVersionInfo(
    std::span<const VersionString> strings = ProgramVersionStrings());

// "Mensuro 1.0.0.3", the product name and version of `strings`: the program that wrote a
// certificate or issued it into the register. "Mensuro" alone when either is missing.
std::string ProgramVersion(std::span<const VersionString> strings = ProgramVersionStrings());

}  // namespace mensuro
