#pragma once
// The value that travels from a database field to a worksheet cell: what the database layer
// hands out and what a Range accepts. std::monostate is Null (a cell written with it is emptied).

#include <cstdint>
#include <string>
#include <variant>

namespace brevant {

struct DateValue {
  int16_t year = 1900;
  uint8_t month = 1;
  uint8_t day = 1;
  bool operator==(const DateValue &) const = default;
};

struct TimeValue {
  uint8_t hour = 0;
  uint8_t minute = 0;
  uint8_t second = 0;
  uint32_t nanosecond = 0;
  bool operator==(const TimeValue &) const = default;
};

struct DateTimeValue {
  DateValue date;
  TimeValue time;
  bool operator==(const DateTimeValue &) const = default;
};

// An exact decimal as the database gave it, e.g. "-1234.50".
struct DecimalValue {
  std::string text;
  bool operator==(const DecimalValue &) const = default;
};

struct BinaryValue {
  std::string bytes;
  bool operator==(const BinaryValue &) const = default;
};

using Variant = std::variant<std::monostate, bool, int64_t, double, DecimalValue, std::string,
                             DateValue, TimeValue, DateTimeValue, BinaryValue>;

inline bool isNull(const Variant &v) { return std::holds_alternative<std::monostate>(v); }

} // namespace brevant
