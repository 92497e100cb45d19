#include "configuration/frm_data_source.h"
#include "configuration/frm_parameter.h"
#include "configuration_fixture.h"
#include "definition/definition_file.h"

#include <QFocusEvent>
#include <QTabBar>
#include <QTest>
#include <QTimer>

namespace brevant {
namespace {

using testing::errorBoxText;

class ConfigurationDialogTest : public testing::ConfigurationTest {
protected:
  ConfigurationDialogTest() {
    ReportDefinition &def = workspace.definition;
    def.definitionFilePath = file("sales.kvd");
    def.ReportTemplateFileName = "Template\\Sales.xlsx";
    def.ReportFileName = "Report\\Sales.xlsx";
    def.ReportFileType = "XLSX";
    def.LogFileName = "Log\\Sales.log";
  }
  void loseFocus(QWidget *widget) {
    QFocusEvent event(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(widget, &event);
  }
  QStringList names(const char *listName) {
    QStringList out;
    QListWidget *rows = list(listName);
    for (int i = 0; i < rows->count(); ++i)
      out << rows->item(i)->text();
    return out;
  }
};

TEST_F(ConfigurationDialogTest, LoadShowsTheDefinitionAndConfirmingIsNoChange) {
  ReportDefinition &def = workspace.definition;
  addDataSources(2);
  def.dataSources[1] = {"pg", "", "", "Driver={PostgreSQL Unicode};Server=db"};
  addParameters(1);
  def.EncryptPassword = true;
  def.ProtectReport = true;
  def.hasProtectionPassword = true;
  def.ProtectionPassword = "secret";
  const ReportDefinition before = def;

  FrmConfiguration &config = open();
  EXPECT_EQ(config.windowTitle(), "Configuration");
  EXPECT_EQ(config.currentTab(), FrmConfiguration::kFileTab);
  EXPECT_EQ(box("txtTemplateFile")->text(), "Template\\Sales.xlsx");
  EXPECT_EQ(fileTypes()->currentIndex(), fileTypeItem("XLSX"));
  EXPECT_EQ(fileTypes()->itemText(0), "(Default)");
  EXPECT_EQ(fileTypes()->currentText(), "Excel Workbook (*.xlsx)");
  EXPECT_TRUE(check("chkProtectReport")->isChecked());
  EXPECT_TRUE(option("optInputPwd")->isChecked());
  EXPECT_EQ(box("txtRptPwd")->text(), "secret");
  EXPECT_TRUE(check("chkEncryptPwd")->isChecked());
  EXPECT_EQ(names("lstDataSource"), QStringList({"ds1", "pg"}));
  EXPECT_EQ(names("lstParameter"), QStringList({"%P1%"}));

  button("cmdOK")->click();
  EXPECT_EQ(config.result(), QDialog::Accepted);
  EXPECT_FALSE(def.definitionChanged);
  EXPECT_EQ(def.dataSources[1].ConnectionString, before.dataSources[1].ConnectionString);
  EXPECT_EQ(def.dataSources[0].Password, "pw");
  EXPECT_EQ(def.ProtectionPassword, "secret");
  EXPECT_EQ(def.ReportFileType, "XLSX");
}

TEST_F(ConfigurationDialogTest, ANumericOrUnknownFileTypeIsShownAndKeptUnlessChanged) {
  workspace.definition.ReportFileType = "56";
  open();
  EXPECT_EQ(fileTypes()->currentIndex(), fileTypeItem("XLS"));
  // The report name takes the type's extension while the dialog loads; that is no change.
  EXPECT_EQ(box("txtReportFile")->text(), "Report\\Sales.xls");
  button("cmdOK")->click();
  EXPECT_EQ(workspace.definition.ReportFileType, "XLS");
  EXPECT_EQ(workspace.definition.ReportFileName, "Report\\Sales.xls");
  EXPECT_FALSE(workspace.definition.definitionChanged);

  // A type the table does not list is shown as stored, marked, at the end of the list.
  workspace.definition.ReportFileType = "xlOpenXMLWorkbook";
  open();
  const int unlisted = fileTypes()->count() - 1;
  EXPECT_EQ(fileTypes()->currentIndex(), unlisted);
  EXPECT_EQ(fileTypes()->currentText(), "xlOpenXMLWorkbook (not in this program's list)");
  EXPECT_EQ(fileTypes()->count(), int(workspace.environment.fileTypes.size()) + 2);
  button("cmdOK")->click();
  EXPECT_EQ(workspace.definition.ReportFileType, "xlOpenXMLWorkbook");
  EXPECT_FALSE(workspace.definition.definitionChanged);

  // Choosing another type and coming back keeps it; a listed type replaces it.
  open();
  fileTypes()->setCurrentIndex(fileTypeItem("CSV"));
  fileTypes()->setCurrentIndex(unlisted);
  button("cmdOK")->click();
  EXPECT_EQ(workspace.definition.ReportFileType, "xlOpenXMLWorkbook");
  open();
  fileTypes()->setCurrentIndex(fileTypeItem("CSV"));
  button("cmdOK")->click();
  EXPECT_EQ(workspace.definition.ReportFileType, "CSV");
  open();
  EXPECT_EQ(fileTypes()->count(), int(workspace.environment.fileTypes.size()) + 1);

  // "(Default)" clears it.
  workspace.definition.ReportFileType = "LOTUS";
  open();
  fileTypes()->setCurrentIndex(0);
  button("cmdOK")->click();
  EXPECT_EQ(workspace.definition.ReportFileType, "");
  EXPECT_TRUE(workspace.definition.definitionChanged);
}

TEST_F(ConfigurationDialogTest, ChoosingAFileTypeNormalisesTheReportName) {
  open();
  box("txtReportFile")->setText("Out.txt");
  fileTypes()->setCurrentIndex(fileTypeItem("HTM"));
  EXPECT_EQ(box("txtReportFile")->text(), "Out.htm");
  box("txtReportFile")->setText("Out.html");
  loseFocus(box("txtReportFile"));
  EXPECT_EQ(box("txtReportFile")->text(), "Out.html");
  box("txtReportFile")->setText("Out.HTML");
  loseFocus(box("txtReportFile"));
  EXPECT_EQ(box("txtReportFile")->text(), "Out.htm");
  box("txtReportFile")->setText("  Out.csv ");
  button("cmdOK")->click();
  EXPECT_EQ(workspace.definition.ReportFileName, "Out.htm");
  EXPECT_EQ(workspace.definition.ReportFileType, "HTM");
  EXPECT_TRUE(workspace.definition.definitionChanged);
}

TEST_F(ConfigurationDialogTest, LeavingTheTemplateBoxFillsEmptyReportAndLogNames) {
  workspace.definition.ReportFileType.clear();
  open();
  box("txtReportFile")->clear();
  box("txtLogFile")->clear();
  box("txtTemplateFile")->setText(" C:\\T\\Sales.xlsx ");
  loseFocus(box("txtTemplateFile"));
  EXPECT_EQ(box("txtTemplateFile")->text(), "C:\\T\\Sales.xlsx");
  EXPECT_EQ(box("txtReportFile")->text(), "C:\\T\\Report\\Sales.xlsx");
  EXPECT_EQ(box("txtLogFile")->text(), "C:\\T\\Log\\Sales.log");

  // Focus moving to another window is no leaving of the box.
  box("txtReportFile")->clear();
  QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
  QApplication::sendEvent(box("txtTemplateFile"), &away);
  EXPECT_EQ(box("txtReportFile")->text(), "");
}

TEST_F(ConfigurationDialogTest, EditingTheTemplateAndChangingItBackIsStillAChange) {
  open();
  box("txtTemplateFile")->setText("Other.xlsx");
  box("txtTemplateFile")->setText("Template\\Sales.xlsx");
  button("cmdOK")->click();
  EXPECT_TRUE(workspace.definition.definitionChanged);
}

TEST_F(ConfigurationDialogTest, ProtectionOptionsFollowTheBoxAndAreWrittenBackConsistently) {
  ReportDefinition &def = workspace.definition;
  def.ProtectReport = true;
  def.hasProtectionPassword = true;
  def.ProtectionPassword = "secret";
  open();
  EXPECT_TRUE(box("txtRptPwd")->isEnabled());
  option("optRptPwd")->click();
  EXPECT_FALSE(box("txtRptPwd")->isEnabled());
  EXPECT_TRUE(option("optInputPwd")->isEnabled());
  button("cmdOK")->click();
  EXPECT_TRUE(def.ProtectReport);
  EXPECT_FALSE(def.hasProtectionPassword);
  EXPECT_EQ(def.ProtectionPassword, "");
  EXPECT_TRUE(def.definitionChanged);

  def = {};
  def.ReportTemplateFileName = "T.xlsx";
  def.ProtectReport = true;
  def.hasProtectionPassword = true;
  def.ProtectionPassword = "secret";
  open();
  check("chkProtectReport")->click();
  EXPECT_FALSE(option("optInputPwd")->isEnabled());
  EXPECT_FALSE(option("optRptPwd")->isEnabled());
  EXPECT_FALSE(box("txtRptPwd")->isEnabled());
  button("cmdOK")->click();
  EXPECT_FALSE(def.ProtectReport);
  EXPECT_FALSE(def.hasProtectionPassword);
  EXPECT_EQ(def.ProtectionPassword, "");
}

TEST_F(ConfigurationDialogTest, OkChecksTheFileNamesInOrderAndStaysOpen) {
  struct Case {
    const char *templateName, *report, *log, *message, *focus;
  };
  const Case cases[] = {
      {"  ", "R.xlsx", "R.log", "Please select a report template file.", "txtTemplateFile"},
      {"T.xlsx", " T.xlsx", "R.log",
       "The report file must be different from the report template file.", "txtReportFile"},
      {"T.xlsx", "R.xlsx", "T.xlsx",
       "The log file must be different from the report template file.", "txtLogFile"},
      {"T.xlsx", "R.xlsx", " R.xlsx ", "The log file must be different from the report file.",
       "txtLogFile"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.message);
    FrmConfiguration &config = open();
    config.show();
    config.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&config));
    config.selectTab(FrmConfiguration::kParameterTab);
    box("txtTemplateFile")->setText(c.templateName);
    box("txtReportFile")->setText(c.report);
    box("txtLogFile")->setText(c.log);
    prompts.messages.clear();
    config.accept();
    EXPECT_EQ(prompts.onlyMessage(), errorBoxText(c.message));
    EXPECT_EQ(config.currentTab(), FrmConfiguration::kFileTab);
    EXPECT_EQ(QApplication::focusWidget(), box(c.focus));
    EXPECT_TRUE(config.isVisible());
    EXPECT_FALSE(workspace.definition.definitionChanged);
    EXPECT_EQ(workspace.definition.ReportTemplateFileName, "Template\\Sales.xlsx");
  }
}

TEST_F(ConfigurationDialogTest, OkRefusesAPasswordThatCannotBeEncipheredAndStaysOpen) {
  addDataSources(3);
  workspace.definition.dataSources[1].Password = "naïve€"; // Windows-1252 has both
  workspace.definition.dataSources[2].Password = "zażółć";
  FrmConfiguration &config = open();
  config.show();
  config.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&config));
  check("chkEncryptPwd")->setChecked(true);
  prompts.messages.clear();
  config.accept();
  EXPECT_EQ(prompts.onlyMessage(), errorBoxText(unencipherablePasswordMessage("ds3")));
  EXPECT_EQ(config.currentTab(), FrmConfiguration::kDataSourceTab);
  EXPECT_EQ(list("lstDataSource")->currentRow(), 2);
  EXPECT_EQ(QApplication::focusWidget(), list("lstDataSource"));
  EXPECT_TRUE(config.isVisible());
  EXPECT_FALSE(workspace.definition.EncryptPassword);

  // Without enciphering, the same password is accepted.
  check("chkEncryptPwd")->setChecked(false);
  prompts.messages.clear();
  config.accept();
  EXPECT_TRUE(prompts.messages.empty());
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
}

