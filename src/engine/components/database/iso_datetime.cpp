#include "engine/components/database/iso_datetime.h"

#include "base/strings.h"

#include <cctype>

namespace brevant {

namespace {

struct Cursor {
  std::string_view text;
  size_t pos = 0;

  bool atEnd() const { return pos >= text.size(); }
  bool peek(char c) const { return pos < text.size() && text[pos] == c; }
  bool digits(int count, int &value) {
    if (pos + count > text.size())
      return false;
    value = 0;
    for (int i = 0; i < count; ++i) {
      char c = text[pos + i];
      if (!std::isdigit(static_cast<unsigned char>(c)))
        return false;
      value = value * 10 + (c - '0');
    }
    pos += count;
    return true;
  }
};

bool validDate(int year, int month, int day) {
  static const int days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12 || day < 1 || day > days[month - 1])
    return false;
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return !(month == 2 && day == 29 && !leap);
}

bool readDate(Cursor &c, DateValue &out) {
  int year, month, day;
  if (!c.digits(4, year) || !c.peek('-'))
    return false;
  ++c.pos;
  if (!c.digits(2, month) || !c.peek('-'))
    return false;
  ++c.pos;
  if (!c.digits(2, day) || !validDate(year, month, day))
    return false;
  out =
      DateValue{static_cast<int16_t>(year), static_cast<uint8_t>(month), static_cast<uint8_t>(day)};
  return true;
}

bool readTime(Cursor &c, TimeValue &out) {
  int hour, minute, second = 0;
  if (!c.digits(2, hour) || !c.peek(':'))
    return false;
  ++c.pos;
  if (!c.digits(2, minute))
    return false;
  uint32_t nanosecond = 0;
  if (c.peek(':')) {
    ++c.pos;
    if (!c.digits(2, second))
      return false;
    if (c.peek('.') || c.peek(',')) {
      ++c.pos;
      uint32_t scale = 100000000;
      size_t start = c.pos;
      while (!c.atEnd() && std::isdigit(static_cast<unsigned char>(c.text[c.pos]))) {
        nanosecond += static_cast<uint32_t>(c.text[c.pos] - '0') * scale;
        scale /= 10;
        ++c.pos;
      }
      if (c.pos == start)
        return false;
    }
  }
  if (hour > 23 || minute > 59 || second > 60)
    return false;
  out = TimeValue{static_cast<uint8_t>(hour), static_cast<uint8_t>(minute),
                  static_cast<uint8_t>(second), nanosecond};
  return true;
}

// A zone designator, then blanks, then the end.
bool readEnd(Cursor &c) {
  if (c.peek('Z') || c.peek('z')) {
    ++c.pos;
  } else if (c.peek('+') || c.peek('-')) {
    ++c.pos;
    int hours, minutes;
    if (!c.digits(2, hours))
      return false;
    if (c.peek(':'))
      ++c.pos;
    if (!c.atEnd() && !c.digits(2, minutes))
      return false;
  }
  while (!c.atEnd() && c.text[c.pos] == ' ')
    ++c.pos;
  return c.atEnd();
}

} // namespace

std::optional<DateTimeValue> parseIsoDateTime(std::string_view text) {
  Cursor c{trimmed(text, " ")};
  DateTimeValue value;
  if (!readDate(c, value.date))
    return std::nullopt;
  if (c.peek('T') || c.peek('t') || c.peek(' ')) {
    ++c.pos;
    if (!readTime(c, value.time))
      return std::nullopt;
  }
  if (!readEnd(c))
    return std::nullopt;
  return value;
}

std::optional<DateValue> parseIsoDate(std::string_view text) {
  if (auto value = parseIsoDateTime(text))
    return value->date;
  return std::nullopt;
}

std::optional<TimeValue> parseIsoTime(std::string_view text) {
  Cursor c{trimmed(text, " ")};
  TimeValue time;
  if (readTime(c, time) && readEnd(c))
    return time;
  if (auto value = parseIsoDateTime(text))
    return value->time;
  return std::nullopt;
}

} // namespace brevant
