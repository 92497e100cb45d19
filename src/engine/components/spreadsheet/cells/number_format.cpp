#include "engine/components/spreadsheet/cells/number_format.h"

#include "base/strings.h"
#include "engine/components/spreadsheet/io/c_numbers.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

#include "engine/components/spreadsheet/cells/date_serial.h"

namespace brevant {

namespace {

enum class Kind {
  Literal,
  Digit,    // c = '0', '#' or '?'
  Decimal,  // '.'
  Comma,    // ',' until classified
  Percent,  // '%'
  Exponent, // c = '+' or '-'
  Slash,    // '/' between fraction digits
  FixedDenominator,
  Text, // '@'
  General,
  Year,
  Month,
  Minute,
  Day,
  Hour,
  Second,
  SubSecond, // count = number of decimals of the seconds
  AmPm,      // text = the marker as written ("AM/PM", "am/pm", "A/P", "a/p")
  ElapsedHour,
  ElapsedMinute,
  ElapsedSecond,
};

struct Token {
  Kind kind;
  std::string text; // literal text
  int count = 1;    // letters in a date token, digits of an elapsed token
  char c = 0;

  Token(Kind k, std::string t = {}, int n = 1, char ch = 0)
      : kind(k), text(std::move(t)), count(n), c(ch) {}
};

struct Condition {
  std::string op; // "<", "<=", ">", ">=", "=", "<>"
  double value = 0;
  bool matches(double v) const {
    if (op == "<")
      return v < value;
    if (op == "<=")
      return v <= value;
    if (op == ">")
      return v > value;
    if (op == ">=")
      return v >= value;
    if (op == "=")
      return v == value;
    return v != value;
  }
};

struct Section {
  std::vector<Token> tokens;
  std::optional<Condition> condition;
  bool isDate = false;
  bool isText = false;
  bool isGeneral = false;
  bool hasAmPm = false;
};

bool isDigitKind(const Token &t) { return t.kind == Kind::Digit; }

void addLiteral(std::vector<Token> &tokens, std::string_view text) {
  if (!tokens.empty() && tokens.back().kind == Kind::Literal)
    tokens.back().text += text;
  else
    tokens.emplace_back(Kind::Literal, std::string(text));
}

bool startsWithNoCase(std::string_view s, size_t i, std::string_view word) {
  return i <= s.size() && startsWithAsciiNoCase(s.substr(i), word);
}

std::vector<std::string_view> splitSections(std::string_view code) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  bool quoted = false, bracket = false;
  for (size_t i = 0; i < code.size(); ++i) {
    char c = code[i];
    if (quoted) {
      quoted = c != '"';
    } else if (bracket) {
      bracket = c != ']';
    } else if (c == '"') {
      quoted = true;
    } else if (c == '[') {
      bracket = true;
    } else if (c == '\\' || c == '_' || c == '*') {
      ++i;
    } else if (c == ';') {
      parts.push_back(code.substr(start, i - start));
      start = i + 1;
    }
  }
  parts.push_back(code.substr(start));
  return parts;
}

void parseBracket(Section &section, std::string_view inner) {
  if (inner.empty())
    return;
  char first = static_cast<char>(std::tolower(static_cast<unsigned char>(inner[0])));
  if (first == '<' || first == '>' || first == '=') {
    size_t n = 1;
    if (n < inner.size() && (inner[n] == '=' || inner[n] == '>'))
      ++n;
    Condition cond;
    cond.op = std::string(inner.substr(0, n));
    cond.value = strtodC(std::string(inner.substr(n)).c_str(), nullptr);
    section.condition = cond;
    return;
  }
  if (first == '$') {
    // [$€-407] or [$-409]: the text between '$' and '-' is a currency symbol.
    std::string_view rest = inner.substr(1);
    size_t dash = rest.find('-');
    addLiteral(section.tokens, rest.substr(0, dash));
    return;
  }
  if (first == 'h' || first == 'm' || first == 's') {
    bool same = std::all_of(inner.begin(), inner.end(), [&](char c) {
      return std::tolower(static_cast<unsigned char>(c)) == first;
    });
    if (same) {
      Kind k = first == 'h' ? Kind::ElapsedHour
                            : (first == 'm' ? Kind::ElapsedMinute : Kind::ElapsedSecond);
      section.tokens.emplace_back(k, "", static_cast<int>(inner.size()));
      section.isDate = true;
    }
  }
  // Colours ([Red], [Color12]) and anything else change nothing in text.
}

Section parseSection(std::string_view s) {
  Section section;
  auto &tokens = section.tokens;
  bool afterDecimal = false;
  for (size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    char lc = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (c == '"') {
      size_t end = s.find('"', i + 1);
      if (end == std::string_view::npos)
        end = s.size();
      addLiteral(tokens, s.substr(i + 1, end - i - 1));
      i = end;
    } else if (c == '\\') {
      if (i + 1 < s.size())
        addLiteral(tokens, s.substr(++i, 1));
    } else if (c == '_') {
      if (i + 1 < s.size())
        ++i;
      addLiteral(tokens, " ");
    } else if (c == '*') {
      if (i + 1 < s.size())
        ++i; // the fill character repeats to the column width; in text it takes no room
    } else if (c == '[') {
      size_t end = s.find(']', i + 1);
      if (end == std::string_view::npos)
        end = s.size();
      parseBracket(section, s.substr(i + 1, end - i - 1));
      i = end;
    } else if (startsWithNoCase(s, i, "general")) {
      tokens.emplace_back(Kind::General);
      section.isGeneral = true;
      i += 6;
    } else if (c == '0' || c == '#' || c == '?') {
      tokens.emplace_back(Kind::Digit, "", 1, c);
    } else if (c == '.') {
      // A '.' after seconds introduces fractions of a second.
      size_t k = i + 1;
      while (k < s.size() && s[k] == '0')
        ++k;
      bool afterSeconds = !tokens.empty() && tokens.back().kind == Kind::Second;
      if (afterSeconds && k > i + 1) {
        tokens.emplace_back(Kind::SubSecond, "", static_cast<int>(k - i - 1));
        i = k - 1;
      } else if (!afterDecimal) {
        tokens.emplace_back(Kind::Decimal);
        afterDecimal = true;
      } else {
        addLiteral(tokens, ".");
      }
    } else if (c == ',') {
      tokens.emplace_back(Kind::Comma);
    } else if (c == '%') {
      tokens.emplace_back(Kind::Percent);
    } else if ((c == 'E' || c == 'e') && i + 1 < s.size() && (s[i + 1] == '+' || s[i + 1] == '-')) {
      tokens.emplace_back(Kind::Exponent, "", 1, s[i + 1]);
      ++i;
      afterDecimal = false;
    } else if (c == '@') {
      tokens.emplace_back(Kind::Text);
      section.isText = true;
    } else if (startsWithNoCase(s, i, "am/pm")) {
      tokens.emplace_back(Kind::AmPm, std::string(s.substr(i, 5)));
      section.hasAmPm = section.isDate = true;
      i += 4;
    } else if (startsWithNoCase(s, i, "a/p")) {
      tokens.emplace_back(Kind::AmPm, std::string(s.substr(i, 3)));
      section.hasAmPm = section.isDate = true;
      i += 2;
    } else if (lc == 'y' || lc == 'm' || lc == 'd' || lc == 'h' || lc == 's' || lc == 'e') {
      size_t k = i;
      while (k < s.size() && std::tolower(static_cast<unsigned char>(s[k])) == lc)
        ++k;
      int n = static_cast<int>(k - i);
      Kind kind = lc == 'y' || lc == 'e' ? Kind::Year
                  : lc == 'm'            ? Kind::Month
                  : lc == 'd'            ? Kind::Day
                  : lc == 'h'            ? Kind::Hour
                                         : Kind::Second;
      tokens.emplace_back(kind, "", lc == 'e' ? 4 : n);
      section.isDate = true;
      i = k - 1;
    } else if (c == '/' && !tokens.empty() && isDigitKind(tokens.back())) {
      tokens.emplace_back(Kind::Slash);
      size_t k = i + 1;
      while (k < s.size() && std::isdigit(static_cast<unsigned char>(s[k])) && s[k] != '0')
        ++k;
      if (k > i + 1) {
        tokens.emplace_back(Kind::FixedDenominator, std::string(s.substr(i + 1, k - i - 1)));
        i = k - 1;
      }
    } else {
      // Other characters ($ - + ( ) : space and the rest) show as themselves; keep whole
      // UTF-8 sequences together.
      size_t k = i + 1;
      while (k < s.size() && (static_cast<unsigned char>(s[k]) & 0xC0) == 0x80)
        ++k;
      addLiteral(tokens, s.substr(i, k - i));
      i = k - 1;
    }
  }
  if (section.isDate) {
    // 'm' right after hours or right before seconds means minutes.
    for (size_t i = 0; i < tokens.size(); ++i) {
      if (tokens[i].kind != Kind::Month || tokens[i].count > 2)
        continue;
      bool minute = false;
      for (size_t k = i; k-- > 0;) {
        Kind kk = tokens[k].kind;
        if (kk == Kind::Literal)
          continue;
        minute = kk == Kind::Hour || kk == Kind::ElapsedHour;
        break;
      }
      for (size_t k = i + 1; !minute && k < tokens.size(); ++k) {
        Kind kk = tokens[k].kind;
        if (kk == Kind::Literal)
          continue;
        minute = kk == Kind::Second || kk == Kind::ElapsedSecond;
        break;
      }
      if (minute)
        tokens[i].kind = Kind::Minute;
    }
  }
  return section;
}

// The digits of |value| rounded to `decimals` places, with at most 15 significant digits as
// the spreadsheet keeps them. intDigits has no leading zeros ("" for values below 1).
void decimalDigits(double value, int decimals, std::string &intDigits, std::string &fracDigits) {
  // The value as the spreadsheet keeps it, 15 significant digits, then rounded half away from
  // zero in decimal (so 2.5 shows as 3 and 1.005 as 1.01).
  char buf[64];
  snprintfC(buf, sizeof buf, "%.14e", value);
  std::string_view t(buf);
  size_t e = t.find('e');
  int exp = std::atoi(buf + e + 1);
  std::string digits;
  for (char c : t.substr(0, e))
    if (c != '.')
      digits += c;
  if (value == 0)
    exp = 0, digits = "0";
  // digits d0 d1 ... stand for d0.d1d2... x 10^exp; the decimal point sits after exp + 1 digits.
  int point = exp + 1;
  int keep = point + std::min(decimals, 30);
  if (keep < 0) {
    intDigits.clear();
    fracDigits.assign(static_cast<size_t>(decimals), '0');
    return;
  }
  bool roundUp = keep < static_cast<int>(digits.size()) && digits[static_cast<size_t>(keep)] >= '5';
  if (keep < static_cast<int>(digits.size()))
    digits.resize(static_cast<size_t>(keep));
  while (static_cast<int>(digits.size()) < keep)
    digits += '0';
  if (roundUp) {
    int k = keep - 1;
    for (; k >= 0; --k) {
      if (digits[static_cast<size_t>(k)] == '9') {
        digits[static_cast<size_t>(k)] = '0';
      } else {
        ++digits[static_cast<size_t>(k)];
        break;
      }
    }
    if (k < 0) {
      digits.insert(digits.begin(), '1');
      ++point;
    }
  }
  if (point <= 0) {
    intDigits.clear();
    fracDigits = std::string(static_cast<size_t>(-point), '0') + digits;
  } else {
    intDigits = digits.substr(0, static_cast<size_t>(point));
    fracDigits = digits.substr(static_cast<size_t>(point));
  }
  fracDigits.resize(static_cast<size_t>(std::min(decimals, 30)), '0');
  size_t nz = intDigits.find_first_not_of('0');
  intDigits = nz == std::string::npos ? "" : intDigits.substr(nz);
}

// Fills the integer placeholders of tokens[begin, end) right to left with `digits`.
std::string fillInteger(const std::vector<Token> &tokens, size_t begin, size_t end,
                        const std::string &digits, bool grouping) {
  std::string reversed;
  size_t used = 0; // digits taken from the right of `digits`
  int emitted = 0;
  auto emit = [&](char d) {
    if (grouping && emitted > 0 && emitted % 3 == 0)
      reversed += ',';
    reversed += d;
    ++emitted;
  };
  size_t lastPlaceholder = end;
  for (size_t i = begin; i < end; ++i)
    if (isDigitKind(tokens[i])) {
      lastPlaceholder = i;
      break;
    }
  for (size_t i = end; i-- > begin;) {
    const Token &t = tokens[i];
    if (t.kind == Kind::Literal) {
      std::string lit = t.text;
      std::reverse(lit.begin(), lit.end());
      reversed += lit;
    } else if (isDigitKind(t)) {
      bool leftmost = i == lastPlaceholder;
      if (used < digits.size()) {
        emit(digits[digits.size() - 1 - used++]);
        while (leftmost && used < digits.size())
          emit(digits[digits.size() - 1 - used++]);
      } else if (t.c == '0') {
        emit('0');
      } else if (t.c == '?') {
        reversed += ' ';
      }
    } else if (t.kind == Kind::Percent) {
      reversed += '%';
    }
  }
  std::reverse(reversed.begin(), reversed.end());
  // Multi-byte literals were reversed byte-wise twice, so they read correctly again.
  return reversed;
}

std::string fillFraction(const std::vector<Token> &tokens, size_t begin, size_t end,
                         const std::string &digits) {
  // Trailing zeros are dropped for '#' and become blanks for '?'.
  size_t significant = digits.find_last_not_of('0');
  significant = significant == std::string::npos ? 0 : significant + 1;
  std::string out;
  size_t k = 0;
  for (size_t i = begin; i < end; ++i) {
    const Token &t = tokens[i];
    if (t.kind == Kind::Literal) {
      out += t.text;
    } else if (t.kind == Kind::Percent) {
      out += '%';
    } else if (isDigitKind(t)) {
      char d = k < digits.size() ? digits[k] : '0';
      if (k < significant || t.c == '0')
        out += d;
      else if (t.c == '?')
        out += ' ';
      ++k;
    }
  }
  return out;
}

std::string formatNumeric(const Section &section, double value) {
  const auto &tokens = section.tokens;
  size_t expAt = tokens.size(), decimalAt = tokens.size(), slashAt = tokens.size();
  for (size_t i = 0; i < tokens.size(); ++i) {
    if (tokens[i].kind == Kind::Exponent && expAt == tokens.size())
      expAt = i;
    if (tokens[i].kind == Kind::Decimal && decimalAt == tokens.size() && i < expAt)
      decimalAt = i;
    if (tokens[i].kind == Kind::Slash && slashAt == tokens.size())
      slashAt = i;
  }
  size_t mantissaEnd = std::min(expAt, tokens.size());
  size_t intEnd = std::min(decimalAt, mantissaEnd);

  // Classify commas: between integer placeholders they group thousands; right after the last
  // integer placeholder they divide by 1000 each; anywhere else they are literal.
  std::vector<Token> work = tokens;
  bool grouping = false;
  int scale = 0, percents = 0;
  size_t lastIntDigit = tokens.size();
  for (size_t i = 0; i < intEnd; ++i)
    if (isDigitKind(work[i]))
      lastIntDigit = i;
  for (size_t i = 0; i < work.size(); ++i) {
    if (work[i].kind == Kind::Percent)
      ++percents;
    if (work[i].kind != Kind::Comma)
      continue;
    bool digitBefore = false;
    for (size_t k = 0; k < i; ++k)
      digitBefore |= isDigitKind(work[k]);
    if (i < intEnd && digitBefore && lastIntDigit != tokens.size() && i < lastIntDigit) {
      grouping = true;
      work[i] = {Kind::Literal, ""};
    } else if (digitBefore && (i + 1 == work.size() || !isDigitKind(work[i + 1])) &&
               (i > lastIntDigit || lastIntDigit == tokens.size())) {
      ++scale;
      work[i] = {Kind::Literal, ""};
    } else {
      work[i] = {Kind::Literal, ","};
    }
  }
  double v = std::fabs(value) * std::pow(100.0, percents) / std::pow(1000.0, scale);

  if (slashAt < tokens.size() && expAt == tokens.size()) {
    // Fraction: [whole] numerator/denominator.
    size_t numStart = slashAt;
    while (numStart > 0 && isDigitKind(work[numStart - 1]))
      --numStart;
    bool hasWhole = false;
    for (size_t i = 0; i < numStart; ++i)
      hasWhole |= isDigitKind(work[i]);
    int denDigits = 0;
    long fixedDen = 0;
    size_t denEnd = slashAt + 1;
    if (denEnd < work.size() && work[denEnd].kind == Kind::FixedDenominator) {
      fixedDen = std::atol(work[denEnd].text.c_str());
      ++denEnd;
    } else {
      while (denEnd < work.size() && isDigitKind(work[denEnd])) {
        ++denDigits;
        ++denEnd;
      }
    }
    double whole = hasWhole ? std::floor(v) : 0.0;
    double frac = v - whole;
    long bestNum = 0, bestDen = 1;
    if (fixedDen > 0) {
      bestDen = fixedDen;
      bestNum = std::lround(frac * fixedDen);
    } else {
      long maxDen = 1;
      for (int i = 0; i < std::max(denDigits, 1); ++i)
        maxDen *= 10;
      --maxDen;
      double bestErr = 2;
      for (long d = 1; d <= maxDen; ++d) {
        long n = std::lround(frac * d);
        double err = std::fabs(frac - static_cast<double>(n) / d);
        if (err < bestErr - 1e-12) {
          bestErr = err;
          bestNum = n;
          bestDen = d;
        }
      }
    }
    if (hasWhole && bestNum == bestDen) {
      whole += 1;
      bestNum = 0;
    }
    std::string wholeDigits, unusedFraction;
    decimalDigits(whole, 0, wholeDigits, unusedFraction);
    std::string out;
    if (hasWhole)
      out += fillInteger(work, 0, numStart, wholeDigits, grouping);
    else
      out += fillInteger(work, 0, 0, "", false);
    if (hasWhole && bestNum == 0 && !wholeDigits.empty()) {
      out.append(static_cast<size_t>(denEnd - numStart), ' ');
    } else {
      std::string numText = std::to_string(bestNum);
      std::string denText = std::to_string(bestDen);
      out += fillInteger(work, numStart, slashAt, numText, false);
      out += '/';
      if (fixedDen > 0)
        out += denText;
      else
        out += fillFraction(work, slashAt + 1, denEnd, denText);
    }
    out += fillFraction(work, denEnd, work.size(), "");
    return out;
  }

  int intPlaces = 0, fracPlaces = 0;
  bool hashInt = false;
  for (size_t i = 0; i < intEnd; ++i)
    if (isDigitKind(work[i])) {
      ++intPlaces;
      if (intPlaces == 1)
        hashInt = work[i].c == '#';
    }
  for (size_t i = intEnd; i < mantissaEnd; ++i)
    fracPlaces += isDigitKind(work[i]);

  std::string out;
  if (expAt < tokens.size()) {
    int exponent = 0;
    if (v != 0) {
      exponent = static_cast<int>(std::floor(std::log10(v)));
      int step = hashInt && intPlaces > 1 ? intPlaces : 1;
      if (step > 1)
        exponent = static_cast<int>(std::floor(static_cast<double>(exponent) / step)) * step;
      else
        exponent -= std::max(intPlaces, 1) - 1;
    }
    double mant = v / std::pow(10.0, exponent);
    std::string id, fd;
    decimalDigits(mant, fracPlaces, id, fd);
    if (v != 0 && id.size() > static_cast<size_t>(std::max(intPlaces, 1)) && !hashInt) {
      // Rounding carried into a new digit (9.99 -> 10.0): renormalise.
      exponent += 1;
      decimalDigits(v / std::pow(10.0, exponent), fracPlaces, id, fd);
    }
    out += fillInteger(work, 0, intEnd, id, false);
    if (decimalAt < mantissaEnd)
      out += '.';
    out += fillFraction(work, std::min(intEnd + 1, mantissaEnd), mantissaEnd, fd);
    out += 'E';
    if (exponent < 0)
      out += '-';
    else if (tokens[expAt].c == '+')
      out += '+';
    std::string ed = std::to_string(std::abs(exponent));
    if (ed == "0")
      ed.clear();
    out += fillInteger(work, expAt + 1, work.size(), ed, false);
    return out;
  }

  std::string id, fd;
  decimalDigits(v, fracPlaces, id, fd);
  out += fillInteger(work, 0, intEnd, id, grouping);
  if (decimalAt < mantissaEnd) {
    out += '.';
    out += fillFraction(work, decimalAt + 1, work.size(), fd);
  }
  return out;
}

constexpr const char *kMonthNames[12] = {"January",   "February", "March",    "April",
                                         "May",       "June",     "July",     "August",
                                         "September", "October",  "November", "December"};
constexpr const char *kDayNames[7] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                      "Thursday", "Friday", "Saturday"};

