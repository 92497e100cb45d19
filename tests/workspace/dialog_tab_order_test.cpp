// The Tab key goes through every workspace dialog in the order its layout shows the controls:
// row by row, left to right, and the buttons where they stand.

#include "engine/components/database/connection.h"
#include "report_fixture.h"
#include "tab_cycle.h"
#include "workspace/frm_about.h"
#include "workspace/frm_edit.h"
#include "workspace/frm_find.h"
#include "workspace/frm_goto.h"
#include "workspace/frm_input_para.h"
#include "workspace/frm_login.h"
#include "workspace/frm_main.h"
#include "workspace/frm_options.h"
#include "workspace/frm_run.h"
#include "workspace/frm_tip.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>

namespace brevant {
namespace {

using testing::tabCycle;

class DialogTabOrderTest : public testing::ReportTest {
protected:
  template <typename T = QWidget> T *child(QWidget &window, const char *name) {
    T *found = window.findChild<T *>(name);
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
};

TEST_F(DialogTabOrderTest, RunDialog) {
  FrmRun run(workspace, "");
  // End is disabled until a run starts.
  EXPECT_EQ(tabCycle(run, child(run, "chkDispReport")),
            "chkDispReport cmdStart cmdClose txtLogInfo");
}

TEST_F(DialogTabOrderTest, ParameterAndLoginDialogs) {
  workspace.definition.parameterCount = 2;
  workspace.definition.parameters[0] = {"%A%", "First", "1"};
  workspace.definition.parameters[1] = {"%B%", "Second", "2"};
  FrmInputPara parameters(workspace);
  EXPECT_EQ(tabCycle(parameters, child(parameters, "txtPVaule(0)")),
            "txtPVaule(0) txtPVaule(1) cmdOK cmdCancel");
  parameters.hide();

  workspace.definition.dataSourceCount = 1;
  workspace.definition.dataSources[0] = {"sales", "ann", "", ""};
  Connection connection;
  FrmLogin login(workspace, 0, connection);
  EXPECT_EQ(tabCycle(login, child(login, "txtDSName")),
            "txtDSName txtDSUser txtDSPassword cmdOK cmdCancel");
}

TEST_F(DialogTabOrderTest, OptionsDialogOnEachTab) {
  FrmOptions options(workspace, "", nullptr);
  std::string all;
  for (int tab = 0; tab < 4; ++tab) {
    options.selectTab(tab);
    all += tabCycle(options, child(options, "tabOptions")) + " | ";
  }
  EXPECT_EQ(all, "tabOptions cboFont cboFontSize cmdOK cmdCancel | "
                 "tabOptions txtDefDirectory cmdDefDirectory txtLogEditor cmdLogEditor cmdOK "
                 "cmdCancel | "
                 "tabOptions txtConnectionTimeout txtCommandTimeout cmdOK cmdCancel | "
                 "tabOptions chkEnableAddins chkEnableAutoMacro cmdOK cmdCancel | ");
}

TEST_F(DialogTabOrderTest, FindGotoTipAndAbout) {
  FrmMain main(workspace);
  main.show();
  main.OpenFile(makeReport("@1=EXECSQL()\r\nselect 1\r\n"));
  FrmEdit &editor = *main.editor();
  FrmFind &find = *editor.findDialog();
  EXPECT_EQ(tabCycle(find, child(find, "tabFind")),
            "tabFind txtFindWhat cboDirection chkMatchCase chkWholeWord chkWrap cmdFind cmdCancel");
  find.hide();
  FrmGoto &go = editor.gotoDialog();
  EXPECT_EQ(tabCycle(go, child(go, "txtFunction")),
            "txtFunction lstFunction cmdOK cmdCancel tabGoto");
  go.hide();

  FrmTip tip(workspace.environment.programFolder);
  EXPECT_EQ(tabCycle(tip, child(tip, "cmdOK")), "cmdOK cmdNextTip chkLoadTipsAtStartup");
  tip.hide();
  FrmAbout about(workspace.environment.programFolder);
  // Each address label takes the focus, then its link.
  EXPECT_EQ(tabCycle(about, child(about, "cmdOK")),
            "cmdOK lblHomePage lblHomePage lblEmail lblEmail");
}

} // namespace
} // namespace brevant
