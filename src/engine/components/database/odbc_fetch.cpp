#include "engine/components/database/odbc_fetch.h"

#include "base/codepage.h"
#include "engine/components/database/database_error.h"
#include "engine/components/database/iso_datetime.h"
#include "engine/components/database/odbc_diagnostics.h"

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <cstring>
#include <vector>

namespace brevant {

namespace {

enum class Retrieval { Bit, Integer, Double, Decimal, Text, Binary, Date, Time, Timestamp };

struct ColumnPlan {
  Retrieval retrieval = Retrieval::Text;
  SQLULEN size = 0; // the driver's column size: characters for text, bytes for binary
};

void check(SQLRETURN rc, SQLHSTMT stmt, const char *operation) {
  checkOdbc(rc, SQL_HANDLE_STMT, stmt, operation);
}

ColumnPlan planFor(SQLSMALLINT sqlType, SQLULEN size, bool &isLong) {
  isLong = false;
  switch (sqlType) {
  case SQL_BIT:
    return {Retrieval::Bit, size};
  case SQL_TINYINT:
  case SQL_SMALLINT:
  case SQL_INTEGER:
  case SQL_BIGINT:
    return {Retrieval::Integer, size};
  case SQL_REAL:
  case SQL_FLOAT:
  case SQL_DOUBLE:
    return {Retrieval::Double, size};
  case SQL_DECIMAL:
  case SQL_NUMERIC:
    return {Retrieval::Decimal, size};
  case SQL_TYPE_DATE:
  case SQL_DATE:
    return {Retrieval::Date, size};
  case SQL_TYPE_TIME:
  case SQL_TIME:
    return {Retrieval::Time, size};
  case SQL_TYPE_TIMESTAMP:
  case SQL_TIMESTAMP:
    return {Retrieval::Timestamp, size};
  case SQL_LONGVARBINARY:
    isLong = true;
    return {Retrieval::Binary, size};
  case SQL_BINARY:
  case SQL_VARBINARY:
    return {Retrieval::Binary, size};
  case SQL_LONGVARCHAR:
  case SQL_WLONGVARCHAR:
    isLong = true;
    return {Retrieval::Text, size};
  default:
    // Character types, GUIDs, intervals and types of the driver's own: as text.
    return {Retrieval::Text, size};
  }
}

// Dates before this year are no dates to a worksheet (its 1900 date system starts there).
constexpr int kFirstSheetYear = 1900;

// Reads one column of the current row with SQLGetData, piece by piece where needed.
class CellReader {
public:
  explicit CellReader(SQLHSTMT stmt) : stmt_(stmt), wideBuffer_(8192), byteBuffer_(65536) {}

  void read(SQLUSMALLINT column, const ColumnPlan &plan, ResultColumn &out) {
    switch (plan.retrieval) {
    case Retrieval::Bit: {
      unsigned char value = 0;
      if (fixed(column, SQL_C_BIT, &value, sizeof value))
        out.appendBool(value != 0);
      else
        out.appendNull();
      return;
    }
    case Retrieval::Integer: {
      SQLBIGINT value = 0;
      if (fixed(column, SQL_C_SBIGINT, &value, sizeof value))
        out.appendInteger(value);
      else
        out.appendNull();
      return;
    }
    case Retrieval::Double: {
      double value = 0;
      if (fixed(column, SQL_C_DOUBLE, &value, sizeof value))
        out.appendDouble(value);
      else
        out.appendNull();
      return;
    }
    case Retrieval::Date:
    case Retrieval::Timestamp:
      // As text, which ODBC gives as "yyyy-mm-dd[ hh:mm:ss[.f]]": a value the date structure
      // cannot carry (PostgreSQL's infinity, a year before Christ or after 9999, MariaDB's zero
      // dates) then keeps its exact text instead of becoming whatever the driver puts in the
      // structure. So does a date before the first year a worksheet holds, time and fraction
      // included.
      if (!wideText(column))
        out.appendNull();
      else if (auto value = parseIsoDateTime(utf8_); !value || value->date.year < kFirstSheetYear)
        out.appendText(utf8_);
      else if (plan.retrieval == Retrieval::Date)
        out.appendDate(value->date);
      else
        out.appendDateTime(*value);
      return;
    case Retrieval::Time:
      // As text, so that fractions of a second survive (SQL_TIME_STRUCT has none).
      if (!wideText(column))
        out.appendNull();
      else if (auto time = parseIsoTime(utf8_))
        out.appendTime(*time);
      else
        out.appendText(utf8_);
      return;
    case Retrieval::Decimal:
      if (wideText(column))
        out.appendDecimal(utf8_);
      else
        out.appendNull();
      return;
    case Retrieval::Text:
      if (wideText(column))
        out.appendText(utf8_);
      else
        out.appendNull();
      return;
    case Retrieval::Binary:
      binary(column, out);
      return;
    }
  }

private:
  bool fixed(SQLUSMALLINT column, SQLSMALLINT cType, void *target, SQLLEN size) {
    SQLLEN indicator = 0;
    check(SQLGetData(stmt_, column, cType, target, size, &indicator), stmt_, "Reading a field");
    return indicator != SQL_NULL_DATA;
  }

