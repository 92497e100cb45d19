#include "engine/components/spreadsheet/formulas/value_coercion.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "base/case_folding.h"
#include "engine/components/spreadsheet/cells/date_serial.h"
#include "engine/components/spreadsheet/cells/number_format.h"

namespace brevant {

namespace {

std::string_view trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
    s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
    s.remove_suffix(1);
  return s;
}

// Digits with thousands separators, a decimal point and an exponent: "1,234.5e3".
std::optional<double> plainNumber(std::string_view s) {
  std::string clean;
  bool digits = false, point = false, exponent = false;
  for (size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (std::isdigit(static_cast<unsigned char>(c))) {
      digits = true;
      clean += c;
    } else if (c == ',' && digits && !point && !exponent) {
      continue;
    } else if (c == '.' && !point && !exponent) {
      point = true;
      clean += c;
    } else if ((c == 'e' || c == 'E') && digits && !exponent) {
      exponent = true;
      clean += c;
      if (i + 1 < s.size() && (s[i + 1] == '+' || s[i + 1] == '-'))
        clean += s[++i];
    } else {
      return std::nullopt;
    }
  }
  if (!digits)
    return std::nullopt;
  double v = 0;
  auto res = std::from_chars(clean.data(), clean.data() + clean.size(), v);
  if (res.ec != std::errc() || res.ptr != clean.data() + clean.size() || !std::isfinite(v))
    return std::nullopt;
  return v;
}

// "13:45", "13:45:30", "1:45 PM": the fraction of a day.
std::optional<double> timeOfDay(std::string_view s) {
  int h = 0, m = 0, n = 0;
  double sec = 0;
  std::string t(s);
  char ampm[3] = {0, 0, 0};
  int consumed = 0;
  if (std::sscanf(t.c_str(), "%d:%d%n", &h, &m, &consumed) != 2)
    return std::nullopt;
  std::string rest = t.substr(static_cast<size_t>(consumed));
  if (!rest.empty() && rest[0] == ':') {
    if (std::sscanf(rest.c_str(), ":%lf%n", &sec, &n) != 1)
      return std::nullopt;
    rest = rest.substr(static_cast<size_t>(n));
  }
  std::string_view r = trim(rest);
  if (!r.empty()) {
    if (r.size() != 2 || std::sscanf(std::string(r).c_str(), "%2s", ampm) != 1)
      return std::nullopt;
    char a = static_cast<char>(std::toupper(static_cast<unsigned char>(ampm[0])));
    char b = static_cast<char>(std::toupper(static_cast<unsigned char>(ampm[1])));
    if (b != 'M' || (a != 'A' && a != 'P') || h < 1 || h > 12)
      return std::nullopt;
    h = h % 12 + (a == 'P' ? 12 : 0);
  }
  if (h < 0 || m < 0 || m > 59 || sec < 0 || sec >= 60)
    return std::nullopt;
  return (h * 3600.0 + m * 60.0 + sec) / 86400.0;
}

// "2024-03-31" or "3/31/2024", optionally followed by a time.
std::optional<double> dateText(std::string_view s, bool date1904) {
  int a = 0, b = 0, c = 0, consumed = 0;
  std::string t(s);
  DateValue d;
  if (std::sscanf(t.c_str(), "%d-%d-%d%n", &a, &b, &c, &consumed) == 3 && a > 999) {
    d = {static_cast<int16_t>(a), static_cast<uint8_t>(b), static_cast<uint8_t>(c)};
    if (b < 1 || b > 12 || c < 1 || c > 31)
      return std::nullopt;
  } else if (std::sscanf(t.c_str(), "%d/%d/%d%n", &a, &b, &c, &consumed) == 3) {
    if (a < 1 || a > 12 || b < 1 || b > 31 || c < 0 || c > 9999)
      return std::nullopt;
    d = {static_cast<int16_t>(c < 100 ? (c < 30 ? 2000 + c : 1900 + c) : c),
         static_cast<uint8_t>(a), static_cast<uint8_t>(b)};
  } else {
    return std::nullopt;
  }
  auto serial = dateSerial(d, date1904);
  if (!serial)
    return std::nullopt;
  std::string_view rest = trim(std::string_view(t).substr(static_cast<size_t>(consumed)));
  if (rest.empty())
    return serial;
  auto time = timeOfDay(rest);
  if (!time)
    return std::nullopt;
  return *serial + *time;
}

} // namespace

