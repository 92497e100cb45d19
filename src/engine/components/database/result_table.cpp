#include "engine/components/database/result_table.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <stdexcept>

namespace brevant {

namespace {

uint64_t packDate(const DateValue &d) {
  return (uint64_t{static_cast<uint16_t>(d.year)} << 16) | (uint64_t{d.month} << 8) | d.day;
}

DateValue unpackDate(uint64_t w) {
  return DateValue{static_cast<int16_t>(static_cast<uint16_t>(w >> 16)),
                   static_cast<uint8_t>(w >> 8), static_cast<uint8_t>(w)};
}

uint64_t packTime(const TimeValue &t) {
  return (uint64_t{t.hour} << 48) | (uint64_t{t.minute} << 40) | (uint64_t{t.second} << 32) |
         t.nanosecond;
}

TimeValue unpackTime(uint64_t w) {
  return TimeValue{static_cast<uint8_t>(w >> 48), static_cast<uint8_t>(w >> 40),
                   static_cast<uint8_t>(w >> 32), static_cast<uint32_t>(w)};
}

// year:14 month:4 day:5 hour:5 minute:6 second:6 microsecond:20
bool fitsPacked(const DateTimeValue &v) {
  return v.date.year >= 0 && v.date.year < 16384 && v.date.month < 16 && v.date.day < 32 &&
         v.time.hour < 32 && v.time.minute < 64 && v.time.second < 64 &&
         v.time.nanosecond % 1000 == 0 && v.time.nanosecond < 1000000000u;
}

uint64_t packDateTime(const DateTimeValue &v) {
  uint64_t w = static_cast<uint64_t>(v.date.year);
  w = (w << 4) | v.date.month;
  w = (w << 5) | v.date.day;
  w = (w << 5) | v.time.hour;
  w = (w << 6) | v.time.minute;
  w = (w << 6) | v.time.second;
  w = (w << 20) | (v.time.nanosecond / 1000);
  return w;
}

DateTimeValue unpackDateTime(uint64_t w) {
  DateTimeValue v;
  v.time.nanosecond = static_cast<uint32_t>(w & 0xFFFFF) * 1000;
  w >>= 20;
  v.time.second = static_cast<uint8_t>(w & 0x3F);
  w >>= 6;
  v.time.minute = static_cast<uint8_t>(w & 0x3F);
  w >>= 6;
  v.time.hour = static_cast<uint8_t>(w & 0x1F);
  w >>= 5;
  v.date.day = static_cast<uint8_t>(w & 0x1F);
  w >>= 5;
  v.date.month = static_cast<uint8_t>(w & 0xF);
  w >>= 4;
  v.date.year = static_cast<int16_t>(w);
  return v;
}

} // namespace

ResultColumn::Block &ResultColumn::nextBlock() {
  if (blocks_.empty() || blocks_.back().kinds.size() == kBlockRows) {
    // After a full block, the next one is sized like it from the start.
    const size_t arenaHint = blocks_.empty() ? 0 : blocks_.back().arena.size();
    blocks_.emplace_back();
    if (blocks_.size() > 1) {
      Block &b = blocks_.back();
      b.kinds.reserve(kBlockRows);
      b.words.reserve(kBlockRows);
      b.arena.reserve(arenaHint + arenaHint / 8);
    }
  }
  return blocks_.back();
}

const ResultColumn::Block &ResultColumn::blockOf(size_t row) const {
  const size_t block = row / kBlockRows;
  if (row >= size_ || block < released_)
    throw std::logic_error("Row " + std::to_string(row) + " of column \"" + name +
                           "\" is not held.");
  return blocks_[block];
}

void ResultColumn::reserve(size_t rows) {
  Block &b = nextBlock();
  const size_t room = std::min(rows, kBlockRows - b.kinds.size());
  b.kinds.reserve(b.kinds.size() + room);
  b.words.reserve(b.words.size() + room);
}

void ResultColumn::releaseBefore(size_t row) {
  // The last block stays, so that rows appended later land in a block that is held.
  const size_t end =
      std::min(std::min(row, size_) / kBlockRows, blocks_.empty() ? 0 : blocks_.size() - 1);
  for (; released_ < end; ++released_)
    blocks_[released_] = Block{};
}

void ResultColumn::appendWord(CellKind kind, uint64_t word) {
  Block &b = nextBlock();
  b.kinds.push_back(kind);
  b.words.push_back(word);
  ++size_;
}

void ResultColumn::appendNull() { appendWord(CellKind::Null, 0); }

void ResultColumn::appendBool(bool value) { appendWord(CellKind::Bool, value ? 1 : 0); }

void ResultColumn::appendInteger(int64_t value) {
  appendWord(CellKind::Integer, static_cast<uint64_t>(value));
}

void ResultColumn::appendDouble(double value) {
  appendWord(CellKind::Double, std::bit_cast<uint64_t>(value));
}

void ResultColumn::appendArena(CellKind kind, std::string_view bytes) {
  Block &b = nextBlock();
  appendWord(kind, b.arena.size());
  uint64_t length = bytes.size();
  b.arena.append(reinterpret_cast<const char *>(&length), sizeof length);
  b.arena.append(bytes);
}

void ResultColumn::appendDecimal(std::string_view text) { appendArena(CellKind::Decimal, text); }
void ResultColumn::appendText(std::string_view text) { appendArena(CellKind::Text, text); }
void ResultColumn::appendBinary(std::string_view bytes) { appendArena(CellKind::Binary, bytes); }

void ResultColumn::beginBytes(CellKind kind) {
  appendArena(kind, {});
  pendingStart_ = blocks_.back().words.back();
}

void ResultColumn::appendBytes(std::string_view piece) { blocks_.back().arena.append(piece); }

void ResultColumn::finishBytes() {
  std::string &arena = blocks_.back().arena;
  uint64_t length = arena.size() - pendingStart_ - sizeof(uint64_t);
  std::memcpy(arena.data() + pendingStart_, &length, sizeof length);
}

void ResultColumn::appendDate(const DateValue &value) {
  appendWord(CellKind::Date, packDate(value));
}

void ResultColumn::appendTime(const TimeValue &value) {
  appendWord(CellKind::Time, packTime(value));
}

void ResultColumn::appendDateTime(const DateTimeValue &value) {
  if (fitsPacked(value)) {
    appendWord(CellKind::DateTime, packDateTime(value));
    return;
  }
  Block &b = nextBlock();
  appendWord(CellKind::DateTimeWide, b.arena.size());
  uint64_t parts[2] = {packDate(value.date), packTime(value.time)};
  b.arena.append(reinterpret_cast<const char *>(parts), sizeof parts);
}

CellKind ResultColumn::kind(size_t row) const { return blockOf(row).kinds[row % kBlockRows]; }

std::string_view ResultColumn::bytes(size_t row) const {
  const Block &b = blockOf(row);
  const size_t i = row % kBlockRows;
  switch (b.kinds[i]) {
  case CellKind::Decimal:
  case CellKind::Text:
  case CellKind::Binary: {
    uint64_t offset = b.words[i];
    uint64_t length;
    std::memcpy(&length, b.arena.data() + offset, sizeof length);
    return std::string_view(b.arena.data() + offset + sizeof length, length);
  }
  default:
    return {};
  }
}

Variant ResultColumn::value(size_t row) const {
  const Block &b = blockOf(row);
  const size_t i = row % kBlockRows;
  uint64_t w = b.words[i];
  switch (b.kinds[i]) {
  case CellKind::Null:
    return std::monostate{};
  case CellKind::Bool:
    return w != 0;
  case CellKind::Integer:
    return static_cast<int64_t>(w);
  case CellKind::Double:
    return std::bit_cast<double>(w);
  case CellKind::Decimal:
    return DecimalValue{std::string(bytes(row))};
  case CellKind::Text:
    return std::string(bytes(row));
  case CellKind::Binary:
    return BinaryValue{std::string(bytes(row))};
  case CellKind::Date:
    return unpackDate(w);
  case CellKind::Time:
    return unpackTime(w);
  case CellKind::DateTime:
    return unpackDateTime(w);
  case CellKind::DateTimeWide: {
    uint64_t parts[2];
    std::memcpy(parts, b.arena.data() + w, sizeof parts);
    return DateTimeValue{unpackDate(parts[0]), unpackTime(parts[1])};
  }
  }
  return std::monostate{};
}

} // namespace brevant
