#pragma once
// Fixture helpers of the database tests: a private temporary folder, SQLite files built with
// the SQLite library itself, and the PostgreSQL server that tests/support/start-postgres.sh
// starts (tests that need it skip when its variables are absent).

#include "engine/components/database/connection.h"
#include "engine/components/database/recordset.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace brevant::test {

class TempFolder {
public:
  TempFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "brevant-database-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path &path() const { return path_; }
  std::string file(const std::string &name) const { return (path_ / name).string(); }

private:
  std::filesystem::path path_;
};

// Runs `sql` on a new or existing SQLite file; fails the test on an error.
inline void sqliteExec(const std::string &path, const std::string &sql) {
  sqlite3 *db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  char *error = nullptr;
  int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
  std::string message = error ? error : "";
  sqlite3_free(error);
  sqlite3_close(db);
  ASSERT_EQ(rc, SQLITE_OK) << message;
}

inline std::string env(const char *name) {
  const char *value = std::getenv(name);
  return value ? value : "";
}

inline bool havePostgres() { return !env("BREVANT_PG_DSN").empty(); }

#define BREVANT_REQUIRE_POSTGRES()                                                                 \
  do {                                                                                             \
    if (!::brevant::test::havePostgres())                                                          \
      GTEST_SKIP() << "no PostgreSQL server (source tests/support/start-postgres.sh)";             \
  } while (0)

// The message of the DatabaseError that `action` throws; fails when it throws none.
template <typename Action> std::string errorOf(Action action) {
  try {
    action();
  } catch (const std::exception &e) {
    return e.what();
  }
  ADD_FAILURE() << "no error was raised";
  return {};
}

// Every record of field 0 after a counting pass and MoveFirst, the way a fill reads it.
inline int countRecords(Recordset &rs) {
  int count = 0;
  while (!rs.Eof()) {
    ++count;
    rs.MoveNext();
  }
  if (count > 0)
    rs.MoveFirst();
  return count;
}

// What a fill writes for a field: long fields read with GetChunk(16384) until an empty piece.
inline std::string readLong(Field &field) {
  std::string all;
  for (;;) {
    Variant piece = field.GetChunk(kChunkSize);
    if (isNull(piece))
      break;
    if (auto *text = std::get_if<std::string>(&piece)) {
      if (text->empty())
        break;
      all += *text;
    } else if (auto *bytes = std::get_if<BinaryValue>(&piece)) {
      if (bytes->bytes.empty())
        break;
      all += bytes->bytes;
    } else {
      ADD_FAILURE() << "GetChunk returned neither text nor binary";
      break;
    }
  }
  return all;
}

// Bytes 0..255 repeated up to `size`.
inline std::string binaryPattern(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i)
    bytes[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
  return bytes;
}

} // namespace brevant::test
