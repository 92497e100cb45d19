#pragma once
// A connection to one database: the embedded SQLite or any ODBC data source (see
// connection_string.h for how the connection string picks one). Errors throw DatabaseError
// with the database's own message.

#include "engine/components/database/database_backend.h"
#include "engine/components/database/database_constants.h"

#include <memory>
#include <string>

namespace brevant {

class Connection {
public:
  Connection() = default;
  Connection(const Connection &) = delete;
  Connection &operator=(const Connection &) = delete;
  ~Connection();

  // Either an ODBC or SQLite connection string, or "User ID=...;Password=...;Data Source=<DSN>".
  std::string ConnectionString;
  // Seconds; 0 waits without limit. Set before Open (ConnectionTimeout) or before a statement
  // (CommandTimeout). The defaults are the usual ones of database clients.
  int ConnectionTimeout = 15;
  int CommandTimeout = 30;
  // Every record set is client-side whatever this says; kept for callers that set it.
  int CursorLocation = adUseClient;
  // The folder a relative SQLite database path is resolved against (the definition's folder).
  std::string BaseFolder;

  // A non-empty `connectionString` replaces ConnectionString; a non-empty `userId` (with
  // `password`) replaces the login the string carries. Throws when already open.
  void Open(const std::string &connectionString = {}, const std::string &userId = {},
            const std::string &password = {});
  int State() const { return backend_ ? adStateOpen : adStateClosed; }
  // Runs a statement (or, on SQLite, several separated by ';'); returned rows are discarded.
  void Execute(const std::string &commandText);
  void Close();

  // The whole result of a query; used by Recordset::Open.
  ResultTable query(const std::string &sql);

private:
  DatabaseBackend &backend();
  std::unique_ptr<DatabaseBackend> backend_;
};

} // namespace brevant
