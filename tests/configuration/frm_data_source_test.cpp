#include "configuration/connection_test.h"
#include "configuration/frm_data_source.h"
#include "configuration/frm_parameter.h"
#include "configuration_fixture.h"

#include <sqlite3.h>

#include <QTest>

namespace brevant {
namespace {

using testing::errorBoxText;

class DataSourceEditorTest : public testing::ConfigurationTest {
protected:
  // The editor as the configuration dialog shows it for a new row (no row given) or an edit.
  FrmDataSource &editor(int row = -1) {
    if (!dialog)
      open();
    if (row >= 0)
      dialog->selectDataSource(row);
    FrmDataSource &form = dialog->dataSourceEditor();
    form.refill(row >= 0 ? RowEditorMode::SelectedRow : RowEditorMode::NewRow);
    return form;
  }
  QPushButton *editorButton(FrmDataSource &form, const char *name) {
    return form.findChild<QPushButton *>(name);
  }
};

TEST_F(DataSourceEditorTest, ANewRowNeedsANameThatIsNotOnlyBlanks) {
  FrmDataSource &form = editor();
  EXPECT_EQ(form.windowTitle(), "New Data Source");
  EXPECT_TRUE(form.dataSourceNameKind()->isChecked());
  EXPECT_FALSE(editorButton(form, "cmdOK")->isEnabled());
  EXPECT_FALSE(editorButton(form, "cmdTest")->isEnabled());
  form.nameBox()->setText("   ");
  EXPECT_FALSE(editorButton(form, "cmdOK")->isEnabled());
  EXPECT_FALSE(editorButton(form, "cmdTest")->isEnabled());
  form.accept();
  form.testConnection();
  EXPECT_TRUE(dialog->dataSourceRows().empty());
  EXPECT_FALSE(dialog->dataSourcesChanged());
  EXPECT_TRUE(prompts.messages.empty());

  form.nameBox()->setText(" sales ");
  form.userBox()->setText("ann");
  EXPECT_TRUE(editorButton(form, "cmdOK")->isEnabled());
  form.accept();
  ASSERT_EQ(dialog->dataSourceRows().size(), 1u);
  EXPECT_EQ(dialog->dataSourceRows()[0].Name, " sales "); // stored as typed
  EXPECT_EQ(dialog->dataSourceRows()[0].User, "ann");
  EXPECT_EQ(dialog->selectedDataSource(), 0);
  EXPECT_TRUE(dialog->dataSourcesChanged());
}

TEST_F(DataSourceEditorTest, ConfirmingAnUntouchedRowOrASwitchBackChangesNothing) {
  addDataSources(2);
  FrmDataSource &form = editor(1);
  EXPECT_EQ(form.windowTitle(), "Edit Data Source");
  EXPECT_EQ(form.nameBox()->text(), "ds2");
  EXPECT_EQ(form.passwordBox()->echoMode(), QLineEdit::Password);
  form.accept();
  EXPECT_FALSE(dialog->dataSourcesChanged());

  editor(1);
  form.connectionStringKind()->click();
  EXPECT_TRUE(form.userBox()->isHidden());
  EXPECT_FALSE(form.connectionStringBox()->isHidden());
  form.dataSourceNameKind()->click();
  EXPECT_EQ(form.userBox()->text(), "user"); // switching clears nothing
  form.accept();
  EXPECT_FALSE(dialog->dataSourcesChanged());
}

TEST_F(DataSourceEditorTest, AConnectionStringRowDropsTheLoginTheHiddenBoxesStillHold) {
  addDataSources(1);
  FrmDataSource &form = editor(0);
  form.connectionStringKind()->click();
  form.accept();
  EXPECT_EQ(prompts.onlyMessage(), errorBoxText("Please input a connection string."));
  EXPECT_FALSE(dialog->dataSourcesChanged());

  form.connectionStringBox()->setText("Driver=SQLite3;Database=sales.db");
  form.accept();
  const DataSource &row = dialog->dataSourceRows()[0];
  EXPECT_EQ(row.ConnectionString, "Driver=SQLite3;Database=sales.db");
  EXPECT_EQ(row.User, "");
  EXPECT_EQ(row.Password, "");
  EXPECT_TRUE(dialog->dataSourcesChanged());

  // Opened again, the row shows as a connection string.
  editor(0);
  EXPECT_TRUE(form.connectionStringKind()->isChecked());
  EXPECT_TRUE(form.userBox()->isHidden());
}

TEST_F(DataSourceEditorTest, CancelChangesNoRow) {
  addDataSources(1);
  FrmDataSource &form = editor(0);
  form.nameBox()->setText("renamed");
  QTest::keyClick(&form, Qt::Key_Escape);
  EXPECT_EQ(dialog->dataSourceRows()[0].Name, "ds1");
  EXPECT_FALSE(dialog->dataSourcesChanged());
}

class ParameterEditorTest : public testing::ConfigurationTest {
protected:
  FrmParameter &editor(int row = -1) {
    if (!dialog)
      open();
    if (row >= 0)
      dialog->selectParameter(row);
    FrmParameter &form = dialog->parameterEditor();
    form.refill(row >= 0 ? RowEditorMode::SelectedRow : RowEditorMode::NewRow);
    return form;
  }
};

TEST_F(ParameterEditorTest, NewRowsAreAppendedAndEditsMarkOnlyRealChanges) {
  addParameters(1);
  FrmParameter &form = editor();
  EXPECT_EQ(form.windowTitle(), "New Parameter");
  form.accept();
  EXPECT_EQ(dialog->parameterRows().size(), 1u);
  form.nameBox()->setText("%YEAR%");
  form.defaultBox()->setText("2024");
  form.accept();
  ASSERT_EQ(dialog->parameterRows().size(), 2u);
  EXPECT_EQ(dialog->parameterRows()[1].Title, ""); // no title is fine
  EXPECT_EQ(dialog->parameterRows()[1].Default, "2024");
  EXPECT_EQ(dialog->selectedParameter(), 1);
  EXPECT_TRUE(dialog->parametersChanged());

  open();
  FrmParameter &edit = editor(0);
  EXPECT_EQ(edit.windowTitle(), "Edit Parameter");
  EXPECT_EQ(edit.nameBox()->text(), "%P1%");
  edit.accept();
  EXPECT_FALSE(dialog->parametersChanged());
  editor(0);
  edit.titleBox()->setText("Year of the report");
  edit.accept();
  EXPECT_EQ(dialog->parameterRows()[0].Title, "Year of the report");
  EXPECT_TRUE(dialog->parametersChanged());
}

// The connection test against real databases: a SQLite file and the PostgreSQL server that the
// test script starts.
class ConnectionTestTest : public testing::ConfigurationTest {
protected:
  void makeSqliteDatabase(const std::string &path) {
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    sqlite3_exec(db, "create table t(x)", nullptr, nullptr, nullptr);
    sqlite3_close(db);
  }
  QString lastMessage() const {
    return prompts.messages.empty() ? QString() : prompts.messages.back().text;
  }
};

TEST_F(ConnectionTestTest, MessagesNameTheDataSourceAndItsKind) {
  EXPECT_EQ(connectionTestSuccessText({"sales", "ann", "pw", ""}),
            "Connect to database successfully.\r\nDSN=sales\xEF\xBC\x8C USER=ann");
  EXPECT_EQ(connectionTestSuccessText({"sales", "", "", ""}),
            "Connect to database successfully.\r\nDSN=sales");
  EXPECT_EQ(connectionTestFailureText({"pg", "ann", "", "Driver=x"}, "refused"),
            "Failed to connect to data source.\r\nDSN=pg, Using a connection string.\r\nrefused");
}

TEST_F(ConnectionTestTest, ASqliteFileBesideTheDefinitionConnects) {
  workspace.definition.definitionFilePath = file("report.kvd");
  makeSqliteDatabase(file("sales.db"));
  workspace.definition.dataSourceCount = 2;
  workspace.definition.dataSources[0] = {"sales", "", "", "Driver=SQLite3;Database=sales.db"};
  workspace.definition.dataSources[1] = {"missing", "", "",
                                         "Driver=SQLite3;Database=no-such-folder/none.db"};
  FrmConfiguration &config = open();
  config.selectDataSource(0);
  button("cmdTestDS")->click();
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].icon, QMessageBox::NoIcon);
  EXPECT_EQ(prompts.messages[0].title, "Brevant");
  EXPECT_EQ(lastMessage(),
            "Connect to database successfully.\r\nDSN=sales, Using a connection string.");
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  config.selectDataSource(1);
  button("cmdTestDS")->click();
  EXPECT_TRUE(lastMessage().startsWith("Error!\r\nError Info: Failed to connect to data source.\r\n"
                                       "DSN=missing, Using a connection string.\r\n"))
      << lastMessage().toStdString();
  EXPECT_EQ(prompts.messages.back().icon, QMessageBox::Warning);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(ConnectionTestTest, ThePostgresServerAnswersTheEditorsTest) {
  const char *dsn = std::getenv("BREVANT_PG_DSN");
  if (dsn == nullptr)
    GTEST_SKIP() << "no PostgreSQL server started (scripts/test starts one)";
  const std::string user = std::getenv("BREVANT_PG_USER");
  const std::string password = std::getenv("BREVANT_PG_PASSWORD");
  open();
  FrmDataSource &form = dialog->dataSourceEditor();
  form.refill(RowEditorMode::NewRow);
  form.nameBox()->setText(dsn);
  form.userBox()->setText(QString::fromStdString(user));
  form.passwordBox()->setText(QString::fromStdString(password));
  form.testConnection();
  EXPECT_EQ(lastMessage(), QString::fromStdString("Connect to database successfully.\r\nDSN=" +
                                                  std::string(dsn) + "\uFF0C USER=" + user));

  form.passwordBox()->setText("wrong;password");
  form.testConnection();
  EXPECT_TRUE(lastMessage().startsWith(QString::fromStdString(
      "Error!\r\nError Info: Failed to connect to data source.\r\nDSN=" + std::string(dsn) +
      "\uFF0C USER=" + user + "\r\n")))
      << lastMessage().toStdString();
  EXPECT_TRUE(lastMessage().contains("password authentication failed"))
      << lastMessage().toStdString();

  form.connectionStringKind()->click();
  form.connectionStringBox()->setText(std::getenv("BREVANT_PG_CONNSTR"));
  form.testConnection();
  EXPECT_EQ(lastMessage(),
            QString::fromStdString("Connect to database successfully.\r\nDSN=" + std::string(dsn) +
                                   ", Using a connection string."));
  // A test is no change of the row.
  EXPECT_TRUE(dialog->dataSourceRows().empty());
}

} // namespace
} // namespace brevant
