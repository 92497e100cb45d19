#include "configuration/connection_test.h"

#include "desktop/error_box.h"
#include "desktop/prompt.h"
#include "engine/components/database/connection.h"
#include "engine/data_source_connections.h"

#include <QApplication>
#include <QCursor>

namespace brevant {
namespace {

// The wait cursor for as long as the test runs, however it ends.
class WaitCursor {
public:
  WaitCursor() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor &) = delete;
  WaitCursor &operator=(const WaitCursor &) = delete;
};

} // namespace

std::string dataSourceCaption(const DataSourceLogin &login) {
  std::string text = "DSN=" + login.name;
  if (!login.connectionString.empty())
    text += ", Using a connection string.";
  else if (!login.user.empty())
    text += "\xEF\xBC\x8C USER=" + login.user; // a full-width comma, then a blank
  return text;
}

std::string connectionTestSuccessText(const DataSourceLogin &login) {
  return "Connect to database successfully.\r\n" + dataSourceCaption(login);
}

std::string connectionTestFailureText(const DataSourceLogin &login, const std::string &error) {
  return "Failed to connect to data source.\r\n" + dataSourceCaption(login) + "\r\n" + error;
}

void openTestConnection(const DataSourceLogin &login, const AppSettings &settings,
                        const std::string &baseFolder) {
  Connection connection;
  // A typed login holding ';' or braces is braced, so that it cannot add keys to the string.
  connection.ConnectionString =
      login.connectionString.empty()
          ? dataSourceLoginString({login.name, login.user, login.password, {}})
          : login.connectionString;
  if (settings.ConnectionTimeout >= 0)
    connection.ConnectionTimeout = settings.ConnectionTimeout;
  if (settings.CommandTimeout >= 0)
    connection.CommandTimeout = settings.CommandTimeout;
  connection.BaseFolder = baseFolder;
  connection.Open("", "", "");
  connection.Close();
}

void TestDataSource(const DataSourceLogin &login, const AppSettings &settings,
                    const std::string &baseFolder, QWidget *parent) {
  std::string error;
  {
    WaitCursor wait;
    try {
      openTestConnection(login, settings, baseFolder);
    } catch (const std::exception &e) {
      error = e.what();
      if (error.empty())
        error = "Unknown error.";
    } catch (...) {
      error = "Unknown error.";
    }
  }
  if (error.empty())
    prompt().message(parent, productTitle(),
                     QString::fromStdString(connectionTestSuccessText(login)), QMessageBox::NoIcon);
  else
    ShowErrorMessage(connectionTestFailureText(login, error), parent);
}

} // namespace brevant
