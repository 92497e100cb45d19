#include "definition/atomic_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace brevant {

namespace {

std::runtime_error failure(const std::string &what, const std::string &path, int error) {
  return std::runtime_error(what + " \"" + path + "\": " + std::strerror(error));
}

// Opens a new file "<path>.<6 random letters>.tmp" for writing; the name is returned in `name`.
int createTemporary(const std::string &path, std::string &name) {
  static constexpr char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937 generator{std::random_device{}()};
  std::uniform_int_distribution<int> pick(0, sizeof letters - 2);
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = path + '.';
    for (int i = 0; i < 6; ++i)
      name += letters[pick(generator)];
    name += ".tmp";
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST)
      return fd;
  }
  return -1;
}

// 0, or the errno of the write that failed.
int writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR)
        continue;
      return errno;
    }
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return 0;
}

void syncFolder(const std::string &path) {
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

} // namespace

void replaceFile(const std::string &givenPath, std::string_view bytes, bool keepBackup) {
  std::string path = givenPath;
  struct stat old {};
  bool exists = ::lstat(path.c_str(), &old) == 0;
  if (exists && S_ISLNK(old.st_mode)) {
    std::error_code error;
    const std::filesystem::path target = std::filesystem::canonical(path, error);
    if (!error)
      path = target.string();
    exists = ::stat(path.c_str(), &old) == 0;
  }

  std::string temporary;
  const int fd = createTemporary(path, temporary);
  if (fd < 0)
    throw failure("Cannot write the file", givenPath, errno);
  if (exists)
    ::fchmod(fd, old.st_mode & 07777);
  int error = writeAll(fd, bytes);
  if (error == 0 && ::fsync(fd) != 0)
    error = errno;
  if (::close(fd) != 0 && error == 0)
    error = errno;
  if (error != 0) {
    ::unlink(temporary.c_str());
    throw failure("Cannot write the file", givenPath, error);
  }

  // The backup is a second name for the old file, so `path` exists at every moment. Where
  // hard links are not possible the old file is renamed instead and put back on failure.
  const std::string backup = path + ".bak";
  bool movedAside = false;
  if (keepBackup && exists) {
    ::unlink(backup.c_str());
    if (::link(path.c_str(), backup.c_str()) != 0)
      movedAside = ::rename(path.c_str(), backup.c_str()) == 0;
  }
  if (::rename(temporary.c_str(), path.c_str()) != 0) {
    error = errno;
    if (movedAside)
      ::rename(backup.c_str(), path.c_str());
    ::unlink(temporary.c_str());
    throw failure("Cannot write the file", givenPath, error);
  }
  syncFolder(path);
}

} // namespace brevant
