#include "workspace/frm_login.h"

#include "engine/components/database/connection.h"
#include "engine/components/database/database_constants.h"
#include "workspace_fixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace brevant {
namespace {

// A private ODBC configuration with one SQLite data source name, for the length of a test.
class PrivateOdbc {
public:
  explicit PrivateOdbc(const testing::TempFolder &folder) {
    for (const char *name : {"ODBCSYSINI", "ODBCINI"}) {
      const char *value = std::getenv(name);
      saved_.emplace_back(name,
                          value != nullptr ? std::optional<std::string>(value) : std::nullopt);
    }
    testing::writeBytes(folder.file("odbcinst.ini"),
                        "[SQLite3]\nDriver=/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so\n");
    testing::writeBytes(folder.file("odbc.ini"),
                        "[ReportDb]\nDriver=SQLite3\nDatabase=" + folder.file("report.db") + "\n");
    ::setenv("ODBCSYSINI", folder.path().c_str(), 1);
    ::setenv("ODBCINI", folder.file("odbc.ini").c_str(), 1);
  }
  ~PrivateOdbc() {
    for (const auto &[name, value] : saved_)
      value ? ::setenv(name.c_str(), value->c_str(), 1) : ::unsetenv(name.c_str());
  }

private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST(LoginMessage, NamesTheUserOnlyWhenOneWasGiven) {
  EXPECT_EQ(loginFailureText("sales", "ann", "no such DSN"),
            "Failed to connect to data source.\r\nDSN=sales\xEF\xBC\x8C USER=ann\r\nno such DSN");
  EXPECT_EQ(loginFailureText("sales", "", "no such DSN"),
            "Failed to connect to data source.\r\nDSN=sales\r\nno such DSN");
}

class LoginDialogTest : public testing::WorkspaceTest {};

TEST_F(LoginDialogTest, AFailedLoginCanBeRetriedAndASuccessfulOneForgetsThePassword) {
  if (!std::filesystem::exists("/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so"))
    GTEST_SKIP() << "the SQLite ODBC driver (libsqliteodbc) is not installed";
  PrivateOdbc odbc(folder);
  workspace.definition.dataSourceCount = 2;
  workspace.definition.dataSources[1] = {"NoSuchDsn", "ann", "stored secret", ""};
  Connection connection;

  FrmLogin dialog(workspace, 1, connection);
  dialog.show();
  auto *name = dialog.findChild<QLineEdit *>("txtDSName");
  auto *user = dialog.findChild<QLineEdit *>("txtDSUser");
  auto *password = dialog.findChild<QLineEdit *>("txtDSPassword");
  EXPECT_EQ(name->text(), "NoSuchDsn");
  EXPECT_EQ(user->text(), "ann");
  EXPECT_TRUE(password->text().isEmpty());
  EXPECT_EQ(password->echoMode(), QLineEdit::Password);

  QTest::keyClicks(password, "wrong");
  dialog.findChild<QPushButton *>("cmdOK")->click();
  ASSERT_EQ(prompts.messages.size(), 1u);
  const QString shown = prompts.messages[0].text;
  EXPECT_TRUE(shown.startsWith("Error!\r\nError Info: Failed to connect to data source.\r\n"
                               "DSN=NoSuchDsn\uFF0C USER=ann\r\n"))
      << shown.toStdString();
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_TRUE(password->text().isEmpty());
  EXPECT_EQ(connection.State(), adStateClosed);

  name->setText("ReportDb");
  QTest::keyClicks(password, "any");
  dialog.findChild<QPushButton *>("cmdOK")->click();
  EXPECT_EQ(prompts.messages.size(), 1u);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(connection.State(), adStateOpen);
  const DataSource &source = workspace.definition.dataSources[1];
  EXPECT_EQ(source.Name, "ReportDb");
  EXPECT_EQ(source.User, "ann");
  EXPECT_EQ(source.Password, "");
}

TEST_F(LoginDialogTest, CancelLeavesTheSlotAndTheConnectionAlone) {
  workspace.definition.dataSources[0] = {"sales", "ann", "secret", ""};
  Connection connection;
  FrmLogin dialog(workspace, 0, connection);
  dialog.show();
  dialog.findChild<QLineEdit *>("txtDSUser")->setText("bob");
  QTest::keyClick(&dialog, Qt::Key_Escape);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(connection.State(), adStateClosed);
  EXPECT_EQ(workspace.definition.dataSources[0].User, "ann");
  EXPECT_EQ(workspace.definition.dataSources[0].Password, "secret");
}

} // namespace
} // namespace brevant
