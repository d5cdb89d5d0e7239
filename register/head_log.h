#pragma once

// The register's head log: an append-only text file kept apart from the database, one line per
// certificate issued, `NUMBER RECORD_SHA256 LINK ISSUED_AT`, LINK being what the next record's
// previousSha256 will be. The chain of record hashes shows a record edited; only something
// outside the database shows the newest records taken away, or an older copy put back. An
// SQLite register's head log is the file beside it, `FILE.heads`; a PostgreSQL register's is
// named by the user. The equipment records' chain keeps a log of its own beside it,
// `LOG.equipment`, in the same lines: `equipment-<position> RECORD_SHA256 LINK ENTERED_AT`.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace mensuro {

// The environment variable naming a PostgreSQL register's head log.
inline constexpr const char* kHeadLogEnvironment = "MENSURO_HEAD_LOG";

// A head log that can't be read or written, with the reason.
class HeadLogError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct HeadLine {
  std::string number;
  std::string recordSha256;
  std::string link;  // SHA-256 of recordSha256 and pdfSha256: the next record's previousSha256
  std::string issuedAt;
  bool operator==(const HeadLine&) const = default;
};

// The head log of the register at `location`: `FILE.heads` beside an SQLite file; for a
// PostgreSQL database `named`, else the environment's MENSURO_HEAD_LOG, else `fallback`. Empty
// when none is named.
std::filesystem::path HeadLogPath(const std::string& location, const std::string& named = {},
                                  const std::string& fallback = {});

// The equipment records' head log beside the head log `headLog`: `headLog.equipment`; empty when
// `headLog` is.
std::filesystem::path EquipmentHeadLogPath(const std::filesystem::path& headLog);

// The line of `head`, without its line feed.
std::string HeadLineText(const HeadLine& head);

// The head of a line of the log; nothing when the line isn't one.
std::optional<HeadLine> ParseHeadLine(std::string_view line);

// Every line of the log at `path`, in order; none when there is no such file. Throws
// HeadLogError for a file that can't be read or a line that isn't a head.
std::vector<HeadLine> ReadHeadLog(const std::filesystem::path& path);
// The same, each line handed to `each` as it is read; returns how many there were.
std::size_t ForEachHead(const std::filesystem::path& path,
                        const std::function<void(const HeadLine&)>& each);
// The log's last line, read from its end alone; nothing for a log that is missing or empty.
std::optional<HeadLine> LastHead(const std::filesystem::path& path);

// Appends `heads` to the log at `path` (created when missing) and flushes them to the disk.
// Returns the log's size before, for TakeBackHeads. Throws HeadLogError when it can't.
std::uintmax_t AppendHeads(const std::filesystem::path& path, const std::vector<HeadLine>& heads);

// Cuts the log back to `size` bytes, taking back what was appended after it.
void TakeBackHeads(const std::filesystem::path& path, std::uintmax_t size) noexcept;

// Takes back the log's last line. Throws HeadLogError when it can't.
void TakeBackLastHead(const std::filesystem::path& path);

// The head an issue appends before its commit is also kept in a file beside the log,
// `LOG.pending`, until the commit is done: an issue stopped on the way (a crash, a kill) leaves
// its line in the log for a record never committed, and this tells it from a record removed.
std::filesystem::path PendingHeadPath(const std::filesystem::path& path);
// Notes `head` as pending. Throws HeadLogError when it can't.
void MarkHeadPending(const std::filesystem::path& path, const HeadLine& head);
// The head noted as pending; nothing when none is (or the note doesn't read).
std::optional<HeadLine> PendingHead(const std::filesystem::path& path);
// Removes the note of `head`, when it is still the one noted.
void ClearPendingHead(const std::filesystem::path& path, const HeadLine& head) noexcept;

}  // namespace mensuro
