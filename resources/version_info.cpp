#include "resources/version_info.h"

#include <algorithm>

namespace mensuro {
namespace {

std::optional<std::string_view> Find(std::span<const VersionString> strings,
                                     std::string_view name) {
  const auto found = std::ranges::find(strings, name, &VersionString::name);
  if (found == strings.end()) {
    return std::nullopt;
  }
  return found->value;
}

}  // namespace

std::optional<VersionInfo> ReadVersionInfo(std::span<const VersionString> strings) {
  const auto name = Find(strings, "ProductName");
  const auto version = Find(strings, "ProductVersion");
  if (!name || !version) {
    return std::nullopt;
  }
  return VersionInfo{std::string(*name), std::string(*version)};
}

std::string ProgramVersion(std::span<const VersionString> strings) {
  const std::optional<VersionInfo> version = ReadVersionInfo(strings);
  return version ? version->productName + " " + version->productVersion : std::string("Mensuro");
}

}  // namespace mensuro
