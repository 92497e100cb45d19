#pragma once
// A fully fetched query result, stored column by column. Each column keeps one kind byte and
// one 64-bit word per row; text, decimals, binary data and dates with sub-microsecond digits
// live in a byte arena (an 8-byte length, then the bytes), so a million-row result costs a few
// allocations per 65,536 rows, never one per field. The rows are kept in blocks of that many:
// the column grows without copying what it holds, and a reader that goes through the rows once
// can hand back the blocks it has passed (releaseBefore) while it still reads the rest.

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

  size_t size() const { return size_; }
  // The row must exist and not be released (a std::logic_error otherwise).
  CellKind kind(size_t row) const;
  Variant value(size_t row) const;
  // The bytes of a Text, Decimal or Binary cell; empty for any other kind.
  std::string_view bytes(size_t row) const;

  void reserve(size_t rows);

  // Frees the blocks that hold only rows before `row`; reading those rows afterwards throws.
  void releaseBefore(size_t row);

  static constexpr size_t kBlockRows = size_t(1) << 16;

private:
  struct Block {
    std::vector<CellKind> kinds;
    std::vector<uint64_t> words; // the value, or the offset of its bytes in the arena
    std::string arena;
  };
  // The block that takes the next row.
  Block &nextBlock();
  const Block &blockOf(size_t row) const;
  void appendWord(CellKind kind, uint64_t word);
  void appendArena(CellKind kind, std::string_view bytes);

  std::vector<Block> blocks_;
  size_t size_ = 0;
  size_t released_ = 0; // blocks freed by releaseBefore
  size_t pendingStart_ = 0;
};

struct ResultTable {
  std::vector<ResultColumn> columns;
  size_t rowCount = 0;
};

} // namespace brevant
