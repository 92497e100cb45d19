#include "engine/components/database/odbc_backend.h"

#include "base/codepage.h"
#include "engine/components/database/database_error.h"
#include "engine/components/database/odbc_diagnostics.h"
#include "engine/components/database/odbc_fetch.h"
#include "engine/components/database/odbc_statement_watchdog.h"

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <optional>
#include <string>
#include <vector>

namespace brevant {

namespace {

// One environment for the process, made on first use and kept to the end.
SQLHENV environment() {
  static SQLHENV env = [] {
    SQLHENV handle = SQL_NULL_HENV;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &handle)))
      return SQLHENV{SQL_NULL_HENV};
    SQLSetEnvAttr(handle, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    return handle;
  }();
  if (env == SQL_NULL_HENV)
    throw DatabaseError("The ODBC driver manager could not be initialised.");
  return env;
}

std::vector<SQLWCHAR> wide(const std::string &text) {
  std::u16string u = utf8ToUtf16(text);
  std::vector<SQLWCHAR> out(u.begin(), u.end());
  out.push_back(0);
  return out;
}

// A statement handle freed on every path.
class StatementHandle {
public:
  explicit StatementHandle(SQLHDBC dbc) {
    checkOdbc(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt_), SQL_HANDLE_DBC, dbc,
              "Allocating a statement");
  }
  ~StatementHandle() { SQLFreeHandle(SQL_HANDLE_STMT, stmt_); }
  StatementHandle(const StatementHandle &) = delete;
  StatementHandle &operator=(const StatementHandle &) = delete;
  SQLHSTMT get() const { return stmt_; }

private:
  SQLHSTMT stmt_ = SQL_NULL_HSTMT;
};

void check(SQLRETURN rc, SQLHSTMT stmt, const char *operation, bool noDataIsSuccess = false) {
  checkOdbc(rc, SQL_HANDLE_STMT, stmt, operation, noDataIsSuccess);
}

void runStatement(SQLHDBC dbc, SQLHSTMT stmt, const std::string &sql, int commandTimeout) {
  (void)dbc;
  std::optional<OdbcStatementWatchdog> watchdog;
  if (setQueryTimeoutNeedsWatchdog(stmt, commandTimeout))
    watchdog.emplace(stmt, commandTimeout);
  std::vector<SQLWCHAR> text = wide(sql);
  const SQLRETURN rc = SQLExecDirectW(stmt, text.data(), SQL_NTS);
  if (watchdog && watchdog->fired() && !SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA)
    throw DatabaseError("The statement was cancelled after the command time-out of " +
                        std::to_string(commandTimeout) + " s. " +
                        odbcDiagnostics(SQL_HANDLE_STMT, stmt, ""));
  check(rc, stmt, "Executing the statement", true);
}

} // namespace

OdbcBackend::OdbcBackend(const std::string &odbcConnectionString, int loginTimeout) {
  SQLHENV env = environment();
  SQLHDBC dbc = SQL_NULL_HDBC;
  checkOdbc(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc), SQL_HANDLE_ENV, env,
            "Allocating a connection");
  if (loginTimeout >= 0)
    SQLSetConnectAttr(dbc, SQL_ATTR_LOGIN_TIMEOUT,
                      reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(loginTimeout)), 0);
  std::vector<SQLWCHAR> in = wide(odbcConnectionString);
  std::vector<SQLWCHAR> out(4096);
  SQLSMALLINT outLength = 0;
  SQLRETURN rc =
      SQLDriverConnectW(dbc, nullptr, in.data(), SQL_NTS, out.data(),
                        static_cast<SQLSMALLINT>(out.size()), &outLength, SQL_DRIVER_NOPROMPT);
  if (!SQL_SUCCEEDED(rc)) {
    std::string description =
        odbcDiagnostics(SQL_HANDLE_DBC, dbc, "The ODBC connection could not be opened.");
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    throw DatabaseError(description);
  }
  dbc_ = dbc;
}

OdbcBackend::~OdbcBackend() {
  try {
    close();
  } catch (...) {
    // A destructor must not throw; close() has freed the handle even when disconnecting failed.
  }
}

void OdbcBackend::close() {
  if (!dbc_)
    return;
  SQLHDBC dbc = dbc_;
  dbc_ = nullptr;
  SQLRETURN rc = SQLDisconnect(dbc);
  std::string description;
  if (!SQL_SUCCEEDED(rc))
    description = odbcDiagnostics(SQL_HANDLE_DBC, dbc, "Disconnecting failed.");
  SQLFreeHandle(SQL_HANDLE_DBC, dbc);
  if (!description.empty())
    throw DatabaseError(description);
}

void OdbcBackend::execute(const std::string &sql, int commandTimeout) {
  if (!dbc_)
    throw DatabaseError("The connection is closed.");
  StatementHandle statement(dbc_);
  SQLHSTMT stmt = statement.get();
  runStatement(dbc_, stmt, sql, commandTimeout);
  // Later statements of a batch may fail too; their rows are not wanted.
  for (;;) {
    SQLRETURN rc = SQLMoreResults(stmt);
    if (rc == SQL_NO_DATA)
      break;
    check(rc, stmt, "Reading the results");
  }
}

ResultTable OdbcBackend::query(const std::string &sql, int commandTimeout) {
  if (!dbc_)
    throw DatabaseError("The connection is closed.");
  StatementHandle statement(dbc_);
  SQLHSTMT stmt = statement.get();
  runStatement(dbc_, stmt, sql, commandTimeout);
  // The first result that has columns is the record set; counts of updates before it are
  // passed over.
  for (;;) {
    SQLSMALLINT columns = 0;
    check(SQLNumResultCols(stmt, &columns), stmt, "Describing the result");
    if (columns > 0)
      return fetchOdbcResult(stmt);
    SQLRETURN rc = SQLMoreResults(stmt);
    if (rc == SQL_NO_DATA)
      return ResultTable{};
    check(rc, stmt, "Reading the results");
  }
}

} // namespace brevant
