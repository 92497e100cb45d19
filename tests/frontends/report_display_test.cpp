// A batch run asked to show its report (-D) hands the saved file to the desktop's opener, or logs
// why it cannot; either way the run succeeds, and a report that was not saved is never shown.
// The real executable runs with a stand-in opener, so nothing opens on the test machine.
#include "batch_fixture.h"

#include <chrono>
#include <filesystem>
#include <thread>

namespace brevant::testing {
namespace {

namespace fs = std::filesystem;

class ReportDisplay : public BatchRun {
protected:
  void SetUp() override {
    makeDatabase("sales.db", "create table orders (amount real); insert into orders values (7);");
    makeTemplate("template.xlsx", "ws['A1'] = 'Amount'");
    write("report.kvd", "Quorvel Version 2.0\r\n[Data Source]\r\nName1=sales\r\n"
                        "ConnectionString1=Driver=SQLite3;Database=sales.db\r\n\r\n[File]\r\n"
                        "ReportTemplateFileName=template.xlsx\r\nReportFileName=r.xlsx\r\n"
                        "LogFileName=run.log\r\n\r\n[SQL]\r\n@1=REPORT(SHEET=1 CELL=A2)\r\n"
                        "select amount from orders\r\n");
    fs::create_directory(file("bin"));
  }

  // An opener on PATH that writes the path it was given to opened.txt.
  void standInOpener() {
    const std::string opener = file("bin/xdg-open");
    write("bin/xdg-open", "#!/bin/sh\necho \"$1\" > " + shellQuote(file("opened.txt")) + "\n");
    fs::permissions(opener, fs::perms::owner_all);
  }

  // Runs with only the test's bin folder on PATH and the given display variables.
  int run(const std::string &display, const std::string &limit = "ulimit -f unlimited") {
    return runCommand("cd " + shellQuote(folder.path().string()) + " && " + limit +
                          " && env -u DISPLAY -u WAYLAND_DISPLAY " + display +
                          " PATH=" + shellQuote(file("bin")) +
                          " BREVANT_SETTINGS=" + shellQuote(file("settings.reg")) + " " +
                          shellQuote(BREVANT_BINARY_DIR "/brevant") + " report.kvd -C -D 2>&1",
                      &lastOutput);
  }

  // The log lines from the save on.
  std::vector<std::string> linesFromSave() const {
    std::vector<std::string> lines = logLines("run.log");
    const auto save =
        std::find(lines.begin(), lines.end(),
                  "Save the report file \"" + fs::absolute(file("r.xlsx")).string() + "\".");
    return save == lines.end() ? std::vector<std::string>{}
                               : std::vector<std::string>(save + 1, lines.end());
  }
};

TEST_F(ReportDisplay, WithoutADisplayTheReportIsSavedAndClosed) {
  standInOpener(); // present, but there is nothing to show it on
  EXPECT_EQ(run(""), 0) << lastOutput;
  EXPECT_EQ(linesFromSave(), (std::vector<std::string>{
                                 "The report file can not be displayed: no display is available.",
                                 "Close the report file.", "Close the log file."}));
  EXPECT_FALSE(fs::exists(file("opened.txt")));
  EXPECT_NE(cells("r.xlsx").find("!A2=7"), std::string::npos);
}

TEST_F(ReportDisplay, WithoutAnOpenerTheLogSaysWhichProgramIsMissing) {
  EXPECT_EQ(run("WAYLAND_DISPLAY=wayland-9"), 0) << lastOutput;
  EXPECT_EQ(linesFromSave(),
            (std::vector<std::string>{
                "The report file can not be displayed: the program \"xdg-open\" is not installed.",
                "Close the report file.", "Close the log file."}));
}

TEST_F(ReportDisplay, TheOpenerGetsTheSavedReport) {
  standInOpener();
  EXPECT_EQ(run("DISPLAY=:99"), 0) << lastOutput;
  EXPECT_EQ(linesFromSave(),
            (std::vector<std::string>{"Display the report file with Microsoft Excel.",
                                      "Close the report file.", "Close the log file."}));
  // The opener runs detached from the run; give it a moment.
  for (int i = 0; i < 100 && readBytes(file("opened.txt")).empty(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(readBytes(file("opened.txt")), fs::absolute(file("r.xlsx")).string() + "\n");
}

TEST_F(ReportDisplay, AReportThatWasNotSavedIsNotShown) {
  standInOpener();
  // A file-size limit makes the save fail part way, as a full disk would.
  EXPECT_EQ(run("DISPLAY=:99", "ulimit -f 4"), 1) << lastOutput; // 2 KB for sh
  const std::vector<std::string> lines = logLines("run.log");
  const auto failed =
      std::find(lines.begin(), lines.end(), "Error: Failed to save the report file.");
  ASSERT_NE(failed, lines.end()) << lastOutput;
  // The error's cause, then the run ends in order: no save, display or close of the report.
  ASSERT_EQ(lines.end() - failed, 3);
  EXPECT_EQ(failed[1].rfind("Error Info: ", 0), 0u) << failed[1];
  EXPECT_EQ(lines.back(), "Close the log file.");
  EXPECT_FALSE(fs::exists(file("r.xlsx")));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(fs::exists(file("opened.txt")));
}

} // namespace
} // namespace brevant::testing
