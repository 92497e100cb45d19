#include "definition/run_log.h"

namespace brevant {

namespace {

std::string stampedLine(std::string_view text) {
  std::string line = logTimeStamp();
  line += "    ";
  line += text;
  line += "\r\n";
  return line;
}

void writeLine(std::FILE *file, const std::string &line) {
  if (!file)
    return;
  std::fwrite(line.data(), 1, line.size(), file);
  // Flushed at once, so that the log is complete up to the last line however the run ends.
  std::fflush(file);
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
  return logTimeStamp(local);
}

RunLog::~RunLog() { close(); }

bool RunLog::open(const std::string &path) {
  close();
  file_ = std::fopen(path.c_str(), "wb");
  return file_ != nullptr;
}

void RunLog::close() {
  if (file_) {
    std::fclose(file_);
    file_ = nullptr;
  }
}

void RunLog::logLine(const std::string &text) {
  writeLine(file_, stampedLine(text));
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

void logStartupError(const std::string &logPath, const std::string &message) {
  std::FILE *file = std::fopen(logPath.c_str(), "ab");
  if (!file)
    return;
  writeLine(file, stampedLine("Error: " + message));
  std::fclose(file);
}

} // namespace brevant
