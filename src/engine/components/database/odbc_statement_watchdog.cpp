#include "engine/components/database/odbc_statement_watchdog.h"

#include <sqlext.h>

#include <chrono>

namespace brevant {

OdbcStatementWatchdog::OdbcStatementWatchdog(SQLHSTMT stmt, int seconds) {
  thread_ = std::thread([this, stmt, seconds] {
    std::unique_lock lock(mutex_);
    if (wake_.wait_for(lock, std::chrono::seconds(seconds), [this] { return done_; }))
      return;
    fired_ = true;
    SQLCancel(stmt);
  });
}

OdbcStatementWatchdog::~OdbcStatementWatchdog() {
  {
    std::lock_guard lock(mutex_);
    done_ = true;
  }
  wake_.notify_one();
  thread_.join();
}

bool OdbcStatementWatchdog::fired() const {
  std::lock_guard lock(mutex_);
  return fired_;
}

bool setQueryTimeoutNeedsWatchdog(SQLHSTMT stmt, int seconds) {
  if (seconds < 0)
    return false;
  const SQLRETURN rc = SQLSetStmtAttr(
      stmt, SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(seconds)), 0);
  if (seconds == 0)
    return false;
  SQLULEN kept = 0;
  if (!SQL_SUCCEEDED(rc) ||
      !SQL_SUCCEEDED(SQLGetStmtAttr(stmt, SQL_ATTR_QUERY_TIMEOUT, &kept, 0, nullptr)))
    return true;
  return kept != static_cast<SQLULEN>(seconds);
}

} // namespace brevant
