#include "settings/settings_file.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "settings/reg_format.h"

namespace brevant {

namespace {

// A settings file is a few kilobytes; anything far larger is not one.
constexpr off_t kMaxFileSize = off_t{16} * 1024 * 1024;

enum class ReadResult { Read, Missing, Failed };

class FileDescriptor {
public:
  explicit FileDescriptor(int fd = -1) : fd_(fd) {}
  FileDescriptor(const FileDescriptor &) = delete;
  FileDescriptor &operator=(const FileDescriptor &) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0)
      ::close(fd_);
  }
  int get() const { return fd_; }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

private:
  int fd_;
};

ReadResult readWholeFile(const std::string &path, std::string &bytes) {
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0)
    return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxFileSize)
    return ReadResult::Failed;
  bytes.clear();
  char buffer[16384];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      return ReadResult::Failed;
    if (n == 0)
      break;
    bytes.append(buffer, static_cast<std::size_t>(n));
    if (bytes.size() > static_cast<std::size_t>(kMaxFileSize))
      return ReadResult::Failed;
  }
  return ReadResult::Read;
}

std::string parentFolder(const std::string &path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos)
    return ".";
  if (slash == 0)
    return "/";
  return path.substr(0, slash);
}

// Creates the missing folders of `folder` with mode 0700.
bool ensureFolder(const std::string &folder) {
  struct stat st {};
  if (::stat(folder.c_str(), &st) == 0)
    return S_ISDIR(st.st_mode);
  if (errno != ENOENT)
    return false;
  const std::string parent = parentFolder(folder);
  if (parent != folder && !ensureFolder(parent))
    return false;
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
    return false;
  ::chmod(folder.c_str(), 0700);
  return true;
}

// The file a symbolic link points at (which need not exist yet), so that replacing the file
// keeps the link.
std::string resolveLink(std::string path) {
  for (int depth = 0; depth < 40; ++depth) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
      return path;
    char target[PATH_MAX];
    const ssize_t n = ::readlink(path.c_str(), target, sizeof target - 1);
    if (n <= 0)
      return path;
    std::string next(target, static_cast<std::size_t>(n));
    path = next.front() == '/' ? next : parentFolder(path) + "/" + next;
  }
  return path;
}

bool writeAll(int fd, const std::string &bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool replaceFile(const std::string &path, const std::string &bytes) {
  const std::string folder = parentFolder(path);
  const std::size_t slash = path.find_last_of('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string temp = folder + "/." + name + ".XXXXXX";
  FileDescriptor fd(::mkostemp(temp.data(), O_CLOEXEC));
  if (fd.get() < 0)
    return false;
  const bool written = ::fchmod(fd.get(), 0600) == 0 && writeAll(fd.get(), bytes) &&
                       ::fsync(fd.get()) == 0 && ::close(fd.release()) == 0;
  if (!written || ::rename(temp.c_str(), path.c_str()) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  // The rename itself reaches the disk with the folder.
  FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0)
    ::fsync(dir.get());
  return true;
}

} // namespace

std::string settingsFilePath() {
  if (const char *explicitPath = std::getenv("BREVANT_SETTINGS"); explicitPath && *explicitPath)
    return explicitPath;
  std::string config;
  if (const char *xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/') {
    config = xdg;
  } else {
    std::string home;
    if (const char *h = std::getenv("HOME"); h && *h)
      home = h;
    else if (const passwd *pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
      home = pw->pw_dir;
    if (home.empty())
      return "";
    config = home + "/.config";
  }
  return config + "/Velkora/Brevant.reg";
}

RegistryDocument readSettingsFile(const std::string &path) {
  std::string bytes;
  if (path.empty() || readWholeFile(path, bytes) != ReadResult::Read)
    return {};
  return parseRegFile(bytes).document;
}

bool updateSettingsFile(const std::string &givenPath,
                        const std::function<bool(RegistryDocument &)> &change) {
  if (givenPath.empty())
    return false;
  const std::string path = resolveLink(givenPath);
  const std::string folder = parentFolder(path);
  if (!ensureFolder(folder))
    return false;

  // Serialises the read-change-write of copies of the program sharing the file. A folder that
  // cannot be locked (some network file systems) is still written, unlocked.
  FileDescriptor lock(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (lock.get() >= 0)
    while (::flock(lock.get(), LOCK_EX) != 0 && errno == EINTR) {
    }

  std::string bytes;
  const ReadResult read = readWholeFile(path, bytes);
  if (read == ReadResult::Failed)
    return false;
  ParsedRegFile parsed;
  if (read == ReadResult::Read) {
    parsed = parseRegFile(bytes);
    const bool blank = bytes.find_first_not_of(" \t\r\n") == std::string::npos;
    if (!parsed.hasHeader && !blank)
      return false;
  }
  if (!change(parsed.document))
    return true;
  return replaceFile(path, formatRegFile(parsed.document));
}

} // namespace brevant
