// The files a batch run writes never take the place of the files it reads, and a report or log
// is only ever replaced by a complete one: the real executable on files the tests make.
#include "batch_fixture.h"

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace brevant::testing {
namespace {

namespace fs = std::filesystem;

class ReportFiles : public BatchRun {
protected:
  void SetUp() override {
    makeDatabase("sales.db", "create table orders (id integer, amount real);"
                             "insert into orders values (1, 10.5), (2, 20);");
    makeTemplate("template.xlsx", "ws.title = 'Sales'\nws['A1'] = 'Amount'");
    templateBytes = readBytes(file("template.xlsx"));
  }

  // A definition with one SQLite data source, the given [File] lines and one REPORT function.
  void definition(const std::string &fileLines, const std::string &parameters = "") {
    write("report.kvd", "Quorvel Version 2.0\r\n[Data Source]\r\nName1=sales\r\n"
                        "ConnectionString1=Driver=SQLite3;Database=sales.db\r\n\r\n[File]\r\n" +
                            fileLines + "\r\n" + parameters +
                            "\r\n[SQL]\r\n@1=REPORT(SHEET=1 CELL=A2)\r\nselect amount from "
                            "orders\r\n");
    definitionBytes = readBytes(file("report.kvd"));
  }

  std::string abs(const std::string &name) const { return fs::absolute(file(name)).string(); }

  // Runs brevant after the shell command `setup` (say "umask 022"), under `wrapper` (say
  // "timeout 20"); standard output and error go to lastOutput.
  int brevantUnder(const std::string &setup, const std::string &wrapper,
                   const std::string &arguments) {
    return runCommand("cd " + shellQuote(folder.path().string()) + " && " + setup +
                          " && BREVANT_SETTINGS=" + shellQuote(file("settings.reg")) + " " +
                          wrapper + " " + shellQuote(BREVANT_BINARY_DIR "/brevant") + " " +
                          arguments + " 2>&1",
                      &lastOutput);
  }

  bool logHas(const std::string &name, const std::string &line) const {
    const auto lines = logLines(name);
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }

  // Files in the test's folder whose names contain `part` (temporary files left behind).
  std::vector<std::string> leftovers(const std::string &part) const {
    std::vector<std::string> found;
    for (const auto &entry : fs::recursive_directory_iterator(folder.path()))
      if (entry.path().filename().string().find(part) != std::string::npos)
        found.push_back(entry.path().filename().string());
    return found;
  }

  std::string templateBytes;
  std::string definitionBytes;
};

TEST_F(ReportFiles, ReportThatIsTheTemplateIsRefusedWhateverItsSpelling) {
  fs::create_directory(file("sub"));
  fs::create_symlink(file("template.xlsx"), file("link.xlsx"));
  fs::create_hard_link(file("template.xlsx"), file("hard.xlsx"));
  const std::vector<std::pair<std::string, std::string>> spellings = {
      {"ReportFileName=template.xlsx", ""},
      {"ReportFileName=sub/../template.xlsx", ""},
      {"ReportFileName=.\\template.xlsx", ""},
      {"ReportFileName=link.xlsx", ""},
      {"ReportFileName=hard.xlsx", ""},
      {"ReportFileName=PName.xlsx",
       "[Parameter]\r\nName1=PName\r\nTitle1=t\r\nDefault1=template\r\n"},
  };
  for (const auto &[reportLine, parameters] : spellings) {
    SCOPED_TRACE(reportLine);
    definition("ReportTemplateFileName=template.xlsx\r\n" + reportLine + "\r\nLogFileName=run.log",
               parameters);
    EXPECT_EQ(brevant("report.kvd -C"), 1) << lastOutput;
    const auto lines = logLines("run.log");
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[3].rfind("Error: The report file \"", 0), 0u) << lines[3];
    EXPECT_NE(
        lines[3].find("\" is the same file as the template file \"" + abs("template.xlsx") + "\"."),
        std::string::npos)
        << lines[3];
    EXPECT_EQ(lines.back(), lines[3]) << "nothing runs after the refusal";
    EXPECT_EQ(readBytes(file("template.xlsx")), templateBytes);
    EXPECT_TRUE(fs::is_symlink(file("link.xlsx")));
  }
}

TEST_F(ReportFiles, ReportThatIsTheDefinitionOrTheLogIsRefused) {
  definition("ReportTemplateFileName=template.xlsx\r\nReportFileName=report.kvd\r\n"
             "LogFileName=run.log");
  EXPECT_EQ(brevant("report.kvd -C"), 1);
  EXPECT_TRUE(logHas("run.log", "Error: The report file \"" + abs("report.kvd") +
                                    "\" is the same file as the definition file \"" +
                                    abs("report.kvd") + "\"."));
  EXPECT_EQ(readBytes(file("report.kvd")), definitionBytes);

  // The log is checked before it is created: with a report of the same name the refusal goes
  // to standard error, and an older file at that name is left alone.
  write("out.xlsx", "an older report");
  definition("ReportTemplateFileName=template.xlsx\r\nReportFileName=out.xlsx\r\n"
             "LogFileName=./out.xlsx");
  EXPECT_EQ(brevant("report.kvd -C"), 2);
  EXPECT_NE(lastOutput.find("The log file \"" + abs("out.xlsx") +
                            "\" is the same file as the report file"),
            std::string::npos)
      << lastOutput;
  EXPECT_EQ(readBytes(file("out.xlsx")), "an older report");
}

TEST_F(ReportFiles, LogThatIsTheDefinitionOrTheTemplateIsRefusedBeforeItIsCreated) {
  fs::create_hard_link(file("template.xlsx"), file("other-name.log"));
  for (const std::string logLine : {"LogFileName=report.kvd", "LogFileName=other-name.log"}) {
    SCOPED_TRACE(logLine);
    definition("ReportTemplateFileName=template.xlsx\r\nReportFileName=r.xlsx\r\n" + logLine);
    EXPECT_EQ(brevant("report.kvd -C"), 2);
    EXPECT_NE(lastOutput.find("brevant: The log file \""), std::string::npos) << lastOutput;
    EXPECT_NE(lastOutput.find("is the same file as the"), std::string::npos) << lastOutput;
    EXPECT_EQ(readBytes(file("report.kvd")), definitionBytes);
    EXPECT_EQ(readBytes(file("template.xlsx")), templateBytes);
    EXPECT_FALSE(fs::exists(file("r.xlsx")));
  }
}

TEST_F(ReportFiles, PreviousReportStaysUntilTheNewOneIsComplete) {
  write("r.xlsx", "the previous report");
  write("broken.xlsx", "PK not really a workbook");
  definition("ReportTemplateFileName=broken.xlsx\r\nReportFileName=r.xlsx\r\nLogFileName=run.log");
  EXPECT_EQ(brevant("report.kvd -C"), 1);
  EXPECT_TRUE(
      logHas("run.log", "Error: Failed to open the template file \"" + abs("broken.xlsx") + "\"."));
  EXPECT_EQ(readBytes(file("r.xlsx")), "the previous report");

  // A save that fails part way (a file-size limit, as a full disk) keeps the old report too.
  definition("ReportTemplateFileName=template.xlsx\r\nReportFileName=r.xlsx\r\n"
             "LogFileName=run.log");
  EXPECT_EQ(brevantUnder("ulimit -f 4", "", "report.kvd -C"), 1); // 2 KB for sh
  EXPECT_TRUE(logHas("run.log", "Error: Failed to save the report file."));
  EXPECT_EQ(readBytes(file("r.xlsx")), "the previous report");
  EXPECT_EQ(leftovers("r.xlsx."), std::vector<std::string>{});

  // A complete run replaces it.
  EXPECT_EQ(brevant("report.kvd -C"), 0) << lastOutput;
  EXPECT_NE(cells("r.xlsx").find("Sales!A2=10.5"), std::string::npos);
  EXPECT_EQ(leftovers("r.xlsx."), std::vector<std::string>{});
}

TEST_F(ReportFiles, ConvertedReportIsRenamedIntoPlaceOnlyWhenComplete) {
  write("r.ods", "the previous report");
  definition("ReportTemplateFileName=template.xlsx\r\nReportFileName=r.ods\r\n"
             "ReportFileType=60\r\nLogFileName=run.log");
  // Without the converter the save fails and the old report stays.
  EXPECT_EQ(brevant("report.kvd -C", "PATH=/nonexistent"), 1);
  EXPECT_TRUE(logHas("run.log", "Error: Failed to save the report file."));
  EXPECT_EQ(readBytes(file("r.ods")), "the previous report");

  EXPECT_EQ(brevant("report.kvd -C"), 0) << lastOutput;
  EXPECT_EQ(readBytes(file("r.ods")).substr(0, 2), "PK");
  EXPECT_EQ(leftovers("r.ods."), std::vector<std::string>{});
}

TEST_F(ReportFiles, LogAtALinkReplacesTheLinkNotItsTarget) {
  write("precious.txt", "keep me");
  fs::create_symlink(file("precious.txt"), file("run.log"));
  definition(
      "ReportTemplateFileName=template.xlsx\r\nReportFileName=r.xlsx\r\nLogFileName=run.log");
  EXPECT_EQ(brevant("report.kvd -C"), 0) << lastOutput;
  EXPECT_EQ(readBytes(file("precious.txt")), "keep me");
  EXPECT_FALSE(fs::is_symlink(file("run.log")));
  EXPECT_TRUE(logHas("run.log", "Close the log file."));
}

TEST_F(ReportFiles, FolderPipeOrDeviceAtTheLogOrReportPathIsRefused) {
  fs::create_directory(file("logdir"));
  ASSERT_EQ(::mkfifo(file("pipe.log").c_str(), 0600), 0);
  for (const std::string logName : {"logdir", "pipe.log", "/dev/null"}) {
    SCOPED_TRACE(logName);
    definition("ReportTemplateFileName=template.xlsx\r\nReportFileName=r.xlsx\r\nLogFileName=" +
               logName);
    // A pipe must not hang the run: `timeout` ends it after 20 s with status 124.
    EXPECT_EQ(brevantUnder("true", "timeout 20", "report.kvd -C"), 2) << lastOutput;
    EXPECT_NE(lastOutput.find("cannot be created: it is a"), std::string::npos) << lastOutput;
    EXPECT_FALSE(fs::exists(file("r.xlsx")));
  }
  EXPECT_TRUE(fs::is_directory(file("logdir")));

  fs::create_directory(file("reportdir"));
  ASSERT_EQ(::mkfifo(file("pipe.xlsx").c_str(), 0600), 0);
  for (const std::string reportName : {"reportdir", "pipe.xlsx"}) {
    SCOPED_TRACE(reportName);
    definition("ReportTemplateFileName=template.xlsx\r\nReportFileName=" + reportName +
               "\r\nLogFileName=run.log");
    EXPECT_EQ(brevantUnder("true", "timeout 20", "report.kvd -C"), 1) << lastOutput;
    EXPECT_TRUE(
        logHas("run.log", "Error: Failed to create the report file \"" + abs(reportName) + "\"."));
  }
  EXPECT_TRUE(fs::is_directory(file("reportdir"))) << "an empty folder is not deleted";
  EXPECT_TRUE(fs::is_fifo(file("pipe.xlsx")));
}

TEST_F(ReportFiles, LogThatShowsAPasswordIsReadableByItsOwnerOnly) {
  auto mode = [&](const std::string &name) {
    struct stat info {};
    ::stat(file(name).c_str(), &info);
    return info.st_mode & 0777;
  };
  // An older log that everyone could read becomes private too.
  write("run.log", "old");
  ::chmod(file("run.log").c_str(), 0644);
  definition("ReportTemplateFileName=template.xlsx\r\nReportFileName=r.xlsx\r\nLogFileName=run.log"
             "\r\nProtectReport=Y\r\nProtectionPassword=\"secret\"");
  EXPECT_EQ(brevantUnder("umask 022", "", "report.kvd -C"), 0) << lastOutput;
  EXPECT_TRUE(logHas("run.log", "Protect the report file with a password \"secret\"."));
  EXPECT_EQ(mode("run.log"), 0600u);

  // A random password is shown too; no password at all leaves the log as any other.
  fs::remove(file("run.log"));
  definition("ReportTemplateFileName=template.xlsx\r\nReportFileName=r.xlsx\r\nLogFileName=run.log"
             "\r\nProtectReport=Y");
  EXPECT_EQ(brevantUnder("umask 022", "", "report.kvd -C"), 0) << lastOutput;
  EXPECT_EQ(mode("run.log"), 0600u);
  fs::remove(file("run.log"));
  definition("ReportTemplateFileName=template.xlsx\r\nReportFileName=r.xlsx\r\nLogFileName=run.log"
             "\r\nProtectReport=Y\r\nProtectionPassword=\"\"");
  EXPECT_EQ(brevantUnder("umask 022", "", "report.kvd -C"), 0) << lastOutput;
  EXPECT_EQ(mode("run.log"), 0644u);
}

} // namespace
} // namespace brevant::testing
