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
  // The number of exactly `count` digits at the cursor, which moves past them.
  std::optional<int> digits(int count) {
    if (pos + count > text.size())
      return std::nullopt;
    int value = 0;
    for (int i = 0; i < count; ++i) {
      char c = text[pos + i];
      if (!std::isdigit(static_cast<unsigned char>(c)))
        return std::nullopt;
      value = value * 10 + (c - '0');
    }
    pos += count;
    return value;
  }
};

bool validDate(int year, int month, int day) {
  static const int days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12 || day < 1 || day > days[month - 1])
    return false;
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return !(month == 2 && day == 29 && !leap);
}

std::optional<DateValue> readDate(Cursor &c) {
  const std::optional<int> year = c.digits(4);
  if (!year || !c.peek('-'))
    return std::nullopt;
  ++c.pos;
  const std::optional<int> month = c.digits(2);
  if (!month || !c.peek('-'))
    return std::nullopt;
  ++c.pos;
  const std::optional<int> day = c.digits(2);
  if (!day || !validDate(*year, *month, *day))
    return std::nullopt;
  return DateValue{static_cast<int16_t>(*year), static_cast<uint8_t>(*month),
                   static_cast<uint8_t>(*day)};
}

std::optional<TimeValue> readTime(Cursor &c) {
  const std::optional<int> hour = c.digits(2);
  if (!hour || !c.peek(':'))
    return std::nullopt;
  ++c.pos;
  const std::optional<int> minute = c.digits(2);
  if (!minute)
    return std::nullopt;
  int second = 0;
  uint32_t nanosecond = 0;
  if (c.peek(':')) {
    ++c.pos;
    const std::optional<int> seconds = c.digits(2);
    if (!seconds)
      return std::nullopt;
    second = *seconds;
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
        return std::nullopt;
    }
  }
  if (*hour > 23 || *minute > 59 || second > 60)
    return std::nullopt;
  return TimeValue{static_cast<uint8_t>(*hour), static_cast<uint8_t>(*minute),
                   static_cast<uint8_t>(second), nanosecond};
}

// A zone designator, then blanks, then the end.
bool readEnd(Cursor &c) {
  if (c.peek('Z') || c.peek('z')) {
    ++c.pos;
  } else if (c.peek('+') || c.peek('-')) {
    ++c.pos;
    if (!c.digits(2))
      return false;
    if (c.peek(':'))
      ++c.pos;
    if (!c.atEnd() && !c.digits(2))
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
  const std::optional<DateValue> date = readDate(c);
  if (!date)
    return std::nullopt;
  value.date = *date;
  if (c.peek('T') || c.peek('t') || c.peek(' ')) {
    ++c.pos;
    const std::optional<TimeValue> time = readTime(c);
    if (!time)
      return std::nullopt;
    value.time = *time;
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
  if (const std::optional<TimeValue> time = readTime(c); time && readEnd(c))
    return time;
  if (auto value = parseIsoDateTime(text))
    return value->time;
  return std::nullopt;
}

} // namespace brevant
