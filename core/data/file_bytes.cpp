#include "core/data/file_bytes.h"

#include <cerrno>
#include <cstdio>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#endif
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <random>
#include <system_error>

namespace mensuro {
namespace {

// The file a write replaces: the target of a symbolic link rather than the link itself.
std::filesystem::path WriteTarget(const std::filesystem::path& path) {
  std::error_code status;
  if (std::filesystem::is_symlink(path, status)) {
    std::filesystem::path resolved = std::filesystem::weakly_canonical(path, status);
    if (!status) {
      return resolved;
    }
  }
  return path;
}

// Creates a file of a fresh name beside `target`, never one that exists already ("x" mode).
FileHandle CreateScratchFile(const std::filesystem::path& target, std::filesystem::path& scratch) {
  std::random_device seed;
  std::mt19937_64 names(seed());
  for (int attempt = 0; attempt < 16; ++attempt) {
    scratch = target;
    scratch += ".mensuro-" + std::to_string(names() % 1000000000U) + ".tmp";
    if (FileHandle file = CreateNewFile(scratch)) {
      return file;
    }
    if (errno != EEXIST) {
      break;
    }
  }
  return nullptr;
}

}  // namespace

void FileCloser::operator()(std::FILE* file) const {
  std::fclose(file);
}

FileHandle CreateNewFile(const std::filesystem::path& path) {
#ifdef _WIN32
  // The C library of Windows knows no "x" mode, and its narrow names go through the code page:
  // the wide-character open creates exclusively, then a stream is put on the descriptor.
  const int descriptor =
      _wopen(path.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
  if (descriptor < 0) {
    return nullptr;
  }
  FileHandle file{_fdopen(descriptor, "wb")};
  if (!file) {
    const int error = errno;
    _close(descriptor);
    errno = error;
  }
  return file;
#else
  return FileHandle{std::fopen(path.c_str(), "wbx")};
#endif
}

std::optional<std::string> ReadFileBytes(const std::filesystem::path& path, std::string& reason) {
  std::error_code status;
  if (std::filesystem::is_directory(path, status)) {
    reason = "it is a folder";
    return std::nullopt;
  }
  errno = 0;
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    reason = errno != 0 ? std::generic_category().message(errno) : "it can't be opened";
    return std::nullopt;
  }
  std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  if (file.bad()) {
    reason = "reading it failed";
    return std::nullopt;
  }
  return bytes;
}

int WriteFileWith(const std::filesystem::path& path,
                  const std::function<bool(const WriteBytes&)>& writeContent, std::string& reason) {
  const std::filesystem::path target = WriteTarget(path);
  std::error_code status;
  if (target.empty()) {
    reason = "the file name is empty";
    return 1;
  }
  if (std::filesystem::is_directory(target, status)) {
    reason = "it is a folder";
    return 1;
  }
  std::filesystem::path scratch;
  errno = 0;
  FileHandle file = CreateScratchFile(target, scratch);
  if (!file) {
    reason = errno != 0 ? std::generic_category().message(errno) : "it can't be created";
    return 1;
  }
  const WriteBytes write = [&file](std::string_view bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
  };
  errno = 0;
  const bool written = writeContent(write) && std::fflush(file.get()) == 0;
  const bool closed = std::fclose(file.release()) == 0;
  const int writeError = errno;

  const std::filesystem::file_status old = std::filesystem::status(target, status);
  if (written && closed && std::filesystem::exists(old)) {
    std::filesystem::permissions(scratch, old.permissions(), status);
  }
  if (written && closed) {
    std::filesystem::rename(scratch, target, status);
    if (!status) {
      return 0;
    }
    reason = status.message();
  } else {
    reason = writeError != 0 ? std::generic_category().message(writeError) : "writing it failed";
  }
  std::filesystem::remove(scratch, status);
  return 1;
}

int WriteFileWith(const std::filesystem::path& path,
                  const std::function<bool(const WriteBytes&)>& writeContent) {
  std::string reason;
  return WriteFileWith(path, writeContent, reason);
}

int WriteFileBytes(const std::filesystem::path& path, std::string_view bytes) {
  std::string reason;
  return WriteFileBytes(path, bytes, reason);
}

int WriteFileBytes(const std::filesystem::path& path, std::string_view bytes, std::string& reason) {
  return WriteFileWith(
      path, [bytes](const WriteBytes& write) { return write(bytes); }, reason);
}

}  // namespace mensuro