  // The whole text of the column in utf8_; false for Null.
  bool wideText(SQLUSMALLINT column) {
    wide_.clear();
    const SQLLEN bufferBytes = static_cast<SQLLEN>(wideBuffer_.size() * sizeof(SQLWCHAR));
    for (;;) {
      SQLLEN indicator = 0;
      SQLRETURN rc =
          SQLGetData(stmt_, column, SQL_C_WCHAR, wideBuffer_.data(), bufferBytes, &indicator);
      if (rc == SQL_NO_DATA)
        break;
      check(rc, stmt_, "Reading a field");
      if (indicator == SQL_NULL_DATA)
        return false;
      // A full buffer (less its terminator) when more is to come, else exactly what is left.
      SQLLEN bytes = (indicator == SQL_NO_TOTAL || indicator >= bufferBytes)
                         ? bufferBytes - static_cast<SQLLEN>(sizeof(SQLWCHAR))
                         : indicator;
      wide_.append(reinterpret_cast<const char16_t *>(wideBuffer_.data()),
                   static_cast<size_t>(bytes) / sizeof(SQLWCHAR));
      if (rc == SQL_SUCCESS)
        break;
    }
    utf8_.clear();
    appendUtf16AsUtf8(wide_, utf8_);
    return true;
  }

  void binary(SQLUSMALLINT column, ResultColumn &out) {
    bool started = false;
    const SQLLEN bufferBytes = static_cast<SQLLEN>(byteBuffer_.size());
    for (;;) {
      SQLLEN indicator = 0;
      SQLRETURN rc =
          SQLGetData(stmt_, column, SQL_C_BINARY, byteBuffer_.data(), bufferBytes, &indicator);
      if (rc == SQL_NO_DATA)
        break;
      check(rc, stmt_, "Reading a field");
      if (indicator == SQL_NULL_DATA) {
        out.appendNull();
        return;
      }
      if (!started) {
        out.beginBytes(CellKind::Binary);
        started = true;
      }
      SQLLEN bytes =
          (indicator == SQL_NO_TOTAL || indicator > bufferBytes) ? bufferBytes : indicator;
      out.appendBytes(std::string_view(byteBuffer_.data(), static_cast<size_t>(bytes)));
      if (rc == SQL_SUCCESS)
        break;
    }
    if (!started)
      out.beginBytes(CellKind::Binary);
    out.finishBytes();
  }

  SQLHSTMT stmt_;
  std::vector<SQLWCHAR> wideBuffer_;
  std::vector<char> byteBuffer_;
  std::u16string wide_;
  std::string utf8_;
};

} // namespace

ResultTable fetchOdbcResult(void *statement) {
  SQLHSTMT stmt = statement;
  SQLSMALLINT columnCount = 0;
  check(SQLNumResultCols(stmt, &columnCount), stmt, "Describing the result");

  ResultTable table;
  table.columns.resize(static_cast<size_t>(columnCount));
  std::vector<ColumnPlan> plans(static_cast<size_t>(columnCount));
  for (SQLUSMALLINT i = 1; i <= static_cast<SQLUSMALLINT>(columnCount); ++i) {
    std::vector<SQLWCHAR> name(256);
    SQLSMALLINT nameLength = 0, sqlType = 0, digits = 0, nullable = 0;
    SQLULEN size = 0;
    check(SQLDescribeColW(stmt, i, name.data(), static_cast<SQLSMALLINT>(name.size()), &nameLength,
                          &sqlType, &size, &digits, &nullable),
          stmt, "Describing the result");
    if (nameLength >= static_cast<SQLSMALLINT>(name.size())) {
      name.resize(static_cast<size_t>(nameLength) + 1);
      check(SQLDescribeColW(stmt, i, name.data(), static_cast<SQLSMALLINT>(name.size()),
                            &nameLength, &sqlType, &size, &digits, &nullable),
            stmt, "Describing the result");
    }
    ResultColumn &column = table.columns[i - 1];
    column.name = utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t *>(name.data()),
                                                  static_cast<size_t>(nameLength)));
    plans[i - 1] = planFor(sqlType, size, column.isLong);
  }

  CellReader reader(stmt);
  for (;;) {
    SQLRETURN rc = SQLFetch(stmt);
    if (rc == SQL_NO_DATA)
      break;
    check(rc, stmt, "Fetching a row");
    for (SQLUSMALLINT i = 1; i <= static_cast<SQLUSMALLINT>(columnCount); ++i)
      reader.read(i, plans[i - 1], table.columns[i - 1]);
    ++table.rowCount;
  }
  return table;
}

} // namespace brevant