TEST_F(ConfigurationDialogTest, AnEmptyReportOrLogNameIsAccepted) {
  open();
  box("txtReportFile")->clear();
  box("txtLogFile")->clear();
  button("cmdOK")->click();
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_EQ(workspace.definition.ReportFileName, "");
  EXPECT_EQ(workspace.definition.LogFileName, "");
}

TEST_F(ConfigurationDialogTest, DeletingARowAsksAndSelectsTheRowThatTakesItsPlace) {
  addDataSources(3);
  FrmConfiguration &config = open();
  config.selectTab(FrmConfiguration::kDataSourceTab);
  EXPECT_FALSE(button("cmdDeleteDS")->isEnabled());

  config.selectDataSource(2);
  EXPECT_TRUE(button("cmdDeleteDS")->isEnabled());
  prompts.answers = {QMessageBox::No};
  button("cmdDeleteDS")->click();
  EXPECT_EQ(prompts.questions.back(), "Brevant|Do you want to delete the data source?");
  EXPECT_EQ(names("lstDataSource").size(), 3);
  EXPECT_FALSE(config.dataSourcesChanged());

  prompts.answers = {QMessageBox::Yes};
  button("cmdDeleteDS")->click();
  EXPECT_EQ(names("lstDataSource"), QStringList({"ds1", "ds2"}));
  EXPECT_EQ(config.selectedDataSource(), 1);
  EXPECT_TRUE(config.dataSourcesChanged());

  config.selectDataSource(0);
  prompts.answers = {QMessageBox::Yes};
  button("cmdDeleteDS")->click();
  EXPECT_EQ(names("lstDataSource"), QStringList({"ds2"}));
  EXPECT_EQ(config.selectedDataSource(), 0);
  EXPECT_EQ(config.dataSourceRows()[0].Name, "ds2");

  prompts.answers = {QMessageBox::Yes};
  button("cmdDeleteDS")->click();
  EXPECT_TRUE(names("lstDataSource").isEmpty());
  EXPECT_FALSE(button("cmdModifyDS")->isEnabled());
  EXPECT_FALSE(button("cmdTestDS")->isEnabled());

  button("cmdOK")->click();
  EXPECT_EQ(workspace.definition.dataSourceCount, 0);
  EXPECT_EQ(workspace.definition.dataSources[0].Name, "");
  EXPECT_TRUE(workspace.definition.definitionChanged);
}

