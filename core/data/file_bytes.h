#pragma once

#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace mensuro {

struct FileCloser {
  void operator()(std::FILE* file) const;
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// A new file at `path`, open for writing bytes; never one that exists already: nothing, with
// errno EEXIST, when something of that name is there, which is left as it was.
FileHandle CreateNewFile(const std::filesystem::path& path);

// The bytes of the file at `path`, unchanged; or nothing, with the reason in `reason`.
std::optional<std::string> ReadFileBytes(const std::filesystem::path& path, std::string& reason);

// Writes `bytes` unchanged (no line-end translation) as the whole content of the file at `path`.
// The bytes go to a new file beside the target first, which then replaces the target in one
// step, so a write that fails halfway leaves a previous file whole. A replaced file keeps its
// permissions, and a symbolic link keeps pointing where it did. Returns 0 when written, 1 when
// the file can't be written; nothing is left behind then.
int WriteFileBytes(const std::filesystem::path& path, std::string_view bytes);

// The same, with the reason of a failure in `reason`.
int WriteFileBytes(const std::filesystem::path& path, std::string_view bytes, std::string& reason);

// Writes bytes to the file, true when all of them were written.
using WriteBytes = std::function<bool(std::string_view)>;

// Writes the file at `path` as WriteFileBytes does, with the content that `writeContent` writes
// piece by piece; a content too big to hold twice needn't be put together first. Returns 0 when
// written, 1 when the file can't be written or `writeContent` returns false.
int WriteFileWith(const std::filesystem::path& path,
                  const std::function<bool(const WriteBytes&)>& writeContent);

// The same, with the reason of a failure in `reason`.
int WriteFileWith(const std::filesystem::path& path,
                  const std::function<bool(const WriteBytes&)>& writeContent, std::string& reason);

}  // namespace mensuro
