#pragma once
// The run log: one time-stamped line per event, errors in a fixed two-line form and counted.
// An observer (the workspace's Run dialog) may watch the lines and the error count; the batch
// run passes none.
//
// Every line is "[YYYYMMDD hh:mm:ss]" + four blanks + text + CR LF, in UTF-8. A line that
// cannot be written (a full disk) never stops the run, but the log remembers the first failure
// and writes nothing after it, so that the caller can say the log is incomplete.

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>
#include <string_view>

namespace brevant {

class LogObserver {
public:
  virtual ~LogObserver() = default;
  // A line was written; `text` is without its time stamp.
  virtual void lineLogged(const std::string &text) = 0;
  // An error was counted.
  virtual void errorCountChanged(int16_t errorCount) = 0;
};

// "[YYYYMMDD hh:mm:ss]" for the current local time, from one reading of the clock.
std::string logTimeStamp();
// "[YYYYMMDD hh:mm:ss]" for the given local time.
std::string logTimeStamp(const std::tm &localTime);

// The error counter stops here rather than wrapping to negative numbers.
constexpr int16_t kMaxErrorCount = 32767;

class RunLog {
public:
  RunLog() = default;
  RunLog(const RunLog &) = delete;
  RunLog &operator=(const RunLog &) = delete;
  ~RunLog();

  // Creates the log file, replacing an existing file or a symbolic link at `path` (the link's
  // target is left alone), and closing a log still open. A folder, pipe, device or socket at
  // `path` is refused. With `holdsSecret` the file is readable by its owner only. False when it
  // cannot be created; openError() then says why.
  [[nodiscard]] bool open(const std::string &path, bool holdsSecret = false);
  const std::string &openError() const { return openError_; }
  // Closes the log; a failure to close counts as a failed write.
  void close();
  [[nodiscard]] bool isOpen() const { return fd_ >= 0; }
  // Empty, or why the log stopped taking lines ("No space left on device").
  const std::string &writeError() const { return writeError_; }

  void setObserver(LogObserver *observer) { observer_ = observer; }

  // The observer sees the line even when the file cannot take it.
  void logLine(const std::string &text);
  // "Error: " + message, then "Error Info: " + info unless info is empty; counts the error.
  void logError(const std::string &message, const std::string &info);
  // The offending function's header line, then the error.
  void logFunctionError(const std::string &header, const std::string &message,
                        const std::string &info);

  int16_t errorCount() const { return errorCount_; }
  void resetErrorCount() { errorCount_ = 0; }

private:
  void write(const std::string &line);

  int fd_ = -1;
  std::string openError_;
  std::string writeError_;
  LogObserver *observer_ = nullptr;
  int16_t errorCount_ = 0;
};

// Appends "<stamp>    Error: <message>" to the start-up error log, creating it when missing.
// False when the line could not be written.
[[nodiscard]] bool logStartupError(const std::string &logPath, const std::string &message);

// Writes "<stamp>    <text>" + CR LF to the run log that is open, if any, with
// async-signal-safe calls only: for a signal handler's last word.
void logLineFromSignalHandler(const char *text) noexcept;

} // namespace brevant
