// Signals sent to a real batch run: a stop signal acts as the Run dialog's End button, a second
// one ends the run at once, and a fatal fault leaves a last log line; in no case is the previous
// report damaged or a temporary file left behind.
#include "batch_fixture.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <thread>
#include <unistd.h>

extern char **environ;

namespace brevant::testing {
namespace {

namespace fs = std::filesystem;

// A query that keeps SQLite busy for a while and then returns three records.
constexpr const char *kSlowQuery =
    "with recursive c(x) as (select 1 union all select x + 1 from c where x < 3000000) "
    "select x from c where x % 1000000 = 0";

class Signals : public BatchRun {
protected:
  void SetUp() override {
    makeDatabase("data.db", "create table runs (note text);");
    makeTemplate("template.xlsx", "ws['A1'] = 'x'");
    write("r.xlsx", "the previous report");
  }

  void definition(const std::string &script) {
    write("report.kvd", "Quorvel Version 2.0\r\n[Data Source]\r\nName1=db\r\n"
                        "ConnectionString1=Driver=SQLite3;Database=data.db\r\n\r\n[File]\r\n"
                        "ReportTemplateFileName=template.xlsx\r\nReportFileName=r.xlsx\r\n"
                        "LogFileName=run.log\r\n\r\n[SQL]\r\n" +
                            script);
  }

  // Starts brevant on report.kvd in the test's folder.
  pid_t start() {
    const std::string binary = BREVANT_BINARY_DIR "/brevant";
    const std::string definitionPath = file("report.kvd");
    std::vector<char *> argv = {const_cast<char *>(binary.c_str()),
                                const_cast<char *>(definitionPath.c_str()),
                                const_cast<char *>("-C"), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, binary.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    EXPECT_EQ(rc, 0);
    return pid;
  }

  // Waits until the run's log holds `line` (without its time stamp).
  bool waitForLogLine(const std::string &line) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline) {
      if (readBytes(file("run.log")).find("    " + line + "\r\n") != std::string::npos)
        return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
  }

  static int wait(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
  }

  // Names of files in the folder beyond those the test made and the run's log and report.
  std::vector<std::string> strayFiles() const {
    std::vector<std::string> stray;
    for (const auto &entry : fs::directory_iterator(folder.path())) {
      const std::string name = entry.path().filename().string();
      if (name != "data.db" && name != "template.xlsx" && name != "r.xlsx" && name != "run.log" &&
          name != "report.kvd" && name != "tmp")
        stray.push_back(name);
    }
    return stray;
  }
};

TEST_F(Signals, StopSignalEndsTheRunLikeTheEndButton) {
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    const std::string name = signal == SIGTERM ? "SIGTERM" : signal == SIGINT ? "SIGINT" : "SIGHUP";
    SCOPED_TRACE(name);
    write("r.xlsx", "the previous report");
    fs::remove(file("run.log")); // the line waited for must come from this run
    definition("@1=EXECSQL(CONNECT=db)\r\ninsert into runs values ('one')\r\n"
               "@2=REPORT(SHEET=1 CELL=A2)\r\n" +
               std::string(kSlowQuery) +
               "\r\n@3=EXECSQL(CONNECT=db)\r\ninsert into runs values "
               "('three')\r\n");
    const pid_t pid = start();
    // The signal comes while the REPORT's query runs: the fill stops before its first record.
    ASSERT_TRUE(waitForLogLine(std::string("[2]    ") + kSlowQuery));
    ::kill(pid, signal);
    const int status = wait(pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    const auto lines = logLines("run.log");
    auto has = [&](const std::string &line) {
      return std::find(lines.begin(), lines.end(), line) != lines.end();
    };
    EXPECT_TRUE(has("Error: Interrupted by signal " + name + "."));
    EXPECT_FALSE(has("[3]    EXECSQL(CONNECT=db)")) << "nothing after the stop runs";
    EXPECT_TRUE(has("Save the report file \"" + file("r.xlsx") + "\"."));
    EXPECT_EQ(lines.back(), "Close the log file.");
    EXPECT_EQ(cells("r.xlsx"), "Sheet!A1='x'\n") << "saved as filled: no record was written";
    EXPECT_EQ(strayFiles(), std::vector<std::string>{});
  }
}

TEST_F(Signals, SecondSignalEndsTheRunAtOnceAndKeepsThePreviousReport) {
  definition("@1=NAME(NAME=x)\r\n" + std::string(kSlowQuery) + "\r\n");
  const pid_t pid = start();
  ASSERT_TRUE(waitForLogLine(std::string("[1]    ") + kSlowQuery));
  ::kill(pid, SIGTERM);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ::kill(pid, SIGTERM);
  const int status = wait(pid);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGTERM);
  EXPECT_EQ(readBytes(file("r.xlsx")), "the previous report");
  const auto lines = logLines("run.log");
  EXPECT_EQ(lines.back(), "Error: The run was ended at once by a second signal SIGTERM. The "
                          "report file was not saved.");
  EXPECT_EQ(strayFiles(), std::vector<std::string>{});
}

TEST_F(Signals, SecondSignalDuringAConversionRemovesItsFilesAndStopsTheConverter) {
  write("r.ods", "the previous report");
  write("report.kvd", "Quorvel Version 2.0\r\n[Data Source]\r\n\r\n[File]\r\n"
                      "ReportTemplateFileName=template.xlsx\r\nReportFileName=r.ods\r\n"
                      "ReportFileType=ODS\r\nLogFileName=run.log\r\n\r\n[SQL]\r\n");
  fs::create_directory(file("tmp"));
  ::setenv("TMPDIR", file("tmp").c_str(), 1);
  const pid_t pid = start();
  ::unsetenv("TMPDIR");
  // The conversion's scratch folder appears once the workbook is being converted.
  bool converting = false;
  for (int i = 0; i < 30000 && !converting; ++i) {
    for (const auto &entry : fs::directory_iterator(file("tmp")))
      converting = converting || fs::exists(entry.path() / "report.xlsx");
    if (!converting)
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  ASSERT_TRUE(converting);
  ::kill(pid, SIGINT);
  // Two signals sent at once may arrive as one.
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ::kill(pid, SIGINT);
  const int status = wait(pid);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(readBytes(file("r.ods")), "the previous report");
  // The scratch folder is removed by a helper the handler started; give it a moment.
  for (int i = 0; i < 500 && !fs::is_empty(file("tmp")); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(fs::is_empty(file("tmp")));
  // "[b]" keeps the pattern from matching the shell that runs pgrep.
  const std::string pattern = shellQuote(file("tmp") + "/[b]revant-convert");
  std::string converters = "?";
  for (int i = 0; i < 500 && !converters.empty(); ++i) {
    runCommand("pgrep -f " + pattern, &converters);
    if (!converters.empty())
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(converters, "") << "the converter was stopped";
}

TEST_F(Signals, FatalFaultLeavesALastLogLineAndNoDamagedReport) {
  definition("@1=NAME(NAME=x)\r\n" + std::string(kSlowQuery) + "\r\n");
  const pid_t pid = start();
  ASSERT_TRUE(waitForLogLine(std::string("[1]    ") + kSlowQuery));
  ::kill(pid, SIGSEGV);
  const int status = wait(pid);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGSEGV);
  EXPECT_EQ(readBytes(file("r.xlsx")), "the previous report");
  EXPECT_EQ(logLines("run.log").back(), "Error: The run stopped on a fatal fault (SIGSEGV).");
  EXPECT_EQ(strayFiles(), std::vector<std::string>{});
}

} // namespace
} // namespace brevant::testing
