#pragma once
// The embedded back end: an SQLite database file opened read-write.

#include "engine/components/database/database_backend.h"

#include <memory>
#include <string>

struct sqlite3;

namespace brevant {

class SqliteBackend : public DatabaseBackend {
public:
  // The busy time-out (waiting for another writer's lock) follows the command time-out:
  // seconds, 0 = wait as long as it takes, negative = SQLite's default of not waiting.
  SqliteBackend(const std::string &path, int commandTimeout);
  ~SqliteBackend() override;

  void execute(const std::string &sql, int commandTimeout) override;
  ResultTable query(const std::string &sql, int commandTimeout) override;
  void close() override;

private:
  void run(const std::string &sql, int commandTimeout, ResultTable *result);
  sqlite3 *db_ = nullptr;
  std::string path_;
};

} // namespace brevant