TEST_F(ConfigurationDialogTest, DeletingAParameterAsksItsOwnQuestion) {
  addParameters(2);
  FrmConfiguration &config = open();
  config.selectParameter(0);
  prompts.answers = {QMessageBox::Yes};
  button("cmdDeletePara")->click();
  EXPECT_EQ(prompts.questions.back(), "Brevant|Do you want to delete the parameter?");
  EXPECT_EQ(names("lstParameter"), QStringList({"%P2%"}));
  EXPECT_TRUE(config.parametersChanged());
}

TEST_F(ConfigurationDialogTest, TenRowsDisableNewOnlyForTheirOwnList) {
  addParameters(10);
  addDataSources(9);
  FrmConfiguration &config = open();
  config.selectTab(FrmConfiguration::kParameterTab);
  EXPECT_FALSE(button("cmdAddPara")->isEnabled());
  EXPECT_TRUE(button("cmdAddDS")->isEnabled());

  // The tenth data source, added through the editor, disables New at once.
  config.selectTab(FrmConfiguration::kDataSourceTab);
  QTimer::singleShot(0, &config, [&] {
    auto *editor = qobject_cast<FrmDataSource *>(QApplication::activeModalWidget());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->windowTitle(), "New Data Source");
    editor->nameBox()->setText("ds10");
    editor->accept();
  });
  button("cmdAddDS")->click();
  EXPECT_EQ(config.dataSourceRows().size(), 10u);
  EXPECT_EQ(config.selectedDataSource(), 9);
  EXPECT_FALSE(button("cmdAddDS")->isEnabled());
  // Even when asked, a full list takes no more rows.
  config.appendDataSource({"ds11", "", "", ""});
  config.appendParameter({"%P11%", "", ""});
  EXPECT_EQ(config.dataSourceRows().size(), 10u);
  EXPECT_EQ(config.parameterRows().size(), 10u);
}

