#include "engine/components/database/sqlite_backend.h"

#include "engine/components/database/database_error.h"
#include "engine/components/database/iso_datetime.h"
#include "engine/components/database/sqlite_column_type.h"

#include <sqlite3.h>

#include <charconv>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <optional>
#include <vector>

namespace brevant {

// How long a statement waits for another program's lock when no command time-out is set.
constexpr int kUnboundedLockWaitMs = 60 * 1000;

namespace {

using Clock = std::chrono::steady_clock;

struct Deadline {
  bool active = false;
  bool expired = false;
  Clock::time_point at;
};

// Called by SQLite every few thousand virtual machine steps; a non-zero result interrupts the
// statement.
int checkDeadline(void *context) {
  auto *deadline = static_cast<Deadline *>(context);
  if (deadline->active && Clock::now() >= deadline->at) {
    deadline->expired = true;
    return 1;
  }
  return 0;
}

class Statement {
public:
  ~Statement() { sqlite3_finalize(stmt); }
  sqlite3_stmt *stmt = nullptr;
};

std::string_view columnText(sqlite3_stmt *stmt, int i) {
  const unsigned char *text = sqlite3_column_text(stmt, i);
  return std::string_view(reinterpret_cast<const char *>(text),
                          static_cast<size_t>(sqlite3_column_bytes(stmt, i)));
}

std::string_view columnBlob(sqlite3_stmt *stmt, int i) {
  const void *blob = sqlite3_column_blob(stmt, i);
  return std::string_view(static_cast<const char *>(blob),
                          static_cast<size_t>(sqlite3_column_bytes(stmt, i)));
}

std::optional<int64_t> parseWholeInteger(std::string_view text) {
  while (!text.empty() && text.front() == ' ')
    text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ')
    text.remove_suffix(1);
  if (!text.empty() && text.front() == '+')
    text.remove_prefix(1);
  int64_t value{};
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty())
    return std::nullopt;
  return value;
}

std::optional<double> parseWholeDouble(std::string_view text) {
  while (!text.empty() && text.front() == ' ')
    text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ')
    text.remove_suffix(1);
  if (!text.empty() && text.front() == '+')
    text.remove_prefix(1);
  double value{};
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty())
    return std::nullopt;
  return value;
}

// The storage class decides, as for an expression column.
void appendDynamic(ResultColumn &column, sqlite3_stmt *stmt, int i, int storage) {
  switch (storage) {
  case SQLITE_INTEGER:
    column.appendInteger(sqlite3_column_int64(stmt, i));
    break;
  case SQLITE_FLOAT:
    column.appendDouble(sqlite3_column_double(stmt, i));
    break;
  case SQLITE_BLOB:
    column.appendBinary(columnBlob(stmt, i));
    break;
  default:
    column.appendText(columnText(stmt, i));
    break;
  }
}

// One value converted to its column's class. A value that does not fit the class (text that
// is no date in a DATE column, say) keeps its stored form rather than being lost.
void appendValue(ResultColumn &column, SqliteColumnClass valueClass, sqlite3_stmt *stmt, int i) {
  int storage = sqlite3_column_type(stmt, i);
  if (storage == SQLITE_NULL) {
    column.appendNull();
    return;
  }
  using C = SqliteColumnClass;
  switch (valueClass) {
  case C::Dynamic:
    break;
  case C::Bool:
    if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT) {
      column.appendBool(sqlite3_column_double(stmt, i) != 0);
      return;
    }
    if (storage == SQLITE_TEXT) {
      std::string_view text = columnText(stmt, i);
      if (text == "true" || text == "TRUE" || text == "True") {
        column.appendBool(true);
        return;
      }
      if (text == "false" || text == "FALSE" || text == "False") {
        column.appendBool(false);
        return;
      }
      if (const auto number = parseWholeInteger(text)) {
        column.appendBool(*number != 0);
        return;
      }
    }
    break;
  case C::Integer:
    if (storage == SQLITE_INTEGER) {
      column.appendInteger(sqlite3_column_int64(stmt, i));
      return;
    }
    if (storage == SQLITE_TEXT) {
      if (const auto number = parseWholeInteger(columnText(stmt, i))) {
        column.appendInteger(*number);
        return;
      }
    }
    break;
  case C::Double:
    if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT) {
      column.appendDouble(sqlite3_column_double(stmt, i));
      return;
    }
    if (storage == SQLITE_TEXT) {
      if (const auto number = parseWholeDouble(columnText(stmt, i))) {
        column.appendDouble(*number);
        return;
      }
    }
    break;
  case C::Decimal:
    if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT) {
      column.appendDecimal(columnText(stmt, i));
      return;
    }
    if (storage == SQLITE_TEXT) {
      std::string_view text = columnText(stmt, i);
      if (parseWholeDouble(text).has_value()) {
        column.appendDecimal(text);
        return;
      }
    }
    break;
  case C::Text:
    if (storage != SQLITE_BLOB) {
      column.appendText(columnText(stmt, i));
      return;
    }
    break;
  case C::Binary:
    column.appendBinary(storage == SQLITE_BLOB ? columnBlob(stmt, i) : columnText(stmt, i));
    return;
  case C::Date:
    if (storage == SQLITE_TEXT) {
      if (auto value = parseIsoDate(columnText(stmt, i))) {
        column.appendDate(*value);
        return;
      }
    }
    break;
  case C::Time:
    if (storage == SQLITE_TEXT) {
      if (auto value = parseIsoTime(columnText(stmt, i))) {
        column.appendTime(*value);
        return;
      }
    }
    break;
  case C::DateTime:
    if (storage == SQLITE_TEXT) {
      if (auto value = parseIsoDateTime(columnText(stmt, i))) {
        column.appendDateTime(*value);
        return;
      }
    }
    break;
  }
  appendDynamic(column, stmt, i, storage);
}

