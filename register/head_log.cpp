#include "register/head_log.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "core/data/file_bytes.h"
#include "core/data/file_names.h"
#include "register/database.h"

namespace mensuro {
namespace {

bool IsSha256Hex(std::string_view text) {
  return text.size() == 64 && text.find_first_not_of("0123456789abcdef") == std::string::npos;
}

std::string Shown(const std::filesystem::path& path) {
  return Utf8FromPath(path);
}

std::string Reason(int error) {
  return error != 0 ? std::generic_category().message(error) : std::string("unknown failure");
}

FileHandle OpenForAppending(const std::filesystem::path& path) {
#ifdef _WIN32
  return FileHandle{_wfopen(path.c_str(), L"ab")};
#else
  return FileHandle{std::fopen(path.c_str(), "ab")};
#endif
}

// Flushes the stream's bytes through to the disk, not only to the system's cache.
bool FlushToDisk(std::FILE* file) {
  if (std::fflush(file) != 0) {
    return false;
  }
#ifdef _WIN32
  return _commit(_fileno(file)) == 0;
#else
  return fsync(fileno(file)) == 0;
#endif
}

}  // namespace

std::filesystem::path HeadLogPath(const std::string& location, const std::string& named,
                                  const std::string& fallback) {
  if (!IsPostgresLocation(location)) {
    return PathFromUtf8(location + ".heads");
  }
  if (!named.empty()) {
    return PathFromUtf8(named);
  }
  if (const char* fromEnvironment = std::getenv(kHeadLogEnvironment);
      fromEnvironment != nullptr && *fromEnvironment != '\0') {
    return PathFromUtf8(fromEnvironment);
  }
  return PathFromUtf8(fallback);
}

std::filesystem::path EquipmentHeadLogPath(const std::filesystem::path& headLog) {
  if (headLog.empty()) {
    return {};
  }
  std::filesystem::path equipment = headLog;
  equipment += ".equipment";
  return equipment;
}

std::string HeadLineText(const HeadLine& head) {
  return head.number + ' ' + head.recordSha256 + ' ' + head.link + ' ' + head.issuedAt;
}

std::optional<HeadLine> ParseHeadLine(std::string_view line) {
  if (line.ends_with('\r')) {
    line.remove_suffix(1);  // edited on Windows
  }
  std::vector<std::string> fields;
  while (!line.empty()) {
    const std::size_t blank = line.find(' ');
    fields.emplace_back(line.substr(0, blank));
    line = blank == std::string_view::npos ? std::string_view() : line.substr(blank + 1);
  }
  if (fields.size() != 4 || fields[0].empty() || fields[3].empty() || !IsSha256Hex(fields[1]) ||
      !IsSha256Hex(fields[2])) {
    return std::nullopt;
  }
  return HeadLine{fields[0], fields[1], fields[2], fields[3]};
}

namespace {

// Whether the log at `path` is there; throws HeadLogError when that can't be told.
bool HeadLogExists(const std::filesystem::path& path) {
  std::error_code status;
  if (!std::filesystem::exists(path, status)) {
    if (status) {
      throw HeadLogError("cannot read the head log " + Shown(path) + ": " + status.message());
    }
    return false;
  }
  return true;
}

HeadLine ParsedOrThrown(std::string_view line, const std::filesystem::path& path,
                        const std::string& which) {
  std::optional<HeadLine> head = ParseHeadLine(line);
  if (!head) {
    throw HeadLogError("the head log " + Shown(path) + " has a " + which +
                       " that is not NUMBER RECORD_SHA256 LINK ISSUED_AT");
  }
  return std::move(*head);
}

// A log's line is far shorter than this; reading its tail finds its last line whole.
constexpr std::streamoff kTailBytes = 4096;

}  // namespace

std::size_t ForEachHead(const std::filesystem::path& path,
                        const std::function<void(const HeadLine&)>& each) {
  if (!HeadLogExists(path)) {
    return 0;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw HeadLogError("cannot read the head log " + Shown(path));
  }
  // Line by line, so a log of a laboratory's lifetime is never held whole.
  std::size_t heads = 0;
  std::string line;
  for (int lineNumber = 1; std::getline(in, line); ++lineNumber) {
    if (line.empty() || line == "\r") {
      continue;
    }
    each(ParsedOrThrown(line, path, "line " + std::to_string(lineNumber)));
    ++heads;
  }
  if (in.bad()) {
    throw HeadLogError("cannot read the head log " + Shown(path));
  }
  return heads;
}

std::vector<HeadLine> ReadHeadLog(const std::filesystem::path& path) {
  std::vector<HeadLine> heads;
  ForEachHead(path, [&heads](const HeadLine& head) { heads.push_back(head); });
  return heads;
}

std::optional<HeadLine> LastHead(const std::filesystem::path& path) {
  if (!HeadLogExists(path)) {
    return std::nullopt;
  }
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) {
    throw HeadLogError("cannot read the head log " + Shown(path));
  }
  const std::streamoff size = in.tellg();
  const std::streamoff start = std::max<std::streamoff>(0, size - kTailBytes);
  std::string tail(static_cast<std::size_t>(size - start), '\0');
  in.seekg(start);
  if (!in.read(tail.data(), static_cast<std::streamsize>(tail.size()))) {
    throw HeadLogError("cannot read the head log " + Shown(path));
  }
  std::string_view text = tail;
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  if (text.empty()) {
    return std::nullopt;
  }
  const std::size_t lineFeed = text.rfind('\n');
  if (lineFeed == std::string_view::npos && start > 0) {
    throw HeadLogError("the head log " + Shown(path) +
                       " has a last line that is not NUMBER RECORD_SHA256 LINK ISSUED_AT");
  }
  return ParsedOrThrown(text.substr(lineFeed == std::string_view::npos ? 0 : lineFeed + 1), path,
                        "last line");
}