TEST_F(ConfigurationDialogTest, EditShowsTheSelectedRowAndNewAfterAnEditStartsEmpty) {
  addDataSources(2);
  addParameters(2);
  FrmConfiguration &config = open();
  // What the editor shows when it comes up, then Cancel.
  QStringList seen;
  const auto look = [&] {
    QTimer::singleShot(0, &config, [&] {
      QDialog *editor = qobject_cast<QDialog *>(QApplication::activeModalWidget());
      ASSERT_NE(editor, nullptr);
      auto *name = editor->findChild<QLineEdit *>(
          qobject_cast<FrmDataSource *>(editor) != nullptr ? "txtDSName" : "txtParaName");
      ASSERT_NE(name, nullptr);
      seen << editor->windowTitle() + ": " + name->text();
      QTest::keyClick(editor, Qt::Key_Escape);
    });
  };

  config.selectTab(FrmConfiguration::kDataSourceTab);
  config.selectDataSource(1);
  look();
  button("cmdModifyDS")->click();
  look();
  button("cmdAddDS")->click();
  look();
  list("lstDataSource")->itemDoubleClicked(list("lstDataSource")->item(1));

  config.selectTab(FrmConfiguration::kParameterTab);
  config.selectParameter(0);
  look();
  list("lstParameter")->itemDoubleClicked(list("lstParameter")->item(0));
  look();
  button("cmdAddPara")->click();
  EXPECT_EQ(seen,
            (QStringList{"Edit Data Source: ds2", "New Data Source: ", "Edit Data Source: ds2",
                         "Edit Parameter: %P1%", "New Parameter: "}));
  EXPECT_FALSE(config.dataSourcesChanged());
  EXPECT_FALSE(config.parametersChanged());
}

