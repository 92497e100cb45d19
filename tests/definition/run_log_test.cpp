#include "definition/run_log.h"

#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace brevant {
namespace {

using testing::TempFolder;

// The lines of a log with their CR LF ends removed; a line without CR LF is reported as is.
std::vector<std::string> logLines(const std::string &path) {
  const std::string text = testing::readBytes(path);
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  if (start < text.size())
    lines.push_back("UNTERMINATED:" + text.substr(start));
  return lines;
}

// The text after "[YYYYMMDD hh:mm:ss]    ", or "BAD STAMP: <line>". (A hand-made pattern match:
// std::regex draws false warnings from GCC 12 in sanitizer builds.)
std::string withoutStamp(const std::string &line) {
  const std::string shape = "[99999999 99:99:99]    ";
  bool matches = line.size() >= shape.size();
  for (std::size_t i = 0; matches && i < shape.size(); ++i)
    matches = shape[i] == '9' ? (line[i] >= '0' && line[i] <= '9') : line[i] == shape[i];
  if (!matches)
    return "BAD STAMP: " + line;
  auto number = [&line](std::size_t pos, std::size_t n) { return std::stoi(line.substr(pos, n)); };
  const int month = number(5, 2), day = number(7, 2);
  const int hour = number(10, 2), minute = number(13, 2), second = number(16, 2);
  if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60)
    return "BAD STAMP: " + line;
  return line.substr(shape.size());
}

std::vector<std::string> logTexts(const std::string &path) {
  std::vector<std::string> texts;
  for (const std::string &line : logLines(path))
    texts.push_back(withoutStamp(line));
  return texts;
}

using Texts = std::vector<std::string>;

TEST(RunLog, WritesStampedLinesAndTwoLineErrors) {
  TempFolder folder;
  const std::string path = folder.file("run.log");
  RunLog log;
  ASSERT_TRUE(log.open(path));
  log.logLine("Open log file successfully.");
  log.logLine("[7]    REPORT(SHEET=1 CELL=A2)");
  log.logError("Failed to save the report file.", "Disk full");
  log.logError("No cause given.", "");
  log.logFunctionError("[7]    REPORT(SHEET",
                       "Syntax error. Expected \"=\" after the parameter name \"SHEET\".", "");
  log.logLine("caf\xC3\xA9");
  log.close();
  EXPECT_EQ(logTexts(path),
            (Texts{"Open log file successfully.", "[7]    REPORT(SHEET=1 CELL=A2)",
                   "Error: Failed to save the report file.", "Error Info: Disk full",
                   "Error: No cause given.", "[7]    REPORT(SHEET",
                   "Error: Syntax error. Expected \"=\" after the parameter name \"SHEET\".",
                   "caf\xC3\xA9"}));
  EXPECT_EQ(log.errorCount(), 3);
}

TEST(RunLog, ASecondRunReplacesTheLog) {
  TempFolder folder;
  const std::string path = folder.file("run.log");
  RunLog log;
  ASSERT_TRUE(log.open(path));
  log.logLine("first run, a long line that the second run must not leave behind");
  log.logLine("first run again");
  log.close();
  ASSERT_TRUE(log.open(path));
  log.logLine("second run");
  log.close();
  EXPECT_EQ(logTexts(path), Texts{"second run"});

  // Opening while open closes the first file with what it has.
  const std::string other = folder.file("other.log");
  ASSERT_TRUE(log.open(path));
  log.logLine("to the first");
  ASSERT_TRUE(log.open(other));
  log.logLine("to the second");
  log.close();
  EXPECT_EQ(logTexts(path), Texts{"to the first"});
  EXPECT_EQ(logTexts(other), Texts{"to the second"});
}

TEST(RunLog, LinesAreOnDiskAsSoonAsTheyAreWritten) {
  TempFolder folder;
  const std::string path = folder.file("run.log");
  RunLog log;
  ASSERT_TRUE(log.open(path));
  log.logLine("Start.");
  EXPECT_EQ(logTexts(path), Texts{"Start."});
}

TEST(RunLog, AWriterWithoutAFileStillInformsTheObserver) {
  struct Recorder : LogObserver {
    std::vector<std::string> lines;
    std::vector<int16_t> counts;
    void lineLogged(const std::string &text) override { lines.push_back(text); }
    void errorCountChanged(int16_t count) override { counts.push_back(count); }
  } recorder;

  TempFolder folder;
  RunLog log;
  EXPECT_FALSE(log.open(folder.file("no/such/folder/run.log")));
  log.setObserver(&recorder);
  log.logLine("plain");
  log.logError("first", "cause");
  log.logFunctionError("[2]    NAME()", "second", "");
  EXPECT_EQ(recorder.lines, (Texts{"plain", "Error: first", "Error Info: cause", "[2]    NAME()",
                                   "Error: second"}));
  EXPECT_EQ(recorder.counts, (std::vector<int16_t>{1, 2}));
}

TEST(RunLog, TheErrorCountStopsAtItsLimit) {
  RunLog log;
  for (int i = 0; i < 32770; ++i)
    log.logError("e", "");
  EXPECT_EQ(log.errorCount(), kMaxErrorCount);
  log.resetErrorCount();
  EXPECT_EQ(log.errorCount(), 0);
}

TEST(StartupLog, KeepsGrowingAndLeavesTheRunLogAlone) {
  TempFolder folder;
  const std::string startup = folder.file("brevant.log");
  const std::string run = folder.file("run.log");
  RunLog log;
  ASSERT_TRUE(log.open(run));
  EXPECT_TRUE(logStartupError(startup, "The file \"/x/a.kvd\" does not exist."));
  EXPECT_TRUE(logStartupError(startup, "second"));
  EXPECT_EQ(log.errorCount(), 0);
  log.close();
  EXPECT_EQ(testing::readBytes(run), "");
  EXPECT_EQ(logTexts(startup),
            (Texts{"Error: The file \"/x/a.kvd\" does not exist.", "Error: second"}));
  EXPECT_FALSE(logStartupError(folder.file("missing/brevant.log"), "lost without a word"));
}

TEST(LogTimeStamp, FormatsDateAndTime) {
  std::tm t{};
  t.tm_year = 2024 - 1900, t.tm_mon = 0, t.tm_mday = 31;
  t.tm_hour = 17, t.tm_min = 5, t.tm_sec = 9;
  EXPECT_EQ(logTimeStamp(t), "[20240131 17:05:09]");
  t.tm_hour = 0, t.tm_min = 0, t.tm_sec = 0;
  EXPECT_EQ(logTimeStamp(t), "[20240131 00:00:00]");
  EXPECT_EQ(withoutStamp(logTimeStamp() + "    x"), "x");
}

} // namespace
} // namespace brevant
