// One report from the editor to a saved workbook: the definition is opened in the workspace,
// the script is changed without saving, and the Run dialog runs the text the editor shows.

#include "report_fixture.h"
#include "workspace/frm_edit.h"
#include "workspace/frm_input_para.h"
#include "workspace/frm_main.h"
#include "workspace/frm_run.h"
#include "workspace/script_text_edit.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

namespace brevant {
namespace {

class InteractiveRunTest : public testing::ReportTest {};

TEST_F(InteractiveRunTest, TheEditorsUnsavedTextRunsWithTheValuesTyped) {
  const std::string path = makeReport("@1=NAME(NAME=Total)\r\nselect sum(amount) from orders\r\n",
                                      "Name1=%REGION%\r\nTitle1=Region\r\nDefault1=South\r\n");
  FrmMain main(workspace);
  main.show();
  main.OpenFile(path);
  FrmEdit &editor = *main.editor();
  editor.textBox()->setPlainText("@1=NAME(NAME=Total,Region)\n"
                                 "select sum(amount), region from orders\n"
                                 "where region = '%REGION%'\n");

  QString status, errors, log;
  bool parametersAsked = false;
  // The first timer answers the parameter dialog, the second reads the Run dialog after the
  // run and closes it.
  QTimer::singleShot(0, &main, [&] {
    auto *run = qobject_cast<FrmRun *>(QApplication::activeModalWidget());
    ASSERT_NE(run, nullptr);
    QTimer::singleShot(0, &main, [&] {
      auto *parameters = qobject_cast<FrmInputPara *>(QApplication::activeModalWidget());
      parametersAsked = parameters != nullptr;
      if (parameters == nullptr)
        return;
      auto *value = parameters->findChild<QLineEdit *>("txtPVaule(0)");
      value->selectAll();
      QTest::keyClicks(value, "North");
      QTest::keyClick(value, Qt::Key_Return);
    });
    run->start();
    status = run->findChild<QLabel *>("lblStatus")->text();
    errors = run->findChild<QLabel *>("lblErrorCnt")->text();
    log = run->findChild<QPlainTextEdit *>("txtLogInfo")->toPlainText();
    QTest::keyClick(run, Qt::Key_Escape);
  });
  editor.menuItem("mnuRRun")->trigger();

  EXPECT_TRUE(parametersAsked);
  EXPECT_EQ(status, "Done");
  EXPECT_EQ(errors, "0") << log.toStdString();
  EXPECT_TRUE(log.contains("where region = 'North'")) << log.toStdString();
  EXPECT_EQ(definedNames("out/report.xlsx"), "Total 15\nRegion \"North\"\n");
  // The typed value is the new default and makes the definition count as changed; the
  // editor's text was not saved by running it.
  EXPECT_EQ(workspace.definition.parameters[0].Default, "North");
  EXPECT_TRUE(workspace.definition.definitionChanged);
  EXPECT_TRUE(editor.dataChanged());
  EXPECT_NE(testing::readBytes(path).find("select sum(amount) from orders"), std::string::npos);

  // A real client reads the report and recalculates the template's formula.
  const std::string cells = testing::python(
      "import openpyxl\nwb = openpyxl.load_workbook(" + testing::pyString(file("out/report.xlsx")) +
      ")\nprint(wb['Sales']['A1'].value, wb['Sales']['B1'].value)");
  EXPECT_EQ(cells, "Total =Total\n");

  // Opening the report from the editor hands the saved file to the desktop.
  editor.openSubject(DefinitionSubject::Report);
  ASSERT_EQ(launched.size(), 1u);
  EXPECT_EQ(launched[0].toLocalFile().toStdString(), file("out/report.xlsx"));
}

} // namespace
} // namespace brevant