TEST_F(ConfigurationDialogTest, CancelAfterAddingRowsLeavesTheDefinitionUntouched) {
  addParameters(1);
  FrmConfiguration &config = open();
  config.selectTab(FrmConfiguration::kParameterTab);
  QTimer::singleShot(0, &config, [&] {
    auto *editor = qobject_cast<FrmParameter *>(QApplication::activeModalWidget());
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor->nameBox(), "%YEAR%");
    QTest::keyClick(editor, Qt::Key_Return);
  });
  button("cmdAddPara")->click();
  EXPECT_EQ(names("lstParameter"), QStringList({"%P1%", "%YEAR%"}));
  box("txtLogFile")->setText("other.log");

  QTest::keyClick(&config, Qt::Key_Escape);
  EXPECT_EQ(config.result(), QDialog::Rejected);
  EXPECT_EQ(workspace.definition.parameterCount, 1);
  EXPECT_EQ(workspace.definition.LogFileName, "Log\\Sales.log");
  EXPECT_FALSE(workspace.definition.definitionChanged);
}

TEST_F(ConfigurationDialogTest, OkWritesConnectionStringRowsWithoutALogin) {
  addDataSources(1);
  FrmConfiguration &config = open();
  config.replaceDataSource(0, {"pg", "ann", "secret", "Driver=SQLite3;Database=a.db"});
  config.SetDataSourceChanged();
  button("cmdOK")->click();
  const DataSource &written = workspace.definition.dataSources[0];
  EXPECT_EQ(written.Name, "pg");
  EXPECT_EQ(written.User, "");
  EXPECT_EQ(written.Password, "");
  EXPECT_EQ(written.ConnectionString, "Driver=SQLite3;Database=a.db");
  EXPECT_TRUE(workspace.definition.definitionChanged);
}

TEST_F(ConfigurationDialogTest, AChangedDefinitionStaysChangedAndResolvedPathsAreCleared) {
  workspace.definition.definitionChanged = true;
  workspace.definition.resolvedReportPath = "/old/run/report.xlsx";
  open();
  button("cmdOK")->click();
  EXPECT_TRUE(workspace.definition.definitionChanged);
  EXPECT_EQ(workspace.definition.resolvedReportPath, "");
}

TEST_F(ConfigurationDialogTest, ABrowsedTemplateBesideTheDefinitionIsNamedWithoutItsFolder) {
  FrmConfiguration &config = open();
  prompts.fileAnswers = {QString::fromStdString(file("Monthly.xlsx")),
                         QString("/elsewhere/Monthly.xlsx"), std::nullopt};
  button("cmdTemplateFile")->click();
  EXPECT_EQ(prompts.fileDialogTitles.back(), "Open");
  EXPECT_EQ(prompts.fileDialogFolders.back(), QString::fromStdString(folder.path().string()));
  EXPECT_EQ(box("txtTemplateFile")->text(), "Monthly.xlsx");
  config.chooseTemplateFile();
  EXPECT_EQ(box("txtTemplateFile")->text(), "/elsewhere/Monthly.xlsx");
  config.chooseTemplateFile();
  EXPECT_EQ(box("txtTemplateFile")->text(), "/elsewhere/Monthly.xlsx");
}

TEST_F(ConfigurationDialogTest, BrowsedReportAndLogNamesTakeTheTypesExtensionAndTheirFolder) {
  open();
  prompts.fileAnswers = {QString::fromStdString(file("Out.txt")), QString("/var/log/sales.log"),
                         std::nullopt};
  button("cmdReportFile")->click();
  EXPECT_EQ(prompts.fileDialogTitles.back(), "Report File");
  EXPECT_EQ(box("txtReportFile")->text(), "Out.xlsx");
  button("cmdLogFile")->click();
  EXPECT_EQ(box("txtLogFile")->text(), "/var/log/sales.log");
  button("cmdLogFile")->click();
  EXPECT_EQ(box("txtLogFile")->text(), "/var/log/sales.log");
}

} // namespace
} // namespace brevant
