#include "base/atomic_file.h"

#include "base/file_kind.h"
#include "base/paths.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brevant {

namespace {

mode_t defaultMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

void syncFolder(const std::string &path) {
  const int fd = ::open(containingFolder(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

} // namespace

AtomicFileError::AtomicFileError(Step step, const std::string &target, int error)
    : std::runtime_error("Cannot write the file \"" + target + "\": " + std::strerror(error)),
      step_(step), error_(error) {}

AtomicFileError::AtomicFileError(const std::string &target, const std::string &reason)
    : std::runtime_error("Cannot write the file \"" + target + "\": " + reason) {}

AtomicFile::AtomicFile(const std::string &target, const AtomicWriteOptions &options)
    : target_(target), path_(target), options_(options) {
  if (options.link == LinkAtTarget::WriteThrough)
    path_ = linkTarget(target);
  struct stat old {};
  existed_ = ::lstat(path_.c_str(), &old) == 0;
  if (existed_) {
    if (const char *kind = nonFileKind(old.st_mode))
      throw AtomicFileError(target_, std::string("it is ") + kind + ", not a file");
    // A link that stays a link is replaced as a whole; only a file lends its mode.
    existed_ = S_ISREG(old.st_mode);
  }
  mode_t mode = options.mode ? *options.mode : defaultMode();
  if (!options.mode && options.keepMode && existed_)
    mode = old.st_mode & 07777;

  temporary_ = path_ + ".XXXXXX";
  const int fd = ::mkostemp(temporary_.data(), O_CLOEXEC);
  if (fd < 0)
    throw AtomicFileError(AtomicFileError::Step::Create, target_, errno);
  pending_.track(temporary_);
  if (::fchmod(fd, mode) != 0 || (file_ = ::fdopen(fd, "wb")) == nullptr) {
    const int error = errno;
    ::close(fd);
    ::unlink(temporary_.c_str());
    pending_.release();
    throw AtomicFileError(AtomicFileError::Step::Create, target_, error);
  }
}

AtomicFile::~AtomicFile() {
  if (file_ != nullptr) {
    std::fclose(file_);
    ::unlink(temporary_.c_str());
  }
}

void AtomicFile::write(std::string_view bytes) {
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
    throw AtomicFileError(AtomicFileError::Step::Write, target_, errno);
}

void AtomicFile::commit() {
  int error = 0;
  if (std::fflush(file_) != 0 || ::fsync(::fileno(file_)) != 0)
    error = errno;
  const int closed = std::fclose(file_);
  file_ = nullptr;
  if (closed != 0 && error == 0)
    error = errno;
  if (error != 0) {
    ::unlink(temporary_.c_str());
    throw AtomicFileError(AtomicFileError::Step::Write, target_, error);
  }

  // The backup is a second name for the old file, so the target exists at every moment. Where
  // hard links are not possible the old file is renamed instead and put back on failure.
  const std::string backup = path_ + ".bak";
  bool movedAside = false;
  if (options_.keepBackup && existed_) {
    ::unlink(backup.c_str());
    if (::link(path_.c_str(), backup.c_str()) != 0)
      movedAside = ::rename(path_.c_str(), backup.c_str()) == 0;
  }
  if (::rename(temporary_.c_str(), path_.c_str()) != 0) {
    error = errno;
    if (movedAside)
      ::rename(backup.c_str(), path_.c_str());
    ::unlink(temporary_.c_str());
    throw AtomicFileError(AtomicFileError::Step::Rename, target_, error);
  }
  pending_.release();
  syncFolder(path_);
}

void replaceFile(const std::string &target, std::string_view bytes,
                 const AtomicWriteOptions &options) {
  AtomicFile file(target, options);
  file.write(bytes);
  file.commit();
}

} // namespace brevant