std::string twoDigits(int v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d", v);
  return buf;
}

std::optional<std::string> formatDate(const Section &section, double serial, bool date1904) {
  int subDigits = 0;
  for (const auto &t : section.tokens)
    if (t.kind == Kind::SubSecond)
      subDigits = std::max(subDigits, std::min(t.count, 3));
  double unit = std::pow(10.0, subDigits);
  double rounded = std::round(serial * 86400.0 * unit + 1e-6) / (86400.0 * unit);
  auto dt = serialToDateTime(rounded, date1904);
  if (!dt)
    return std::nullopt;
  double totalSeconds = std::floor(rounded * 86400.0 + 1e-6);
  int weekday =
      static_cast<int>((static_cast<int64_t>(std::floor(rounded)) + (date1904 ? 5 : 6)) % 7);
  std::string out;
  const auto &d = dt->date;
  const auto &t = dt->time;
  for (const auto &tok : section.tokens) {
    switch (tok.kind) {
    case Kind::Literal:
      out += tok.text;
      break;
    case Kind::Year:
      out += tok.count <= 2 ? twoDigits(d.year % 100) : std::to_string(d.year);
      break;
    case Kind::Month:
      if (tok.count == 1)
        out += std::to_string(d.month);
      else if (tok.count == 2)
        out += twoDigits(d.month);
      else if (tok.count == 3)
        out += std::string(kMonthNames[d.month - 1]).substr(0, 3);
      else if (tok.count == 5)
        out += kMonthNames[d.month - 1][0];
      else
        out += kMonthNames[d.month - 1];
      break;
    case Kind::Day:
      if (tok.count == 1)
        out += std::to_string(d.day);
      else if (tok.count == 2)
        out += twoDigits(d.day);
      else if (tok.count == 3)
        out += std::string(kDayNames[weekday]).substr(0, 3);
      else
        out += kDayNames[weekday];
      break;
    case Kind::Hour: {
      int h = t.hour;
      if (section.hasAmPm) {
        h %= 12;
        if (h == 0)
          h = 12;
      }
      out += tok.count >= 2 ? twoDigits(h) : std::to_string(h);
      break;
    }
    case Kind::Minute:
      out += tok.count >= 2 ? twoDigits(t.minute) : std::to_string(t.minute);
      break;
    case Kind::Second:
      out += tok.count >= 2 ? twoDigits(t.second) : std::to_string(t.second);
      break;
    case Kind::SubSecond: {
      char buf[16];
      std::snprintf(buf, sizeof buf, "%03u", t.nanosecond / 1000000u);
      out += '.';
      out += std::string(buf).substr(0, tok.count);
      break;
    }
    case Kind::AmPm: {
      bool pm = t.hour >= 12;
      if (tok.text.size() == 5) {
        bool lower = std::islower(static_cast<unsigned char>(tok.text[0]));
        out += pm ? (lower ? "pm" : "PM") : (lower ? "am" : "AM");
      } else {
        out += pm ? tok.text[2] : tok.text[0];
      }
      break;
    }
    case Kind::ElapsedHour:
    case Kind::ElapsedMinute:
    case Kind::ElapsedSecond: {
      double div = tok.kind == Kind::ElapsedHour ? 3600 : tok.kind == Kind::ElapsedMinute ? 60 : 1;
      auto n = static_cast<long long>(std::floor(totalSeconds / div));
      std::string s = std::to_string(n);
      if (static_cast<int>(s.size()) < tok.count)
        s.insert(0, tok.count - s.size(), '0');
      out += s;
      break;
    }
    case Kind::Digit:
      if (tok.c == '0')
        out += '0';
      break;
    case Kind::Comma:
      out += ',';
      break;
    case Kind::Decimal:
      out += '.';
      break;
    case Kind::Percent:
      out += '%';
      break;
    case Kind::Slash:
      out += '/';
      break;
    default:
      break;
    }
  }
  return out;
}

