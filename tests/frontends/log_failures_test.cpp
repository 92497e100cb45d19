// A log that cannot be written is never a silent success, and start-up errors of a batch run
// reach whoever started it: the real executable under a file-size limit and as another user.
#include "batch_fixture.h"

#include <filesystem>
#include <unistd.h>

namespace brevant::testing {
namespace {

namespace fs = std::filesystem;

class LogFailures : public BatchRun {
protected:
  std::string abs(const std::string &name) const { return fs::absolute(file(name)).string(); }
};

TEST_F(LogFailures, LogThatCannotBeWrittenToTheEndFailsTheRun) {
  makeDatabase("numbers.db", "create table n (x integer);"
                             "with recursive c(x) as (select 1 union all select x + 1 from c "
                             "where x < 2000) insert into n select x from c;");
  makeTemplate("template.xlsx", "ws['A1'] = 'x'");
  write("report.kvd", "Quorvel Version 2.0\r\n[Data Source]\r\nName1=db\r\n"
                      "ConnectionString1=Driver=SQLite3;Database=numbers.db\r\n\r\n[File]\r\n"
                      "ReportTemplateFileName=template.xlsx\r\nReportFileName=r.xlsx\r\n"
                      "LogFileName=run.log\r\n\r\n[SQL]\r\n@1=REPORT(SHEET=1 CELL=A2)\r\n"
                      "select x from n\r\n");
  // A progress line every two records makes a log of about 65 KB; the report is far smaller. A
  // file-size limit of 40 KB (80 blocks of 512 bytes for sh) stands for a full disk (the program
  // ignores SIGXFSZ).
  const int status =
      runCommand("cd " + shellQuote(folder.path().string()) +
                     " && ulimit -f 80 && BREVANT_SETTINGS=" + shellQuote(file("s.reg")) + " " +
                     shellQuote(BREVANT_BINARY_DIR "/brevant") + " report.kvd -C -I 2 2>&1",
                 &lastOutput);
  EXPECT_EQ(status, 1);
  EXPECT_NE(lastOutput.find("brevant: The log file \"" + abs("run.log") +
                            "\" cannot be written: File too large."),
            std::string::npos)
      << lastOutput;
  EXPECT_EQ(fs::file_size(file("run.log")), 40u * 1024);
  EXPECT_NE(cells("r.xlsx").find("Sheet!A2001=2000"), std::string::npos)
      << "the run itself went on to the end";
}

TEST_F(LogFailures, StartupErrorsAlsoGoToStandardError) {
  EXPECT_EQ(brevant("missing.kvd -C"), 2);
  EXPECT_NE(lastOutput.find("brevant: The file \"" + abs("missing.kvd") + "\" does not exist."),
            std::string::npos)
      << lastOutput;
}

TEST_F(LogFailures, StartupLogFallsBackToTheStateFolderWhenTheProgramFolderIsReadOnly) {
  if (::getuid() != 0)
    GTEST_SKIP() << "needs root to run the program as another user";
  // A program folder that the user "nobody" cannot write, as an installed program's is.
  fs::permissions(folder.path(), fs::perms::owner_all | fs::perms::group_read |
                                     fs::perms::group_exec | fs::perms::others_read |
                                     fs::perms::others_exec);
  fs::create_directory(file("bin"));
  fs::copy_file(BREVANT_BINARY_DIR "/brevant", file("bin/brevant"));
  fs::create_directory(file("state"));
  fs::permissions(file("state"), fs::perms::all);
  const std::string asNobody = "cd " + shellQuote(folder.path().string()) +
                               " && setpriv --reuid=65534 --regid=65534 --clear-groups env ";

  EXPECT_EQ(runCommand(asNobody + "HOME=/nonexistent XDG_STATE_HOME=" + shellQuote(file("state")) +
                           " bin/brevant missing.kvd -C 2>&1",
                       &lastOutput),
            2);
  EXPECT_NE(lastOutput.find("does not exist."), std::string::npos) << lastOutput;
  EXPECT_FALSE(fs::exists(file("bin/brevant.log")));
  const auto lines = logLines("state/brevant/brevant.log");
  EXPECT_EQ(lines, std::vector<std::string>{"Error: The file \"" + abs("missing.kvd") +
                                            "\" does not exist."});

  // With no state folder to be had, standard error still tells, and says the log is missing.
  EXPECT_EQ(runCommand(asNobody + "-u XDG_STATE_HOME HOME=/nonexistent bin/brevant missing.kvd "
                                  "-C 2>&1",
                       &lastOutput),
            2);
  EXPECT_NE(lastOutput.find("does not exist."), std::string::npos) << lastOutput;
  EXPECT_NE(lastOutput.find("start-up error log"), std::string::npos) << lastOutput;
}

} // namespace
} // namespace brevant::testing
