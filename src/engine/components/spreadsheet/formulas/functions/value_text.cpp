#include "engine/components/spreadsheet/formulas/functions/value_text.h"

#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "base/strings.h"
#include "engine/components/spreadsheet/cells/date_serial.h"
#include "engine/components/spreadsheet/cells/number_format.h"

namespace brevant::formulas {
namespace {

std::string_view trimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
    s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
    s.remove_suffix(1);
  return s;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Digits with optional thousands separators in groups of three, an optional fraction and an
// optional exponent; the whole text must be used.
std::optional<double> parsePlainNumber(std::string_view s) {
  std::string digits;
  size_t i = 0;
  size_t groupLength = 0;
  bool sawComma = false;
  bool anyDigit = false;
  while (i < s.size() && (isDigit(s[i]) || s[i] == ',')) {
    if (s[i] == ',') {
      if (!anyDigit || (sawComma && groupLength != 3))
        return std::nullopt;
      sawComma = true;
      groupLength = 0;
    } else {
      digits += s[i];
      anyDigit = true;
      ++groupLength;
    }
    ++i;
  }
  if (sawComma && groupLength != 3)
    return std::nullopt;
  if (i < s.size() && s[i] == '.') {
    digits += '.';
    ++i;
    while (i < s.size() && isDigit(s[i])) {
      digits += s[i++];
      anyDigit = true;
    }
  }
  if (!anyDigit)
    return std::nullopt;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    digits += 'e';
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
      digits += s[i++];
    if (i >= s.size() || !isDigit(s[i]))
      return std::nullopt;
    while (i < s.size() && isDigit(s[i]))
      digits += s[i++];
  }
  if (i != s.size())
    return std::nullopt;
  double v = std::strtod(digits.c_str(), nullptr);
  if (!std::isfinite(v))
    return std::nullopt;
  return v;
}

// Sign, currency symbol, parentheses and a percent sign around a plain number.
std::optional<double> parseDecoratedNumber(std::string_view s) {
  bool negative = false;
  bool parenthesized = false;
  bool percent = false;
  if (s.size() >= 2 && s.front() == '(' && s.back() == ')') {
    parenthesized = true;
    s = trimBlanks(s.substr(1, s.size() - 2));
  }
  if (!s.empty() && s.back() == '%') {
    percent = true;
    s = trimBlanks(s.substr(0, s.size() - 1));
  }
  bool currency = false;
  for (int pass = 0; pass < 2 && !s.empty(); ++pass) {
    if (!negative && (s.front() == '-' || s.front() == '+')) {
      negative = s.front() == '-';
      if (s.front() == '+' && pass == 1 && !currency)
        break;
      s = trimBlanks(s.substr(1));
    } else if (!currency && s.front() == '$') {
      currency = true;
      s = trimBlanks(s.substr(1));
    }
  }
  if (!s.empty() && !currency && !percent && s.back() == '$') {
    s = trimBlanks(s.substr(0, s.size() - 1));
  }
  if (parenthesized && negative)
    return std::nullopt;
  auto v = parsePlainNumber(s);
  if (!v)
    return std::nullopt;
  double r = *v;
  if (percent)
    r /= 100;
  if (negative || parenthesized)
    r = -r;
  return r;
}

constexpr std::array<std::string_view, 12> kMonths = {"jan", "feb", "mar", "apr", "may", "jun",
                                                      "jul", "aug", "sep", "oct", "nov", "dec"};
constexpr std::array<std::string_view, 12> kMonthNames = {
    "january", "february", "march",     "april",   "may",      "june",
    "july",    "august",   "september", "october", "november", "december"};

std::optional<int> monthFromName(std::string_view word) {
  const std::string lower = asciiLower(word);
  for (size_t m = 0; m < 12; ++m)
    if (lower == kMonths[m] || lower == kMonthNames[m] || (m == 8 && lower == "sept"))
      return static_cast<int>(m) + 1;
  return std::nullopt;
}

// Splits at the separators of a date ("/", "-", " ", ","): the pieces, or empty for none.
std::vector<std::string_view> dateParts(std::string_view s) {
  std::vector<std::string_view> parts;
  size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && (s[i] == '/' || s[i] == '-' || s[i] == ' ' || s[i] == ','))
      ++i;
    size_t start = i;
    while (i < s.size() && s[i] != '/' && s[i] != '-' && s[i] != ' ' && s[i] != ',')
      ++i;
    if (i > start)
      parts.push_back(s.substr(start, i - start));
  }
  return parts;
}

std::optional<int> smallNumber(std::string_view s) {
  if (s.empty() || s.size() > 4)
    return std::nullopt;
  int v = 0;
  for (char c : s) {
    if (!isDigit(c))
      return std::nullopt;
    v = v * 10 + (c - '0');
  }
  return v;
}

int fullYear(int year, size_t digits) {
  if (digits <= 2)
    return year < 30 ? 2000 + year : 1900 + year;
  return year;
}

bool leapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

std::optional<double> serialOf(int year, int month, int day, bool date1904) {
  if (month < 1 || month > 12 || day < 1)
    return std::nullopt;
  if (!date1904 && year == 1900 && month == 2 && day == 29)
    return 60.0;
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int limit = kDays[month - 1] + (month == 2 && leapYear(year) ? 1 : 0);
  if (day > limit || year < 1900 || year > 9999)
    return std::nullopt;
  return dateSerial(
      DateValue{static_cast<int16_t>(year), static_cast<uint8_t>(month), static_cast<uint8_t>(day)},
      date1904);
}

