#pragma once
// Fixture helpers of the database tests: the PostgreSQL server that
// tests/support/start-postgres.sh starts (tests that need it skip when its variables are absent)
// and reading record sets the way a fill reads them.

#include "engine/components/database/connection.h"
#include "engine/components/database/recordset.h"

#include "support/sqlite_file.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

namespace brevant::test {

using ::brevant::testing::sqliteExec;
using ::brevant::testing::TempFolder;

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
