#include "register/network_file_system.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/vfs.h>
#endif

#include "core/data/file_names.h"

namespace mensuro {

std::string NetworkFileSystemOfType(std::uint64_t type) {
  // The magic numbers of linux/magic.h and of the file systems' own sources.
  switch (type) {
    case 0x6969:
      return "NFS";
    case 0x517B:
      return "SMB";
    case 0xFE534D42:
      return "SMB2";
    case 0xFF534D42:
      return "CIFS";
    case 0x564C:
      return "NCP";
    case 0x5346414F:
      return "AFS";
    case 0x6B414653:
      return "AFS";
    case 0x73757245:
      return "Coda";
    case 0x01021997:
      return "9P";
    case 0x00C36400:
      return "Ceph";
    case 0x0BD00BD0:
      return "Lustre";
    default:
      return {};
  }
}

std::string NetworkFileSystemOfFuseType(std::string_view type) {
  if (!type.starts_with("fuse.")) {
    return {};
  }
  const std::string_view name = type.substr(5);
  for (const std::string_view network :
       {"sshfs", "smbnetfs", "s3fs", "rclone", "gcsfuse", "davfs", "curlftpfs", "glusterfs",
        "cephfs", "ceph-fuse", "goofys", "juicefs", "webdavfs"}) {
    if (name == network) {
      return std::string(name);
    }
  }
  return {};
}

bool IsNetworkSharePath(std::string_view path) {
  const auto separator = [](char c) { return c == '\\' || c == '/'; };
  if (path.size() < 3 || !separator(path[0]) || !separator(path[1])) {
    return false;
  }
  if (path[2] == '?' || path[2] == '.') {
    // \\?\C:\... is local; \\?\UNC\server\share is a share.
    const std::string_view rest = path.substr(3);
    return rest.size() > 5 && separator(rest[0]) &&
           (rest.substr(1, 3) == "UNC" || rest.substr(1, 3) == "unc") && separator(rest[4]);
  }
  return !separator(path[2]);
}

namespace {

// The folder that holds `path`, or would: the file itself may not be there yet.
std::filesystem::path ExistingFolder(const std::string& path) {
  std::error_code status;
  std::filesystem::path folder = std::filesystem::absolute(PathFromUtf8(path), status);
  while (!folder.empty() && !std::filesystem::exists(folder, status)) {
    const std::filesystem::path parent = folder.parent_path();
    if (parent == folder) {
      break;
    }
    folder = parent;
  }
  return folder;
}

#ifndef _WIN32
// The type /proc/self/mounts gives the mount that holds `folder`: that of the longest mount
// point it is under.
std::string MountType(const std::filesystem::path& folder) {
  std::error_code status;
  const std::string where = std::filesystem::weakly_canonical(folder, status).string();
  std::ifstream mounts("/proc/self/mounts");
  std::string device;
  std::string point;
  std::string type;
  std::string rest;
  std::string found;
  std::size_t longest = 0;
  while (mounts >> device >> point >> type && std::getline(mounts, rest)) {
    const bool under =
        where == point || point == "/" ||
        (where.starts_with(point) && where.size() > point.size() && where[point.size()] == '/');
    if (under && point.size() >= longest) {
      longest = point.size();
      found = type;
    }
  }
  return found;
}
#endif

}  // namespace

std::string NetworkFileSystemOf(const std::string& path) {
#ifdef _WIN32
  if (IsNetworkSharePath(path)) {
    return "a network share";
  }
  const std::filesystem::path folder = ExistingFolder(path);
  const std::wstring root = folder.root_name().wstring() + L"\\";
  if (folder.has_root_name() && GetDriveTypeW(root.c_str()) == DRIVE_REMOTE) {
    return "a network drive";
  }
  return {};
#else
  const std::filesystem::path folder = ExistingFolder(path);
  struct statfs info {};
  if (statfs(folder.c_str(), &info) != 0) {
    return {};
  }
  if (std::string name = NetworkFileSystemOfType(static_cast<std::uint64_t>(info.f_type));
      !name.empty()) {
    return name;
  }
  constexpr std::uint64_t kFuse = 0x65735546;
  if (static_cast<std::uint64_t>(info.f_type) == kFuse) {
    return NetworkFileSystemOfFuseType(MountType(folder));
  }
  return {};
#endif
}

}  // namespace mensuro