std::optional<double> parseDate(std::string_view s, bool date1904) {
  auto parts = dateParts(s);
  if (parts.size() < 2 || parts.size() > 3)
    return std::nullopt;
  std::array<std::optional<int>, 3> num;
  std::array<std::optional<int>, 3> month;
  for (size_t i = 0; i < parts.size(); ++i) {
    num[i] = smallNumber(parts[i]);
    if (!num[i])
      month[i] = monthFromName(parts[i]);
    if (!num[i] && !month[i])
      return std::nullopt;
  }
  if (parts.size() == 3) {
    if (num[0] && num[1] && num[2]) {
      if (parts[0].size() == 4) // yyyy-mm-dd
        return serialOf(*num[0], *num[1], *num[2], date1904);
      return serialOf(fullYear(*num[2], parts[2].size()), *num[0], *num[1], date1904);
    }
    if (num[0] && month[1] && num[2]) // 15-Mar-2024
      return serialOf(fullYear(*num[2], parts[2].size()), *month[1], *num[0], date1904);
    if (month[0] && num[1] && num[2]) // Mar 15, 2024
      return serialOf(fullYear(*num[2], parts[2].size()), *month[0], *num[1], date1904);
    return std::nullopt;
  }
  // Month and year: the first of the month.
  if (month[0] && num[1] && (parts[1].size() == 4 || *num[1] > 31))
    return serialOf(fullYear(*num[1], parts[1].size()), *month[0], 1, date1904);
  return std::nullopt;
}

// "10:30", "10:30:15", "10:30:15.25", "10 PM", "10:30 am": the fraction of a day (hours may
// pass 24 as in "25:00").
std::optional<double> parseTime(std::string_view s) {
  s = trimBlanks(s);
  int meridiem = 0; // 1 am, 2 pm
  auto endsWithWord = [&](std::string_view w) {
    if (s.size() < w.size())
      return false;
    for (size_t i = 0; i < w.size(); ++i)
      if (std::tolower(static_cast<unsigned char>(s[s.size() - w.size() + i])) != w[i])
        return false;
    return true;
  };
  if (endsWithWord("am") || endsWithWord("pm")) {
    meridiem = endsWithWord("am") ? 1 : 2;
    s = trimBlanks(s.substr(0, s.size() - 2));
  } else if (endsWithWord("a") || endsWithWord("p")) {
    meridiem = endsWithWord("a") ? 1 : 2;
    s = trimBlanks(s.substr(0, s.size() - 1));
  }
  std::vector<std::string_view> fields;
  size_t start = 0;
  for (size_t i = 0; i <= s.size(); ++i) {
    if (i == s.size() || s[i] == ':') {
      fields.push_back(s.substr(start, i - start));
      start = i + 1;
    }
  }
  if (fields.size() > 3 || (fields.size() == 1 && meridiem == 0))
    return std::nullopt;
  double seconds = 0;
  std::array<double, 3> values{0, 0, 0};
  for (size_t i = 0; i < fields.size(); ++i) {
    std::string_view f = fields[i];
    if (i == 2) {
      auto v = parsePlainNumber(f);
      if (!v || f.find_first_of(",eE") != std::string_view::npos || *v >= 60)
        return std::nullopt;
      values[i] = *v;
      continue;
    }
    auto v = smallNumber(f);
    if (!v || (i == 1 && *v >= 60))
      return std::nullopt;
    values[i] = *v;
  }
  if (meridiem != 0) {
    if (values[0] > 12)
      return std::nullopt;
    if (values[0] == 12)
      values[0] = 0;
    if (meridiem == 2)
      values[0] += 12;
  } else if (values[0] >= 10000) {
    return std::nullopt;
  }
  seconds = values[0] * 3600 + values[1] * 60 + values[2];
  return seconds / 86400.0;
}

bool looksLikeTime(std::string_view s) { return s.find(':') != std::string_view::npos; }

} // namespace

std::optional<double> parseDateTimeText(std::string_view text, bool date1904) {
  std::string_view s = trimBlanks(text);
  if (s.empty())
    return std::nullopt;
  // A time after the date, separated by a blank.
  size_t colon = s.find(':');
  if (colon != std::string_view::npos) {
    size_t blank = s.rfind(' ', colon);
    if (blank == std::string_view::npos)
      return parseTime(s);
    auto date = parseDate(trimBlanks(s.substr(0, blank)), date1904);
    auto time = parseTime(s.substr(blank + 1));
    if (!date || !time)
      return std::nullopt;
    return *date + *time;
  }
  if (auto d = parseDate(s, date1904))
    return d;
  // "10 PM"
  if (auto t = parseTime(s); t && !looksLikeTime(s))
    return t;
  return std::nullopt;
}

std::optional<double> parseNumberText(std::string_view text, bool date1904) {
  std::string_view s = trimBlanks(text);
  if (s.empty())
    return std::nullopt;
  if (auto v = parseDecoratedNumber(s))
    return v;
  return parseDateTimeText(s, date1904);
}

std::string numberToText(double value) { return formatGeneral(value, 15); }

} // namespace brevant::formulas