bool onlyBlanksAndComments(const char *text) {
  // sqlite3_prepare_v2 leaves a null statement for these; the caller just stops.
  return text == nullptr || *text == '\0';
}

} // namespace

SqliteBackend::SqliteBackend(const std::string &path, int commandTimeout) : path_(path) {
  // A connection is used by one thread at a time (the run's), so SQLite need not lock it around
  // every call: a million rows read ten values each made twenty million lock pairs.
  int rc = sqlite3_open_v2(path.c_str(), &db_,
                           SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    std::string message = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
    sqlite3_close(db_);
    db_ = nullptr;
    throw DatabaseError(message + ": " + path);
  }
  sqlite3_extended_result_codes(db_, 0);
  // A file that is not a database opens fine and fails at the first read: find out now. A
  // lock held by another writer is no reason to fail here, so this check does not wait.
  rc = sqlite3_exec(db_, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK && rc != SQLITE_BUSY && rc != SQLITE_LOCKED) {
    std::string message = sqlite3_errmsg(db_);
    sqlite3_close(db_);
    db_ = nullptr;
    throw DatabaseError(message + ": " + path);
  }
  // Without a command time-out a statement may run as long as it needs, but waiting for a lock
  // that another program holds is bounded: a scheduled run must not hang on it for ever.
  if (commandTimeout > 0)
    sqlite3_busy_timeout(db_, commandTimeout > INT_MAX / 1000 ? INT_MAX : commandTimeout * 1000);
  else if (commandTimeout == 0)
    sqlite3_busy_timeout(db_, kUnboundedLockWaitMs);
}

SqliteBackend::~SqliteBackend() { close(); }

void SqliteBackend::close() {
  if (db_) {
    sqlite3_close_v2(db_);
    db_ = nullptr;
  }
}

void SqliteBackend::execute(const std::string &sql, int commandTimeout) {
  run(sql, commandTimeout, nullptr);
}

ResultTable SqliteBackend::query(const std::string &sql, int commandTimeout) {
  ResultTable result;
  run(sql, commandTimeout, &result);
  return result;
}

// Runs every statement of `sql` in turn. When `result` is given, the first statement that
// returns columns fills it; the rows of any other statement are discarded.
void SqliteBackend::run(const std::string &sql, int commandTimeout, ResultTable *result) {
  if (!db_)
    throw DatabaseError("The connection is closed.");
  Deadline deadline;
  if (commandTimeout > 0) {
    deadline.active = true;
    deadline.at = Clock::now() + std::chrono::seconds(commandTimeout);
    sqlite3_progress_handler(db_, 1000, checkDeadline, &deadline);
  }
  struct ClearHandler {
    sqlite3 *db;
    ~ClearHandler() { sqlite3_progress_handler(db, 0, nullptr, nullptr); }
  } clearHandler{db_};

  auto fail = [&]() {
    std::string message = sqlite3_errmsg(db_);
    if (deadline.expired)
      message =
          "Query timeout expired (" + std::to_string(commandTimeout) + " seconds): " + message;
    throw DatabaseError(message);
  };

  bool resultFilled = false;
  const char *next = sql.c_str();
  while (!onlyBlanksAndComments(next)) {
    Statement statement;
    const char *tail = nullptr;
    if (sqlite3_prepare_v2(db_, next, -1, &statement.stmt, &tail) != SQLITE_OK)
      fail();
    next = tail;
    if (!statement.stmt)
      continue; // blanks or a comment
    sqlite3_stmt *stmt = statement.stmt;
    int columnCount = sqlite3_column_count(stmt);
    bool collect = result && !resultFilled && columnCount > 0;
    std::vector<SqliteColumnClass> classes;
    if (collect) {
      resultFilled = true;
      result->columns.resize(static_cast<size_t>(columnCount));
      for (int i = 0; i < columnCount; ++i) {
        const char *name = sqlite3_column_name(stmt, i);
        const char *declared = sqlite3_column_decltype(stmt, i);
        SqliteColumnType type = classifySqliteDeclaredType(declared ? declared : "");
        result->columns[static_cast<size_t>(i)].name = name ? name : "";
        result->columns[static_cast<size_t>(i)].isLong = type.isLong;
        classes.push_back(type.valueClass);
      }
    }
    for (;;) {
      int rc = sqlite3_step(stmt);
      if (rc == SQLITE_DONE)
        break;
      if (rc != SQLITE_ROW)
        fail();
      if (!collect)
        continue;
      for (int i = 0; i < columnCount; ++i)
        appendValue(result->columns[static_cast<size_t>(i)], classes[static_cast<size_t>(i)], stmt,
                    i);
      ++result->rowCount;
    }
  }
}

} // namespace brevant
