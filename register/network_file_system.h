#pragma once

// Whether a file lives on a network file system. SQLite's locking and the shared memory of its
// WAL mode are not safe there: two computers writing one register file could corrupt it, so a
// register shared over the network belongs in PostgreSQL.

#include <cstdint>
#include <string>
#include <string_view>

namespace mensuro {

// The name of the network file system of Linux's statfs type number `type` (NFS, SMB, CIFS,
// ...); empty for a local one.
std::string NetworkFileSystemOfType(std::uint64_t type);

// The name of the network file system of a FUSE mount's type as /proc/self/mounts gives it
// ("fuse.sshfs"); empty for a local one.
std::string NetworkFileSystemOfFuseType(std::string_view type);

// Whether `path` names a Windows network share: \\server\share or //server/share (not the
// \\?\ and \\.\ prefixes of local names, unless \\?\UNC\).
bool IsNetworkSharePath(std::string_view path);

// The network file system the file at `path` (or the folder it would be made in) is on; empty
// when it is local or can't be told.
std::string NetworkFileSystemOf(const std::string& path);

}  // namespace mensuro
