// The Tab key goes through the configuration dialog and its row editors in the order their
// layouts show the controls: on the File tab the file type and the protection come right after
// the boxes above them, each browse button right after its box.

#include "configuration/frm_data_source.h"
#include "configuration/frm_parameter.h"
#include "configuration_fixture.h"
#include "workspace/tab_cycle.h"

namespace brevant {
namespace {

using testing::tabCycle;

class ConfigurationTabOrderTest : public testing::ConfigurationTest {
protected:
  ConfigurationTabOrderTest() {
    addDataSources(1);
    addParameters(1);
  }
};

TEST_F(ConfigurationTabOrderTest, EachTabFollowsItsLayout) {
  FrmConfiguration &config = open();
  std::string all;
  for (int tab : {FrmConfiguration::kFileTab, FrmConfiguration::kDataSourceTab,
                  FrmConfiguration::kParameterTab}) {
    config.selectTab(tab);
    all += tabCycle(config, control("tabConfiguration")) + " | ";
  }
  EXPECT_EQ(all, "tabConfiguration txtTemplateFile cmdTemplateFile txtReportFile cmdReportFile "
                 "cboFileType chkProtectReport txtLogFile cmdLogFile cmdOK cmdCancel | "
                 "tabConfiguration lstDataSource cmdAddDS chkEncryptPwd cmdOK cmdCancel | "
                 "tabConfiguration lstParameter cmdAddPara cmdOK cmdCancel | ");
  // With the protection on, its choices and the password box follow it.
  config.selectTab(FrmConfiguration::kFileTab);
  config.findChild<QCheckBox *>("chkProtectReport")->click();
  config.findChild<QRadioButton *>("optInputPwd")->click();
  EXPECT_EQ(tabCycle(config, control("cboFileType")),
            "cboFileType chkProtectReport optInputPwd txtRptPwd txtLogFile cmdLogFile cmdOK "
            "cmdCancel tabConfiguration txtTemplateFile cmdTemplateFile txtReportFile "
            "cmdReportFile");
}

TEST_F(ConfigurationTabOrderTest, RowEditorsFollowTheirLayouts) {
  FrmConfiguration &config = open();
  config.show();
  FrmDataSource &dataSource = config.dataSourceEditor();
  dataSource.refill(RowEditorMode::NewRow);
  // Of the two exclusive choices the Tab key visits the chosen one; the arrows move between them.
  EXPECT_EQ(tabCycle(dataSource, dataSource.findChild<QWidget *>("optDSN")),
            "optDSN txtDSName txtDSUser txtDSPassword cmdCancel");
  dataSource.hide();

  FrmParameter &parameter = config.parameterEditor();
  parameter.refill(RowEditorMode::NewRow);
  EXPECT_EQ(tabCycle(parameter, parameter.findChild<QWidget *>("txtParaName")),
            "txtParaName txtParaTitle txtParaDefault cmdCancel");
}

} // namespace
} // namespace brevant
