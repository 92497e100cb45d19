#include "engine/components/database/connection.h"

#include "engine/components/database/connection_string.h"
#include "engine/components/database/database_error.h"
#include "engine/components/database/odbc_backend.h"
#include "engine/components/database/sqlite_backend.h"

namespace brevant {

Connection::~Connection() {
  try {
    Close();
  } catch (...) {
    // A destructor must not throw; the backend is released even when closing it failed.
  }
}

void Connection::Open(const std::string &connectionString, const std::string &userId,
                      const std::string &password) {
  if (backend_)
    throw DatabaseError("Operation is not allowed when the object is open.");
  if (!connectionString.empty())
    ConnectionString = connectionString;
  ConnectionTarget target = resolveConnectionTarget(ConnectionString, userId, password, BaseFolder);
  if (target.kind == ConnectionTarget::Kind::Sqlite)
    backend_ = std::make_unique<SqliteBackend>(target.sqlitePath, CommandTimeout);
  else
    backend_ = std::make_unique<OdbcBackend>(target.odbcString, ConnectionTimeout);
}

DatabaseBackend &Connection::backend() {
  if (!backend_)
    throw DatabaseError("Operation is not allowed when the object is closed.");
  return *backend_;
}

void Connection::Execute(const std::string &commandText) {
  backend().execute(commandText, CommandTimeout);
}

ResultTable Connection::query(const std::string &sql) {
  return backend().query(sql, CommandTimeout);
}

void Connection::Close() {
  if (!backend_)
    return;
  std::unique_ptr<DatabaseBackend> backend = std::move(backend_);
  backend->close();
}

} // namespace brevant
