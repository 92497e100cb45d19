#pragma once
// A fully fetched query result, stored column by column. Each column keeps one kind byte and
// one 64-bit word per row; text, decimals, binary data and dates with sub-microsecond digits
// live in one byte arena per column (an 8-byte length, then the bytes), so a million-row result
// costs a few large allocations, never one per field.

#include "base/variant.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brevant {

enum class CellKind : uint8_t {
  Null,
  Bool,
  Integer,
  Double,
  Decimal,
  Text,
  Binary,
  Date,
  Time,
  DateTime,     // packed into the word (whole microseconds, years 0..16383)
  DateTimeWide, // stored in the arena
};

struct ResultColumn {
  std::string name;
  bool isLong = false; // long text or binary: reported with adFldLong
  std::vector<CellKind> kinds;
  std::vector<uint64_t> words;
  std::string arena;

  void appendNull();
  void appendBool(bool value);
  void appendInteger(int64_t value);
  void appendDouble(double value);
  void appendDecimal(std::string_view text);
  void appendText(std::string_view text);
  void appendBinary(std::string_view bytes);
  void appendDate(const DateValue &value);
  void appendTime(const TimeValue &value);
  void appendDateTime(const DateTimeValue &value);

  // Starts a text or binary cell whose bytes arrive in pieces (appendBytes), closed by finish.
  void beginBytes(CellKind kind);
  void appendBytes(std::string_view piece);
  void finishBytes();

  size_t size() const { return kinds.size(); }
  CellKind kind(size_t row) const { return kinds[row]; }
  Variant value(size_t row) const;
  // The bytes of a Text, Decimal or Binary cell; empty for any other kind.
  std::string_view bytes(size_t row) const;

  void reserve(size_t rows);

private:
  void appendArena(CellKind kind, std::string_view bytes);
  size_t pendingStart_ = 0;
};

struct ResultTable {
  std::vector<ResultColumn> columns;
  size_t rowCount = 0;
};

} // namespace brevant
