#pragma once
// SQLite files for a test, made with the SQLite library itself.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>

namespace brevant::testing {

// Runs `sql` on a new or existing SQLite file; fails the test on an error.
inline void sqliteExec(const std::string &path, const std::string &sql) {
  sqlite3 *db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  char *error = nullptr;
  const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
  const std::string message = error != nullptr ? error : "";
  sqlite3_free(error);
  sqlite3_close(db);
  ASSERT_EQ(rc, SQLITE_OK) << message;
}

} // namespace brevant::testing
