// Pictures of every window for the documentation: runs only when BREVANT_SCREENSHOT_DIR names
// the folder to write them to (under xvfb-run for a real display).

#include "configuration/frm_configuration.h"
#include "configuration/frm_data_source.h"
#include "configuration/frm_parameter.h"
#include "engine/components/database/connection.h"
#include "report_fixture.h"
#include "workspace/frm_about.h"
#include "workspace/frm_edit.h"
#include "workspace/frm_input_para.h"
#include "workspace/frm_login.h"
#include "workspace/frm_main.h"
#include "workspace/frm_options.h"
#include "workspace/frm_run.h"
#include "workspace/frm_tip.h"
#include "workspace/help_viewer.h"
#include "workspace/script_text_edit.h"

#include <QAction>
#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QTest>
#include <QToolBar>

namespace brevant {
namespace {

class Screenshots : public testing::ReportTest {
protected:
  void save(QWidget &widget, const char *name) {
    widget.show();
    QTest::qWait(150);
    widget.grab().save(QString::fromStdString(std::string(dir) + "/" + name + ".png"));
  }
  const char *dir = std::getenv("BREVANT_SCREENSHOT_DIR");
};

TEST_F(Screenshots, EveryWindow) {
  if (dir == nullptr)
    GTEST_SKIP() << "set BREVANT_SCREENSHOT_DIR to take the pictures";
  workspace.environment.programFolder = BREVANT_BINARY_DIR;
  const std::string path = makeReport(
      "/* Sales by region for one month */\r\n"
      "@totals=NAME(CONNECT=sales NAME=Total,Region)\r\n"
      "select round(sum(amount), 2), 'All regions' from orders\r\n"
      "where region <> '%EXCLUDE%'\r\n\r\n"
      "@log=EXECSQL(CONNECT=sales)\r\nselect count(*) from orders where region = \"North\"\r\n",
      "Name1=%EXCLUDE%\r\nTitle1=Region to leave out\r\nDefault1=East\r\n"
      "Name2=%MONTH%\r\nTitle2=Month (01 to 12)\r\nDefault2=05\r\n");

  FrmMain main(workspace);
  main.resize(900, 560);
  save(main, "main-window");
  main.OpenFile(path);
  save(main, "editor");

  FrmRun run(workspace, main.editor()->scriptText(), &main);
  save(run, "run-ready");
  run.show();
  workspace.definition.parameterCount = 0; // the values are the defaults
  run.start();
  save(run, "run-done");

  workspace.definition.parameterCount = 2;
  FrmInputPara parameters(workspace, &main);
  save(parameters, "input-parameters");
  workspace.definition.dataSources[0].User = "ann";
  Connection connection;
  FrmLogin login(workspace, 0, connection, &main);
  save(login, "login");
  workspace.definition.dataSourceCount = 2;
  workspace.definition.dataSources[1] = {"warehouse", "reports", "secret", ""};
  workspace.definition.ProtectReport = true;
  FrmConfiguration configuration(workspace, &main);
  save(configuration, "configuration-file");
  configuration.selectTab(FrmConfiguration::kDataSourceTab);
  configuration.selectDataSource(1);
  save(configuration, "configuration-data-source");
  configuration.selectTab(FrmConfiguration::kParameterTab);
  save(configuration, "configuration-parameter");
  configuration.selectTab(FrmConfiguration::kDataSourceTab);
  configuration.dataSourceEditor().refill(RowEditorMode::SelectedRow);
  save(configuration.dataSourceEditor(), "data-source");
  configuration.dataSourceEditor().hide();
  configuration.selectDataSource(0);
  save(configuration.dataSourceEditor(), "data-source-connection-string");
  configuration.selectParameter(0);
  configuration.parameterEditor().refill(RowEditorMode::SelectedRow);
  save(configuration.parameterEditor(), "parameter");
  configuration.parameterEditor().hide();
  configuration.dataSourceEditor().hide();
  configuration.hide();

  FrmOptions options(workspace, "Edit", main.editor(), &main);
  save(options, "options-font");
  options.selectTab(2);
  save(options, "options-connection");
  options.selectTab(3);
  save(options, "options-excel");
  options.hide();

  FrmTip tip(BREVANT_BINARY_DIR, &main);
  save(tip, "tip-of-the-day");
  FrmAbout about(BREVANT_BINARY_DIR, &main);
  save(about, "about");
  HelpViewer help;
  help.showPage(BREVANT_BINARY_DIR "/help/tutorial.html");
  save(help, "help");
}

// The toolbar with every button enabled above the same toolbar with every button disabled.
QImage toolbarStates(FrmMain &main) {
  auto *bar = main.findChild<QToolBar *>("tlbMain");
  for (QAction *action : bar->actions())
    action->setVisible(true);
  QImage states[2];
  for (int disabled = 0; disabled < 2; ++disabled) {
    for (QAction *action : bar->actions())
      action->setEnabled(disabled == 0);
    QTest::qWait(50);
    states[disabled] = bar->grab().toImage();
  }
  QImage both(states[0].width(), states[0].height() * 2, QImage::Format_ARGB32);
  both.fill(main.palette().color(QPalette::Window));
  QPainter painter(&both);
  painter.drawImage(0, 0, states[0]);
  painter.drawImage(0, states[0].height(), states[1]);
  return both;
}

TEST_F(Screenshots, ToolbarStatesEditorMarkAndUnlistedFileType) {
  if (dir == nullptr)
    GTEST_SKIP() << "set BREVANT_SCREENSHOT_DIR to take the pictures";
  workspace.environment.programFolder = BREVANT_BINARY_DIR;
  const std::string path = makeReport("@1=EXECSQL()\r\nselect 1\r\n");
  const auto out = [&](const char *name) {
    return QString::fromStdString(std::string(dir) + "/" + name + ".png");
  };
  {
    FrmMain main(workspace);
    main.resize(900, 420);
    main.show();
    main.OpenFile(path);
    main.editor()->textBox()->moveCursor(QTextCursor::End);
    QTest::keyClicks(main.editor()->textBox(), " -- not saved yet");
    // A window of its own inside the workspace, so that its title with the mark is in view.
    main.editor()->parentWidget()->showNormal();
    main.editor()->parentWidget()->setGeometry(20, 10, 560, 260);
    save(main, "editor-modified");
    toolbarStates(main).save(out("toolbar-default"));

    workspace.definition.ReportFileType = "xlOpenXMLWorkbook";
    FrmConfiguration configuration(workspace, &main);
    save(configuration, "configuration-unlisted-type");
    configuration.hide();
  }

  const QPalette before = QApplication::palette();
  QPalette dark;
  dark.setColor(QPalette::Window, QColor(0x2b, 0x2b, 0x2b));
  dark.setColor(QPalette::WindowText, QColor(0xe6, 0xe6, 0xe6));
  dark.setColor(QPalette::Button, QColor(0x35, 0x35, 0x35));
  dark.setColor(QPalette::ButtonText, QColor(0xe6, 0xe6, 0xe6));
  dark.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
  dark.setColor(QPalette::Text, QColor(0xe6, 0xe6, 0xe6));
  dark.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x80, 0x80));
  dark.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x80, 0x80, 0x80));
  QApplication::setPalette(dark);
  {
    FrmMain main(workspace);
    main.resize(900, 420);
    main.show();
    main.OpenFile(path);
    QTest::qWait(150);
    toolbarStates(main).save(out("toolbar-dark"));
  }
  QApplication::setPalette(before);
}

} // namespace
} // namespace brevant
