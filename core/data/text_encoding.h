#pragma once

// What the readers make of a text file's bytes before splitting them into lines. Mensuro's files
// are single-byte text; the usual ways an editor saves such a file differently are mended here,
// and text that can't be read byte by byte is refused with a reason a user can act on.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace mensuro {

// The UTF-8 byte-order mark, which a text file may begin with and reading skips.
inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// The text of a file's bytes: a UTF-8 byte-order mark at the start is dropped, and when no line
// feed is present at all, every carriage return becomes a line feed (lines ended the old
// Macintosh way). Nothing, with the reason in `reason`, when the bytes are UTF-16 or UTF-32 text:
// by their byte-order mark, or by a NUL in every other byte (text of Latin characters alone).
std::optional<std::string> TextFileText(std::string bytes, std::string& reason);

// The text of the file at `path` (ReadFileBytes, then TextFileText); or nothing, with the reason.
std::optional<std::string> ReadTextFile(const std::filesystem::path& path, std::string& reason);

}  // namespace mensuro
