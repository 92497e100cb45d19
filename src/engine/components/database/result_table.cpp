#include "engine/components/database/result_table.h"

#include <bit>
#include <cstring>

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

void ResultColumn::reserve(size_t rows) {
  kinds.reserve(rows);
  words.reserve(rows);
}

void ResultColumn::appendNull() {
  kinds.push_back(CellKind::Null);
  words.push_back(0);
}

void ResultColumn::appendBool(bool value) {
  kinds.push_back(CellKind::Bool);
  words.push_back(value ? 1 : 0);
}

void ResultColumn::appendInteger(int64_t value) {
  kinds.push_back(CellKind::Integer);
  words.push_back(static_cast<uint64_t>(value));
}

void ResultColumn::appendDouble(double value) {
  kinds.push_back(CellKind::Double);
  words.push_back(std::bit_cast<uint64_t>(value));
}

void ResultColumn::appendArena(CellKind kind, std::string_view bytes) {
  kinds.push_back(kind);
  words.push_back(arena.size());
  uint64_t length = bytes.size();
  arena.append(reinterpret_cast<const char *>(&length), sizeof length);
  arena.append(bytes);
}

void ResultColumn::appendDecimal(std::string_view text) { appendArena(CellKind::Decimal, text); }
void ResultColumn::appendText(std::string_view text) { appendArena(CellKind::Text, text); }
void ResultColumn::appendBinary(std::string_view bytes) { appendArena(CellKind::Binary, bytes); }

void ResultColumn::beginBytes(CellKind kind) {
  pendingStart_ = arena.size();
  appendArena(kind, {});
}

void ResultColumn::appendBytes(std::string_view piece) { arena.append(piece); }

void ResultColumn::finishBytes() {
  uint64_t length = arena.size() - pendingStart_ - sizeof(uint64_t);
  std::memcpy(arena.data() + pendingStart_, &length, sizeof length);
}

void ResultColumn::appendDate(const DateValue &value) {
  kinds.push_back(CellKind::Date);
  words.push_back(packDate(value));
}

void ResultColumn::appendTime(const TimeValue &value) {
  kinds.push_back(CellKind::Time);
  words.push_back(packTime(value));
}

void ResultColumn::appendDateTime(const DateTimeValue &value) {
  if (fitsPacked(value)) {
    kinds.push_back(CellKind::DateTime);
    words.push_back(packDateTime(value));
    return;
  }
  kinds.push_back(CellKind::DateTimeWide);
  words.push_back(arena.size());
  uint64_t parts[2] = {packDate(value.date), packTime(value.time)};
  arena.append(reinterpret_cast<const char *>(parts), sizeof parts);
}

std::string_view ResultColumn::bytes(size_t row) const {
  switch (kinds[row]) {
  case CellKind::Decimal:
  case CellKind::Text:
  case CellKind::Binary: {
    uint64_t offset = words[row];
    uint64_t length;
    std::memcpy(&length, arena.data() + offset, sizeof length);
    return std::string_view(arena.data() + offset + sizeof length, length);
  }
  default:
    return {};
  }
}

Variant ResultColumn::value(size_t row) const {
  uint64_t w = words[row];
  switch (kinds[row]) {
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
    std::memcpy(parts, arena.data() + w, sizeof parts);
    return DateTimeValue{unpackDate(parts[0]), unpackTime(parts[1])};
  }
  }
  return std::monostate{};
}

} // namespace brevant
