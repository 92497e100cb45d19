#pragma once
// The configuration dialog's connection test: opens one data source the way a run opens it and
// tells the user whether that worked.

#include "settings/app_settings.h"

#include <string>

class QWidget;

namespace brevant {

// What the user typed for one data source. A non-empty connection string makes it a
// connection-string data source; otherwise `name` is an ODBC data source name.
struct DataSourceLogin {
  std::string name;
  std::string user;
  std::string password;
  std::string connectionString;
};

// "DSN=<name>" followed by ", Using a connection string." or, for a data source name with a
// user, by a full-width comma, a blank and "USER=<user>".
std::string dataSourceCaption(const DataSourceLogin &login);
// The two messages of the test.
std::string connectionTestSuccessText(const DataSourceLogin &login);
std::string connectionTestFailureText(const DataSourceLogin &login, const std::string &error);

// Opens and closes a connection with the program's time-outs; a relative SQLite database is
// taken against `baseFolder` (the definition's folder). Throws with the database's own message.
void openTestConnection(const DataSourceLogin &login, const AppSettings &settings,
                        const std::string &baseFolder);

// The whole test with its messages and the wait cursor; never throws.
void TestDataSource(const DataSourceLogin &login, const AppSettings &settings,
                    const std::string &baseFolder, QWidget *parent);

} // namespace brevant
