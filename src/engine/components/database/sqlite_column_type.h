#pragma once
// How a value of an SQLite column is handed out, decided by the column's declared type the way
// the SQLite ODBC driver decides it, so that a report reads the same through either.

#include <string_view>

namespace brevant {

enum class SqliteColumnClass {
  Dynamic, // no declared type (an expression): by each value's storage class
  Bool,
  Integer,
  Double,
  Decimal,
  Text,
  Binary,
  Date,
  Time,
  DateTime,
};

struct SqliteColumnType {
  SqliteColumnClass valueClass = SqliteColumnClass::Dynamic;
  bool isLong = false; // TEXT, CLOB, MEMO, BLOB and the like
};

SqliteColumnType classifySqliteDeclaredType(std::string_view declaredType);

} // namespace brevant