std::string formatWithSection(const Section &section, double value, bool negativeSign,
                              bool date1904) {
  std::string body;
  if (section.isDate) {
    auto text = formatDate(section, value, date1904);
    if (!text)
      return formatGeneral(value);
    return *text;
  }
  bool general = section.isGeneral;
  if (general) {
    for (const auto &t : section.tokens) {
      if (t.kind == Kind::Literal)
        body += t.text;
      else if (t.kind == Kind::General)
        body += formatGeneral(std::fabs(value));
    }
  } else {
    body = formatNumeric(section, value);
  }
  if (negativeSign && value < 0) {
    // No sign when everything shown rounds to zero.
    bool anyNonZero =
        std::any_of(body.begin(), body.end(), [](char c) { return c >= '1' && c <= '9'; });
    if (anyNonZero)
      body.insert(0, "-");
  }
  return body;
}

} // namespace

struct NumberFormat::Compiled {
  std::vector<Section> sections;
  int textSection = -1;
};

std::string_view builtinNumberFormat(int id) {
  switch (id) {
  case 0:
    return "General";
  case 1:
    return "0";
  case 2:
    return "0.00";
  case 3:
    return "#,##0";
  case 4:
    return "#,##0.00";
  case 5:
    return "\"$\"#,##0_);(\"$\"#,##0)";
  case 6:
    return "\"$\"#,##0_);[Red](\"$\"#,##0)";
  case 7:
    return "\"$\"#,##0.00_);(\"$\"#,##0.00)";
  case 8:
    return "\"$\"#,##0.00_);[Red](\"$\"#,##0.00)";
  case 9:
    return "0%";
  case 10:
    return "0.00%";
  case 11:
    return "0.00E+00";
  case 12:
    return "# ?/?";
  case 13:
    return "# ?\?/??";
  case 14:
    return "m/d/yyyy";
  case 15:
    return "d-mmm-yy";
  case 16:
    return "d-mmm";
  case 17:
    return "mmm-yy";
  case 18:
    return "h:mm AM/PM";
  case 19:
    return "h:mm:ss AM/PM";
  case 20:
    return "h:mm";
  case 21:
    return "h:mm:ss";
  case 22:
    return "m/d/yyyy h:mm";
  case 37:
    return "#,##0_);(#,##0)";
  case 38:
    return "#,##0_);[Red](#,##0)";
  case 39:
    return "#,##0.00_);(#,##0.00)";
  case 40:
    return "#,##0.00_);[Red](#,##0.00)";
  case 41:
    return "_(* #,##0_);_(* \\(#,##0\\);_(* \"-\"_);_(@_)";
  case 42:
    return "_(\"$\"* #,##0_);_(\"$\"* \\(#,##0\\);_(\"$\"* \"-\"_);_(@_)";
  case 43:
    return "_(* #,##0.00_);_(* \\(#,##0.00\\);_(* \"-\"??_);_(@_)";
  case 44:
    return "_(\"$\"* #,##0.00_);_(\"$\"* \\(#,##0.00\\);_(\"$\"* \"-\"??_);_(@_)";
  case 45:
    return "mm:ss";
  case 46:
    return "[h]:mm:ss";
  case 47:
    return "mm:ss.0";
  case 48:
    return "##0.0E+0";
  case 49:
    return "@";
  default:
    return {};
  }
}