std::optional<double> textToNumber(std::string_view text, bool date1904) {
  std::string_view s = trim(text);
  if (s.empty())
    return std::nullopt;
  bool negative = false;
  if (s.size() > 2 && s.front() == '(' && s.back() == ')') {
    negative = true;
    s = trim(s.substr(1, s.size() - 2));
  }
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
    negative = negative != (s.front() == '-');
    s = trim(s.substr(1));
  }
  if (!s.empty() && s.front() == '$')
    s = trim(s.substr(1));
  double scale = 1;
  if (!s.empty() && s.back() == '%') {
    scale = 0.01;
    s = trim(s.substr(0, s.size() - 1));
  }
  if (auto n = plainNumber(s))
    return (negative ? -*n : *n) * scale;
  if (negative || scale != 1 || text.find('$') != std::string_view::npos)
    return std::nullopt;
  if (auto d = dateText(s, date1904))
    return d;
  return timeOfDay(s);
}

std::string numberToText(double value) { return formatGeneral(value); }

std::variant<double, FormulaError> toNumber(const Scalar &value, bool date1904) {
  switch (value.index()) {
  case 0:
    return 0.0;
  case 1:
    return std::get<double>(value);
  case 2:
    if (auto n = textToNumber(std::get<std::string>(value), date1904))
      return *n;
    return FormulaError::Value;
  case 3:
    return std::get<bool>(value) ? 1.0 : 0.0;
  default:
    return std::get<FormulaError>(value);
  }
}

std::variant<std::string, FormulaError> toText(const Scalar &value) {
  switch (value.index()) {
  case 0:
    return std::string();
  case 1:
    return numberToText(std::get<double>(value));
  case 2:
    return std::get<std::string>(value);
  case 3:
    return std::string(std::get<bool>(value) ? "TRUE" : "FALSE");
  default:
    return std::get<FormulaError>(value);
  }
}

int compareTextNoCase(std::string_view a, std::string_view b) {
  const auto ascii = [](std::string_view t) {
    return std::all_of(t.begin(), t.end(), [](char c) { return (c & 0x80) == 0; });
  };
  if (!ascii(a) || !ascii(b)) {
    // Letters beyond ASCII ("É" against "é") compare after Unicode case folding.
    const std::string x = caseFolded(a), y = caseFolded(b);
    return x == y ? 0 : (x < y ? -1 : 1);
  }
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    int x = std::tolower(static_cast<unsigned char>(a[i]));
    int y = std::tolower(static_cast<unsigned char>(b[i]));
    if (x != y)
      return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int compareScalars(const Scalar &a, const Scalar &b) {
  // An empty cell takes the type of what it is compared with.
  auto rank = [](const Scalar &v) { return v.index() == 1 ? 0 : v.index() == 2 ? 1 : 2; };
  const Scalar *x = &a, *y = &b;
  Scalar fillA, fillB;
  auto blankLike = [](const Scalar &other) -> Scalar {
    switch (other.index()) {
    case 2:
      return std::string();
    case 3:
      return false;
    default:
      return 0.0;
    }
  };
  if (std::holds_alternative<Blank>(a)) {
    fillA = blankLike(b);
    x = &fillA;
  }
  if (std::holds_alternative<Blank>(b)) {
    fillB = blankLike(*x);
    y = &fillB;
  }
  int rx = rank(*x), ry = rank(*y);
  if (rx != ry)
    return rx < ry ? -1 : 1;
  if (rx == 0) {
    double p = std::get<double>(*x), q = std::get<double>(*y);
    if (p == q)
      return 0;
    double scale = std::max(std::fabs(p), std::fabs(q));
    if (std::fabs(p - q) <= scale * 1e-15)
      return 0;
    return p < q ? -1 : 1;
  }
  if (rx == 1)
    return compareTextNoCase(std::get<std::string>(*x), std::get<std::string>(*y));
  bool p = std::get<bool>(*x), q = std::get<bool>(*y);
  return p == q ? 0 : (p ? 1 : -1);
}

} // namespace brevant
