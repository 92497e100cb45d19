#pragma once
// Cancels a running ODBC statement after a time-out, for drivers that do not keep the query
// time-out they are given (MariaDB Connector/ODBC answers SQL_ATTR_QUERY_TIMEOUT with "option
// value changed" and runs without limit). SQLCancel from a second thread is the way ODBC
// offers to stop a statement that is executing.

#include <sql.h>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace brevant {

class OdbcStatementWatchdog {
public:
  OdbcStatementWatchdog(SQLHSTMT stmt, int seconds);
  // Stops the watch; the statement is no longer cancelled after this returns.
  ~OdbcStatementWatchdog();
  OdbcStatementWatchdog(const OdbcStatementWatchdog &) = delete;
  OdbcStatementWatchdog &operator=(const OdbcStatementWatchdog &) = delete;

  // True when the time ran out and the statement was cancelled.
  [[nodiscard]] bool fired() const;

private:
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  bool done_ = false;
  bool fired_ = false;
  std::thread thread_;
};

// Sets the statement's query time-out (0: none; negative: the driver's default) and, when the
// driver does not keep it, returns true: the caller then watches the statement itself.
[[nodiscard]] bool setQueryTimeoutNeedsWatchdog(SQLHSTMT stmt, int seconds);

} // namespace brevant
