#include "settings/settings_file.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/atomic_file.h"
#include "base/paths.h"
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

// Creates the missing folders of `folder` with mode 0700.
bool ensureFolder(const std::string &folder) {
  struct stat st {};
  if (::stat(folder.c_str(), &st) == 0)
    return S_ISDIR(st.st_mode);
  if (errno != ENOENT)
    return false;
  const std::string parent = containingFolder(folder);
  if (parent != folder && !ensureFolder(parent))
    return false;
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
    return false;
  ::chmod(folder.c_str(), 0700);
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
  const std::string path = linkTarget(givenPath);
  const std::string folder = containingFolder(path);
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
  // Only the user reads the settings: they hold the data-source logins.
  AtomicWriteOptions options;
  options.mode = 0600;
  try {
    replaceFile(path, formatRegFile(parsed.document), options);
  } catch (const AtomicFileError &) {
    return false; // the caller's settings stay as they were; a failed save is only reported
  }
  return true;
}

} // namespace brevant
