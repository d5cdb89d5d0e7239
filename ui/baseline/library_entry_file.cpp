#include "ui/baseline/library_entry_file.h"

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "core/baseline/baseline_library_entry.h"
#include "core/data/file_bytes.h"
#include "ui/common/control_text.h"

namespace mensuro {
namespace {

QString Failure(const QString& verb, const QString& file, const std::string& reason) {
  return QStringLiteral("Could not %1 the file %2: %3. The library is unchanged.")
      .arg(verb, file, QString::fromStdString(reason));
}

}  // namespace

QString LibraryBackupFile(const QString& libraryFile) {
  return libraryFile + QStringLiteral(".bak");
}

QString SaveLibraryEntry(const QString& libraryFile, std::string_view name,
                         std::string_view entry) {
  const std::filesystem::path library = PathFromText(libraryFile);
  std::error_code error;
  const bool existing = std::filesystem::exists(library, error);
  std::string reason;
  std::optional<std::string> old = std::string();
  if (existing) {
    old = ReadFileBytes(library, reason);
  }
  const std::optional<std::string> updated =
      old ? LibraryWithEntry(*old, name, entry, reason) : std::nullopt;
  if (!updated) {
    return Failure(QStringLiteral("read"), libraryFile, reason);
  }
  if (existing) {
    const QString backup = LibraryBackupFile(libraryFile);
    if (WriteFileBytes(PathFromText(backup), *old, reason) != 0) {
      return Failure(QStringLiteral("write"), backup, reason);
    }
  }
  if (WriteFileBytes(library, *updated, reason) != 0) {
    return Failure(QStringLiteral("write"), libraryFile, reason);
  }
  return {};
}

}  // namespace mensuro
