// A stop request from the Run dialog between records: the fill ends, nothing after it runs, and
// the partial report is still saved.
#include "definition/definition_file.h"
#include "engine/run_driver.h"
#include "support/commands.h"
#include "support/sqlite_file.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace brevant {
namespace {

using testing::pyString;
using testing::python;
using testing::sqliteExec;
using testing::TempFolder;
using testing::writeBytes;

// The Run dialog as a test sees it: counts what the engine shows and presses the stop button
// once the loop has reached a given record.
class StoppingDialog : public RunObserver {
public:
  explicit StoppingDialog(int64_t stopAt) : stopAt_(stopAt) {}
  void recordProgress(int64_t record, int64_t total) override {
    shown.push_back(std::to_string(record) + " / " + std::to_string(total));
    pressed_ = pressed_ || record >= stopAt_;
  }
  void processEvents() override { ++events; }
  bool stopRequested() const override { return pressed_; }
  void lineLogged(const std::string &text) override { lines.push_back(text); }

  std::vector<std::string> shown;
  std::vector<std::string> lines;
  int events = 0;

private:
  int64_t stopAt_;
  bool pressed_ = false;
};

TEST(StopRequest, EndsTheFillAndTheReportIsStillSaved) {
  TempFolder folder;
  sqliteExec(folder.file("data.db"), "create table t (i integer);"
                                     "insert into t values (1), (2), (3), (4), (5);");
  python("import openpyxl\nwb = openpyxl.Workbook()\nwb.active['A1'] = 'i'\nwb.save(" +
         pyString(folder.file("template.xlsx")) + ")\n");
  writeBytes(folder.file("report.kvd"),
             "Quorvel Version 2.0\r\n[Data Source]\r\nName1=data\r\n"
             "ConnectionString1=Driver=SQLite3;Database=" +
                 folder.file("data.db") +
                 "\r\n\r\n[File]\r\nReportTemplateFileName=template.xlsx\r\n"
                 "ReportFileName=report.xlsx\r\nLogFileName=run.log\r\n\r\n[SQL]\r\n"
                 "@1=REPORT(SHEET=1 CELL=A2)\r\nselect i from t order by i\r\n"
                 "@2=REPORT(SHEET=1 CELL=B2)\r\nselect i from t\r\n");

  ReportDefinition definition;
  ASSERT_TRUE(readDefinition(folder.file("report.kvd"), definition));
  definition.definitionFilePath = folder.file("report.kvd");
  ProgramEnvironment environment;
  RunRequest request;
  request.interactiveRun = true;
  request.scriptText = readScript(folder.file("report.kvd")).value_or("");
  StoppingDialog dialog(3);
  const RunOutcome outcome = runReport(definition, environment, request, dialog);
  EXPECT_TRUE(outcome.logOpened);

  EXPECT_EQ(dialog.shown, (std::vector<std::string>{"1 / 5", "2 / 5", "3 / 5"}));
  EXPECT_GE(dialog.events, 3);
  const auto &lines = dialog.lines;
  auto has = [&](const std::string &l) {
    return std::find(lines.begin(), lines.end(), l) != lines.end();
  };
  EXPECT_TRUE(has("[1]    Failure."));
  EXPECT_FALSE(has("[2]    REPORT(SHEET=1 CELL=B2)")) << "nothing runs after the stop";
  EXPECT_TRUE(has("Save the report file \"" + folder.file("report.xlsx") + "\"."));
  // Answering the stop question with Yes is the run's one error.
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                          [](const std::string &l) { return l.rfind("Error", 0) == 0; }),
            1);
  EXPECT_TRUE(has("Error: Interrupted by user."));
  EXPECT_EQ(python("import openpyxl\nws = openpyxl.load_workbook(" +
                   pyString(folder.file("report.xlsx")) +
                   ").active\nprint([c.value for c in ws['A']])\n"),
            "['i', 1, 2]\n");
}

} // namespace
} // namespace brevant
