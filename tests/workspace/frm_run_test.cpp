#include "workspace/frm_run.h"

#include "definition/definition_file.h"
#include "report_fixture.h"
#include "workspace/frm_input_para.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace brevant {
namespace {

const char *const kScript =
    "@1=NAME(NAME=Total,Region)\r\nselect sum(amount), 'All' from orders\r\n"
    "@2=EXECSQL()\r\nselect 1\r\n";

class RunDialogTest : public testing::ReportTest {
protected:
  void load(const std::string &path) {
    ASSERT_FALSE(openDefinition(path, workspace.definition).has_value());
  }
  QString text(FrmRun &dialog, const char *label) {
    return dialog.findChild<QLabel *>(label)->text();
  }
  QPushButton *button(FrmRun &dialog, const char *name) {
    return dialog.findChild<QPushButton *>(name);
  }
  // Start, Close and End as enabled flags, in that order.
  std::string buttons(FrmRun &dialog) {
    std::string s;
    for (const char *name : {"cmdStart", "cmdEnd", "cmdClose"})
      s += button(dialog, name)->isEnabled() ? '1' : '0';
    return s;
  }
  QString log(FrmRun &dialog) {
    return dialog.findChild<QPlainTextEdit *>("txtLogInfo")->toPlainText();
  }
};

TEST_F(RunDialogTest, LoadsReadyAndRunsAtOnceWithoutParameters) {
  load(makeReport(kScript));
  FrmRun dialog(workspace, workspace.definition.script);
  dialog.show();
  EXPECT_EQ(dialog.windowTitle(), "Run Report");
  // The report is shown by the desktop's program for its type, not by a named one.
  EXPECT_EQ(dialog.findChild<QCheckBox *>("chkDispReport")->text(),
            "&Display the report when done");
  EXPECT_EQ(text(dialog, "lblStatus"), "Ready");
  EXPECT_EQ(text(dialog, "lblSQLStmCnt"), "0");
  EXPECT_EQ(text(dialog, "lblErrorCnt"), "0");
  EXPECT_EQ(text(dialog, "lblRecordCnt"), "0");
  EXPECT_EQ(text(dialog, "lblFunctionNo"), "");
  EXPECT_EQ(buttons(dialog), "101");
  EXPECT_TRUE(button(dialog, "cmdStart")->isDefault());

  dialog.start();
  EXPECT_EQ(dialog.state(), FrmRun::State::Done);
  EXPECT_EQ(text(dialog, "lblStatus"), "Done");
  EXPECT_EQ(text(dialog, "lblSQLStmCnt"), "2");
  EXPECT_EQ(text(dialog, "lblFunctionNo"), "2");
  EXPECT_EQ(text(dialog, "lblErrorCnt"), "0");
  EXPECT_EQ(buttons(dialog), "001");
  EXPECT_TRUE(button(dialog, "cmdClose")->isDefault());
  EXPECT_TRUE(log(dialog).contains("[2]    Success."));
  EXPECT_FALSE(log(dialog).contains("]    [")); // no time stamps in the box
  EXPECT_EQ(definedNames("out/report.xlsx"), "Total 35\nRegion \"All\"\n");

  dialog.start(); // one run per opening
  EXPECT_EQ(buttons(dialog), "001");
  QTest::keyClick(&dialog, Qt::Key_Escape);
  EXPECT_FALSE(dialog.isVisible());
}

// A function whose header fails is never dispatched: it counts as an error, not as one of the
// SQLs run, and the function shown stays the last one dispatched. Its header is logged as far as
// it was read, up to the value that failed.
TEST_F(RunDialogTest, AFunctionFailingOnItsHeaderIsAnErrorButNotARunFunction) {
  load(makeReport("@1=EXECSQL()\r\nselect 1\r\n@2=EXECSQL(CONNECT=2)\r\nselect 2\r\n"));
  FrmRun dialog(workspace, workspace.definition.script);
  dialog.show();
  dialog.start();
  EXPECT_EQ(text(dialog, "lblSQLStmCnt"), "1");
  EXPECT_EQ(text(dialog, "lblFunctionNo"), "1");
  EXPECT_EQ(text(dialog, "lblErrorCnt"), "1");
  const QString box = log(dialog);
  EXPECT_TRUE(box.contains("[2]    EXECSQL(CONNECT=2\nError: Connection error in [2]. Can not find "
                           "data source \"2\".\n"))
      << box.toStdString();
  EXPECT_FALSE(box.contains("select 2"));
  EXPECT_FALSE(box.contains("[2]    Success.") || box.contains("[2]    Failure."));

  FrmRun second(workspace, "@only=EXECSQL(CONNECT=nowhere)\r\nselect 1\r\n");
  second.show();
  second.start();
  EXPECT_EQ(text(second, "lblSQLStmCnt"), "0");
  EXPECT_EQ(text(second, "lblFunctionNo"), "");
  EXPECT_EQ(text(second, "lblErrorCnt"), "1");
}

TEST_F(RunDialogTest, EscAndCloseAreIgnoredDuringARunAndNoLetsItContinue) {
  load(makeReport(kScript));
  FrmRun dialog(workspace, workspace.definition.script);
  dialog.show();
  std::string during;
  bool visibleAfterEsc = false;
  QTimer::singleShot(0, &dialog, [&] {
    during = buttons(dialog);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    dialog.close();
    visibleAfterEsc = dialog.isVisible();
    prompts.answers = {QMessageBox::No};
    dialog.end();
  });
  dialog.start();
  EXPECT_EQ(during, "010");
  EXPECT_TRUE(visibleAfterEsc);
  ASSERT_EQ(prompts.questions.size(), 1u);
  EXPECT_EQ(prompts.questions[0],
            "Stop Running Report|The report is not complete. Do you really want to stop running "
            "it?\r\nTo stop running the report, click Yes. To continue running report, click No.");
  EXPECT_EQ(text(dialog, "lblSQLStmCnt"), "2");
  EXPECT_EQ(text(dialog, "lblErrorCnt"), "0");
  EXPECT_EQ(text(dialog, "lblStatus"), "Done");
}

TEST_F(RunDialogTest, YesStopsTheRunAndCountsTheStopAsAnError) {
  load(makeReport(kScript));
  FrmRun dialog(workspace, workspace.definition.script);
  dialog.show();
  QTimer::singleShot(0, &dialog, [&] {
    prompts.answers = {QMessageBox::Yes};
    dialog.end();
  });
  dialog.start();
  EXPECT_EQ(text(dialog, "lblStatus"), "Done");
  EXPECT_TRUE(log(dialog).contains("Error: Interrupted by user.")) << log(dialog).toStdString();
  EXPECT_EQ(text(dialog, "lblErrorCnt"), "1");
  EXPECT_EQ(text(dialog, "lblSQLStmCnt"), "0"); // stopped before the first function
  EXPECT_NE(testing::readBytes(file("run.log")).find("Error: Interrupted by user."),
            std::string::npos);
  EXPECT_EQ(buttons(dialog), "001");
}

TEST_F(RunDialogTest, CancellingTheParameterDialogLeavesTheDialogReady) {
  load(makeReport(kScript, "Name1=%YEAR%\r\nTitle1=Year\r\nDefault1=2024\r\n"));
  FrmRun dialog(workspace, workspace.definition.script);
  dialog.show();
  bool asked = false;
  QTimer::singleShot(0, &dialog, [&] {
    auto *parameters = qobject_cast<FrmInputPara *>(QApplication::activeModalWidget());
    asked = parameters != nullptr;
    if (parameters != nullptr)
      QTest::keyClick(parameters, Qt::Key_Escape);
  });
  dialog.start();
  EXPECT_TRUE(asked);
  EXPECT_EQ(text(dialog, "lblStatus"), "Ready");
  EXPECT_EQ(buttons(dialog), "101");
  EXPECT_TRUE(log(dialog).isEmpty());
  EXPECT_FALSE(std::filesystem::exists(file("run.log")));
}

TEST_F(RunDialogTest, DisplayReportChoiceLastsForTheSession) {
  // A definition without a template ends at once; the choice is taken at Start all the same.
  write("empty.kvd", "Quorvel Version 2.0\r\n[Data Source]\r\n\r\n[File]\r\n\r\n[SQL]\r\n");
  load(file("empty.kvd"));
  {
    FrmRun dialog(workspace, "");
    EXPECT_FALSE(dialog.findChild<QCheckBox *>("chkDispReport")->isChecked());
    dialog.findChild<QCheckBox *>("chkDispReport")->setChecked(true);
    dialog.start();
    EXPECT_EQ(text(dialog, "lblErrorCnt"), "1");
    EXPECT_TRUE(log(dialog).contains("Error: The template file is not named correctly."));
  }
  EXPECT_TRUE(workspace.displayReport);
  FrmRun again(workspace, "");
  EXPECT_TRUE(again.findChild<QCheckBox *>("chkDispReport")->isChecked());
}

TEST_F(RunDialogTest, TheLogBoxStartsOverBeforeItReaches310000Characters) {
  FrmRun dialog(workspace, "");
  const std::string a(150000, 'a'), b(150000, 'b'), c(10, 'c');
  dialog.lineLogged(a);
  dialog.lineLogged(b); // 150002 + 150000 + 2 < 310000
  dialog.showProgress();
  EXPECT_EQ(log(dialog).size(), 300001);
  dialog.lineLogged(std::string(9994, 'x')); // 300004 + 9994 + 2 reaches the limit
  dialog.showProgress();
  EXPECT_EQ(log(dialog), QString(9994, 'x'));
  dialog.lineLogged(c);
  dialog.showProgress();
  EXPECT_EQ(log(dialog), QString(9994, 'x') + "\n" + QString::fromStdString(c));
  // The box starts over even when the line that fills it was never shown.
  dialog.lineLogged(a);
  dialog.lineLogged(b); // 10008 + 150002 + 150002 reaches the limit
  dialog.lineLogged(c);
  dialog.showProgress();
  EXPECT_EQ(log(dialog), QString::fromStdString(b + "\n" + c));
}

// What the engine reports is shown at the first yield, then at most every 50 ms, and always
// when the run ends, however often the engine yields in between.
TEST_F(RunDialogTest, UpdatesAreShownAtMostTwentyTimesASecond) {
  FrmRun dialog(workspace, "");
  dialog.show();
  dialog.functionStarted(1, "sales");
  dialog.lineLogged("one");
  dialog.recordCountChanged(1);
  dialog.processEvents();
  EXPECT_EQ(log(dialog), "one");
  EXPECT_EQ(text(dialog, "lblRecordCnt"), "1");
  EXPECT_EQ(text(dialog, "lblFunctionNo"), "sales");
  for (int record = 2; record <= 2000; ++record) {
    dialog.recordCountChanged(record);
    dialog.processEvents(); // a record every few microseconds: none of these is due
  }
  dialog.lineLogged("two");
  dialog.errorCountChanged(3);
  dialog.processEvents();
  EXPECT_EQ(log(dialog), "one");
  EXPECT_EQ(text(dialog, "lblRecordCnt"), "1");
  QTest::qWait(60);
  dialog.processEvents();
  EXPECT_EQ(log(dialog), "one\ntwo");
  EXPECT_EQ(text(dialog, "lblRecordCnt"), "2,000");
  EXPECT_EQ(text(dialog, "lblErrorCnt"), "3");

  // A run whose last records came just after an update still ends with its final counts.
  load(makeReport(kScript));
  FrmRun run(workspace, workspace.definition.script);
  run.show();
  run.start();
  EXPECT_EQ(text(run, "lblSQLStmCnt"), "2");
  EXPECT_TRUE(log(run).endsWith("Close the log file.")) << log(run).toStdString();
}

} // namespace
} // namespace brevant
