#pragma once
// The run log: one time-stamped line per event, errors in a fixed two-line form and counted.
// An observer (the workspace's Run dialog) may watch the lines and the error count; the batch
// run passes none.

#include <cstdint>
#include <cstdio>
#include <string>

namespace brevant {

class LogObserver {
public:
  virtual ~LogObserver() = default;
  // A line was written; `text` is without its time stamp.
  virtual void lineLogged(const std::string &text) = 0;
  // An error was counted.
  virtual void errorCountChanged(int16_t errorCount) = 0;
};

// "[YYYYMMDD hh:mm:ss]" for the current local time.
std::string logTimeStamp();

class RunLog {
public:
  RunLog() = default;
  RunLog(const RunLog &) = delete;
  RunLog &operator=(const RunLog &) = delete;
  ~RunLog();

  // Creates the log file, replacing an existing one. False when it cannot be created.
  bool open(const std::string &path);
  void close();
  bool isOpen() const { return file_ != nullptr; }

  void setObserver(LogObserver *observer) { observer_ = observer; }

  void logLine(const std::string &text);
  void logError(const std::string &message, const std::string &info);
  void logFunctionError(const std::string &header, const std::string &message,
                        const std::string &info);

  int16_t errorCount() const { return errorCount_; }
  void resetErrorCount() { errorCount_ = 0; }

private:
  std::FILE *file_ = nullptr;
  LogObserver *observer_ = nullptr;
  int16_t errorCount_ = 0;
};

// Appends "<stamp>    Error: <message>" to the start-up error log, creating it when missing.
void logStartupError(const std::string &logPath, const std::string &message);

} // namespace brevant