std::uintmax_t AppendHeads(const std::filesystem::path& path, const std::vector<HeadLine>& heads) {
  std::error_code status;
  std::uintmax_t size = std::filesystem::file_size(path, status);
  if (status) {
    size = 0;  // no log yet
  }
  std::string text;
  for (const HeadLine& head : heads) {
    text += HeadLineText(head) + '\n';
  }
  errno = 0;
  const FileHandle file = OpenForAppending(path);
  if (!file) {
    throw HeadLogError("cannot write the head log " + Shown(path) + ": " + Reason(errno));
  }
  if (std::fwrite(text.data(), 1, text.size(), file.get()) != text.size() ||
      !FlushToDisk(file.get())) {
    const int error = errno;
    TakeBackHeads(path, size);
    throw HeadLogError("cannot write the head log " + Shown(path) + ": " + Reason(error));
  }
  return size;
}

void TakeBackLastHead(const std::filesystem::path& path) {
  std::string reason;
  const std::optional<std::string> bytes = ReadFileBytes(path, reason);
  if (!bytes) {
    throw HeadLogError("cannot read the head log " + Shown(path) + ": " + reason);
  }
  std::string_view text = *bytes;
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  const std::size_t lineFeed = text.rfind('\n');
  std::error_code status;
  std::filesystem::resize_file(path, lineFeed == std::string_view::npos ? 0 : lineFeed + 1, status);
  if (status) {
    throw HeadLogError("cannot write the head log " + Shown(path) + ": " + status.message());
  }
}

std::filesystem::path PendingHeadPath(const std::filesystem::path& path) {
  std::filesystem::path pending = path;
  pending += ".pending";
  return pending;
}

void MarkHeadPending(const std::filesystem::path& path, const HeadLine& head) {
  std::string reason;
  if (WriteFileBytes(PendingHeadPath(path), HeadLineText(head) + '\n', reason) != 0) {
    throw HeadLogError("cannot write " + Shown(PendingHeadPath(path)) + ": " + reason);
  }
}

std::optional<HeadLine> PendingHead(const std::filesystem::path& path) {
  std::error_code status;
  if (!std::filesystem::exists(PendingHeadPath(path), status)) {
    return std::nullopt;
  }
  std::string reason;
  const std::optional<std::string> bytes = ReadFileBytes(PendingHeadPath(path), reason);
  if (!bytes) {
    return std::nullopt;
  }
  std::string_view line = *bytes;
  if (line.ends_with('\n')) {
    line.remove_suffix(1);
  }
  return ParseHeadLine(line);
}

void ClearPendingHead(const std::filesystem::path& path, const HeadLine& head) noexcept {
  try {
    if (PendingHead(path) == head) {
      std::error_code ignored;
      std::filesystem::remove(PendingHeadPath(path), ignored);
    }
  } catch (...) {
    // A note left behind names a committed record: it is never taken for a stopped issue.
  }
}

void TakeBackHeads(const std::filesystem::path& path, std::uintmax_t size) noexcept {
  std::error_code ignored;  // nothing more can be done; verify names the line left behind
  std::filesystem::resize_file(path, size, ignored);
}

}  // namespace mensuro