std::string formatGeneral(double value, int scientificDigits) {
  if (!std::isfinite(value))
    return "#NUM!";
  if (value == 0)
    return "0";
  double a = std::fabs(value);
  char buf[64];
  if (a >= 1e15 || a < 1e-9) {
    snprintfC(buf, sizeof buf, "%.*E", std::clamp(scientificDigits, 1, 17) - 1, value);
    std::string s = buf;
    size_t e = s.find('E');
    std::string mant = s.substr(0, e), exp = s.substr(e + 1);
    while (mant.back() == '0')
      mant.pop_back();
    if (mant.back() == '.')
      mant.pop_back();
    char sign = exp[0];
    exp = exp.substr(1);
    while (exp.size() > 2 && exp[0] == '0')
      exp.erase(0, 1);
    return mant + "E" + sign + exp;
  }
  snprintfC(buf, sizeof buf, "%.15G", value);
  std::string s = buf;
  if (s.find('E') != std::string::npos) {
    // %G chose an exponent for a small value: print it out in full.
    int decimals = 15 - static_cast<int>(std::floor(std::log10(a))) - 1;
    snprintfC(buf, sizeof buf, "%.*f", std::min(decimals, 30), value);
    s = buf;
  }
  if (s.find('.') != std::string::npos) {
    while (s.back() == '0')
      s.pop_back();
    if (s.back() == '.')
      s.pop_back();
  }
  return s;
}

