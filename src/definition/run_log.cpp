#include "definition/run_log.h"

#include "base/file_kind.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brevant {

namespace {

// The run log a signal handler writes its last line to, and the local time's offset from UTC
// when a line was last stamped (the handler cannot read the time zone safely).
std::atomic<int> signalLogFd{-1};
std::atomic<long> utcOffsetSeconds{0};

std::string stampedLine(std::string_view text) {
  std::string line = logTimeStamp();
  line += "    ";
  line += text;
  line += "\r\n";
  return line;
}

// 0, or the errno of the write that failed.
int writeAll(int fd, const char *data, size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR)
        continue;
      return errno;
    }
    if (written == 0)
      return EIO;
    data += written;
    size -= static_cast<size_t>(written);
  }
  return 0;
}

// Puts `value` as `width` decimal digits at `out`.
void putDigits(char *out, long value, int width) {
  for (int i = width - 1; i >= 0; --i) {
    out[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
}

} // namespace

std::string logTimeStamp(const std::tm &t) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "[%04d%02d%02d %02d:%02d:%02d]", (t.tm_year + 1900) % 10000,
                (t.tm_mon + 1) % 100, t.tm_mday % 100, t.tm_hour % 100, t.tm_min % 100,
                t.tm_sec % 100);
  return buffer;
}

std::string logTimeStamp() {
  // Date and time come from the same reading, so a line written at midnight cannot carry the
  // old date with the new time.
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  utcOffsetSeconds.store(local.tm_gmtoff);
  return logTimeStamp(local);
}

RunLog::~RunLog() { close(); }

bool RunLog::open(const std::string &path, bool holdsSecret) {
  close();
  openError_.clear();
  writeError_.clear();
  struct stat existing {};
  if (::lstat(path.c_str(), &existing) == 0) {
    if (const char *kind = nonFileKind(existing.st_mode)) {
      openError_ = std::string("it is ") + kind;
      return false;
    }
    // A link is replaced, never followed; a file that must become private is made afresh, so
    // that no one who could read the old one keeps a way in. (If the folder does not allow
    // removing it, it is emptied and its mode changed below instead.)
    if (S_ISLNK(existing.st_mode) || holdsSecret)
      ::unlink(path.c_str());
  }
  const mode_t mode = holdsSecret ? 0600 : 0666;
  // O_NOFOLLOW: a link put there since is not followed; O_NONBLOCK: a pipe put there since
  // cannot hang the run (it is refused below).
  const int fd = ::open(path.c_str(),
                        O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, mode);
  if (fd < 0) {
    openError_ = std::strerror(errno);
    return false;
  }
  struct stat opened {};
  if (::fstat(fd, &opened) != 0 || nonFileKind(opened.st_mode) != nullptr) {
    const char *kind = nonFileKind(opened.st_mode);
    openError_ = kind != nullptr ? std::string("it is ") + kind : std::strerror(errno);
    ::close(fd);
    return false;
  }
  if (holdsSecret && (opened.st_mode & 077) != 0 && ::fchmod(fd, 0600) != 0) {
    openError_ = std::string("it cannot be made private: ") + std::strerror(errno);
    ::close(fd);
    return false;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  fd_ = fd;
  signalLogFd.store(fd_);
  return true;
}

void RunLog::close() {
  if (fd_ < 0)
    return;
  int expected = fd_;
  signalLogFd.compare_exchange_strong(expected, -1);
  if (::close(fd_) != 0 && writeError_.empty())
    writeError_ = std::strerror(errno);
  fd_ = -1;
}

void RunLog::write(const std::string &line) {
  // After the first failure nothing more is written: the log ends where it went wrong rather
  // than going on with holes.
  if (fd_ < 0 || !writeError_.empty())
    return;
  if (const int error = writeAll(fd_, line.data(), line.size()); error != 0)
    writeError_ = std::strerror(error);
}

void RunLog::logLine(const std::string &text) {
  write(stampedLine(text));
  if (observer_)
    observer_->lineLogged(text);
}

void RunLog::logError(const std::string &message, const std::string &info) {
  logLine("Error: " + message);
  if (!info.empty())
    logLine("Error Info: " + info);
  if (errorCount_ < kMaxErrorCount)
    ++errorCount_;
  if (observer_)
    observer_->errorCountChanged(errorCount_);
}

void RunLog::logFunctionError(const std::string &header, const std::string &message,
                              const std::string &info) {
  logLine(header);
  logError(message, info);
}

bool logStartupError(const std::string &logPath, const std::string &message) {
  const int fd = ::open(logPath.c_str(),
                        O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0)
    return false;
  struct stat opened {};
  bool written = ::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode);
  if (written) {
    const std::string line = stampedLine("Error: " + message);
    written = writeAll(fd, line.data(), line.size()) == 0;
  }
  return ::close(fd) == 0 && written;
}

void logLineFromSignalHandler(const char *text) noexcept {
  const int fd = signalLogFd.load();
  if (fd < 0)
    return;
  struct timespec now {};
  ::clock_gettime(CLOCK_REALTIME, &now);
  const long long local = static_cast<long long>(now.tv_sec) + utcOffsetSeconds.load();
  long long days = local / 86400;
  long secondOfDay = static_cast<long>(local % 86400);
  if (secondOfDay < 0) {
    secondOfDay += 86400;
    --days;
  }
  // Civil date from a day count since 1970-01-01 (proleptic Gregorian calendar).
  days += 719468;
  const long long era = (days >= 0 ? days : days - 146096) / 146097;
  const long dayOfEra = static_cast<long>(days - era * 146097);
  const long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const long monthIndex = (5 * dayOfYear + 2) / 153;
  const long day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
  const long month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
  const long year = static_cast<long>(yearOfEra + era * 400) + (month <= 2 ? 1 : 0);

  char line[512] = "[YYYYMMDD hh:mm:ss]    ";
  putDigits(line + 1, year % 10000, 4);
  putDigits(line + 5, month, 2);
  putDigits(line + 7, day, 2);
  putDigits(line + 10, secondOfDay / 3600, 2);
  putDigits(line + 13, secondOfDay / 60 % 60, 2);
  putDigits(line + 16, secondOfDay % 60, 2);
  size_t size = 23;
  for (; *text != '\0' && size < sizeof line - 2; ++text)
    line[size++] = *text;
  line[size++] = '\r';
  line[size++] = '\n';
  writeAll(fd, line, size);
}

} // namespace brevant
