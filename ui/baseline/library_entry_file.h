#pragma once

// A calibrated baseline into a library file chosen in the window.

#include <QString>
#include <string_view>

namespace mensuro {

// Adds `entry` to the library file `libraryFile` as the baseline `name`, in place of every
// group of that name (LibraryWithEntry); a file not there yet is made with the entry alone. The
// library as it was is first kept as libraryFile + ".bak", then the new library is written
// beside it and moved into place, so a failure at any step leaves the library whole. Returns
// the message to show when it fails, naming the file; empty when saved.
QString SaveLibraryEntry(const QString& libraryFile, std::string_view name, std::string_view entry);

// The file a library is kept in while SaveLibraryEntry replaces it.
QString LibraryBackupFile(const QString& libraryFile);

}  // namespace mensuro
