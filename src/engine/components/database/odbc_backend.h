#pragma once
// The back end for every database reached through the unixODBC driver manager: data source
// names and full ODBC connection strings. Uses the wide (UTF-16) entry points throughout, so
// text arrives as UTF-8 whatever the process locale.

#include "engine/components/database/database_backend.h"

#include <string>

namespace brevant {

class OdbcBackend : public DatabaseBackend {
public:
  // loginTimeout: seconds, 0 = no limit, negative = the driver's default.
  OdbcBackend(const std::string &odbcConnectionString, int loginTimeout);
  ~OdbcBackend() override;

  void execute(const std::string &sql, int commandTimeout) override;
  ResultTable query(const std::string &sql, int commandTimeout) override;
  void close() override;

private:
  void *dbc_ = nullptr; // SQLHDBC
};

} // namespace brevant