NumberFormat::NumberFormat(std::string_view code) : compiled_(std::make_unique<Compiled>()) {
  if (code.empty())
    code = "General";
  for (auto part : splitSections(code))
    compiled_->sections.push_back(parseSection(part));
  auto &secs = compiled_->sections;
  if (secs.size() >= 4)
    compiled_->textSection = 3;
  else
    for (size_t i = 0; i < secs.size(); ++i)
      if (secs[i].isText)
        compiled_->textSection = static_cast<int>(i);
}

NumberFormat::~NumberFormat() = default;
NumberFormat::NumberFormat(NumberFormat &&) noexcept = default;
NumberFormat &NumberFormat::operator=(NumberFormat &&) noexcept = default;

bool NumberFormat::isDateTime() const {
  return !compiled_->sections.empty() && compiled_->sections[0].isDate;
}

bool NumberFormat::isGeneral() const {
  const auto &s = compiled_->sections;
  return s.size() == 1 && s[0].isGeneral && s[0].tokens.size() == 1;
}

std::string NumberFormat::format(double value, bool date1904) const {
  const auto &secs = compiled_->sections;
  std::vector<const Section *> numeric;
  for (size_t i = 0; i < secs.size(); ++i)
    if (static_cast<int>(i) != compiled_->textSection || i < 3)
      if (!(secs[i].isText && secs.size() == 1))
        numeric.push_back(&secs[i]);
  if (numeric.empty())
    return formatGeneral(value);
  bool conditional = std::any_of(numeric.begin(), numeric.end(),
                                 [](const Section *s) { return s->condition.has_value(); });
  if (conditional) {
    for (size_t i = 0; i < numeric.size(); ++i) {
      const Section *s = numeric[i];
      if (!s->condition || s->condition->matches(value))
        return formatWithSection(*s, value, s->condition && i == 0 ? false : i == 0, date1904);
    }
    return formatGeneral(value);
  }
  if (value < 0 && numeric.size() >= 2)
    return formatWithSection(*numeric[1], value, false, date1904);
  if (value == 0 && numeric.size() >= 3)
    return formatWithSection(*numeric[2], value, false, date1904);
  return formatWithSection(*numeric[0], value, true, date1904);
}

std::string NumberFormat::formatText(std::string_view text) const {
  if (compiled_->textSection < 0)
    return std::string(text);
  std::string out;
  for (const auto &t : compiled_->sections[compiled_->textSection].tokens) {
    if (t.kind == Kind::Literal)
      out += t.text;
    else if (t.kind == Kind::Text)
      out += text;
  }
  return out;
}

} // namespace brevant
