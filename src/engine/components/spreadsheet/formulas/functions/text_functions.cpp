// Text: CONCATENATE, CONCAT, TEXTJOIN, LEFT, RIGHT, MID, LEN, UPPER, LOWER, PROPER, TRIM,
// SUBSTITUTE, REPLACE, FIND, SEARCH, REPT, TEXT, VALUE, FIXED, EXACT, CHAR, CODE, T.
//
// Lengths and positions count UTF-16 code units, as the spreadsheet does: a character beyond
// the Basic Multilingual Plane counts two.

#include <cmath>

#include "base/codepage.h"
#include "engine/components/spreadsheet/cells/number_format.h"
#include "engine/components/spreadsheet/formulas/functions/argument_values.h"
#include "engine/components/spreadsheet/formulas/functions/function_families.h"
#include "engine/components/spreadsheet/formulas/functions/rounding.h"
#include "engine/components/spreadsheet/formulas/functions/value_compare.h"
#include "engine/components/spreadsheet/formulas/functions/value_text.h"

namespace brevant::formulas {
namespace {

// The longest text a cell holds.
constexpr size_t kMaxTextLength = 32767;

FormulaValue textResult(std::string text) {
  if (utf8ToUtf16(text).size() > kMaxTextLength)
    return FormulaError::Value;
  return text;
}

FormulaValue concatenate(const FunctionCall &call) {
  std::string out;
  for (size_t i = 0; i < call.size(); ++i) {
    auto t = textArgument(call, i);
    if (!t.ok())
      return t.error();
    out += *t;
  }
  return textResult(std::move(out));
}

// Appends the text of every value forEachValue visits in `value`; the first error stops.
std::optional<FormulaError> appendTexts(FormulaContext &context, const FormulaValue &value,
                                        std::vector<std::string> &texts) {
  std::optional<FormulaError> error;
  forEachValue(context, value, [&](const Scalar &v, Origin) {
    auto t = toText(v);
    if (!t.ok())
      error = t.error();
    else
      texts.push_back(*t);
    return t.ok();
  });
  return error;
}

// The texts of every value of the arguments from `first` on, references and arrays included.
Or<std::vector<std::string>> allTexts(const FunctionCall &call, size_t first) {
  std::vector<std::string> texts;
  for (size_t i = first; i < call.size(); ++i) {
    const FormulaValue &arg = call.argument(i);
    const auto *ref = std::get_if<CellReference>(&arg);
    // Empty cells count as empty texts (TEXTJOIN keeps their delimiters).
    for (size_t a = 0; ref && a < ref->areas.size(); ++a) {
      auto array = toArray(call.context(), CellReference{{ref->areas[a]}});
      if (!array.ok())
        return array.error();
      if (auto error = appendTexts(call.context(), *array, texts))
        return *error;
    }
    if (!ref)
      if (auto error = appendTexts(call.context(), arg, texts))
        return *error;
  }
  return texts;
}

FormulaValue concat(const std::vector<std::string> &texts) {
  std::string out;
  for (const auto &t : texts)
    out += t;
  return textResult(std::move(out));
}

FormulaValue textJoin(const FunctionCall &call) {
  std::vector<std::string> delimiters;
  if (auto error = appendTexts(call.context(), call.argument(0), delimiters))
    return *error;
  if (delimiters.empty())
    delimiters.emplace_back();
  auto ignoreEmpty = booleanArgument(call, 1);
  auto texts = allTexts(call, 2);
  if (auto error = firstError(ignoreEmpty, texts))
    return *error;
  std::string out;
  size_t joined = 0;
  for (const auto &t : *texts) {
    if (*ignoreEmpty && t.empty())
      continue;
    if (joined > 0)
      out += delimiters[(joined - 1) % delimiters.size()];
    out += t;
    ++joined;
  }
  return textResult(std::move(out));
}

// A count of characters from an argument: truncated, #VALUE! when negative.
template <int Fallback> Or<size_t> countArgument(const FunctionCall &call, size_t index) {
  auto n = integerOr<Fallback>(call, index);
  if (!n.ok())
    return n.error();
  if (*n < 0)
    return FormulaError::Value;
  return static_cast<size_t>(std::min(*n, 1e9));
}

// A 1-based position of a character: truncated, #VALUE! below 1.
Or<size_t> positionArgument(const FunctionCall &call, size_t index) {
  auto n = integerArgument(call, index);
  if (!n.ok())
    return n.error();
  if (*n < 1)
    return FormulaError::Value;
  return static_cast<size_t>(std::min(*n, 1e9));
}

template <bool FromLeft> FormulaValue leftOrRight(const std::string &text, size_t n) {
  std::u16string s = utf8ToUtf16(text);
  size_t take = std::min(n, s.size());
  return utf16ToUtf8(FromLeft ? s.substr(0, take) : s.substr(s.size() - take));
}

FormulaValue mid(const std::string &text, size_t start, size_t n) {
  std::u16string s = utf8ToUtf16(text);
  if (start - 1 >= s.size())
    return std::string();
  return utf16ToUtf8(s.substr(start - 1, n));
}

FormulaValue len(const std::string &text) { return static_cast<double>(utf8ToUtf16(text).size()); }

bool isLetter(char16_t c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c != 0xD7 && c != 0xF7);
}

// The first letter of every run of letters in upper case, the rest in lower case.
FormulaValue proper(const std::string &text) {
  std::u16string s = utf8ToUtf16(text);
  bool afterLetter = false;
  for (char16_t &c : s) {
    if (c < 0xD800 || c > 0xDFFF)
      c = static_cast<char16_t>(afterLetter ? lowerChar(c) : upperChar(c));
    afterLetter = isLetter(c);
  }
  return utf16ToUtf8(s);
}

// Spaces (only the ASCII space) removed at both ends and runs of them inside made one.
FormulaValue trim(const std::string &text) {
  std::string out;
  bool pendingSpace = false;
  for (char c : text) {
    if (c == ' ') {
      pendingSpace = !out.empty();
      continue;
    }
    if (pendingSpace)
      out += ' ';
    pendingSpace = false;
    out += c;
  }
  return out;
}

// SUBSTITUTE's instance: every one (0) when it is not given.
Or<size_t> instanceArgument(const FunctionCall &call, size_t index) {
  if (index >= call.size())
    return size_t{0};
  return positionArgument(call, index);
}

FormulaValue substitute(const std::string &text, const std::string &from, const std::string &to,
                        size_t instance) {
  if (from.empty())
    return text;
  std::string out;
  size_t pos = 0;
  size_t seen = 0;
  while (true) {
    size_t hit = text.find(from, pos);
    if (hit == std::string::npos)
      break;
    ++seen;
    out.append(text, pos, hit - pos);
    out += (instance == 0 || seen == instance) ? to : from;
    pos = hit + from.size();
  }
  out.append(text, pos, std::string::npos);
  return textResult(std::move(out));
}

FormulaValue replace(const std::string &text, double start, double count, const std::string &with) {
  if (start < 1 || count < 0)
    return FormulaError::Value;
  std::u16string s = utf8ToUtf16(text);
  size_t from = std::min(static_cast<size_t>(std::min(start, 1e9)) - 1, s.size());
  size_t n = std::min(static_cast<size_t>(std::min(count, 1e9)), s.size() - from);
  s.replace(from, n, utf8ToUtf16(with));
  return textResult(utf16ToUtf8(s));
}

// The 1-based position of the first place from `start` where `match` says the wanted text
// begins; #VALUE! when there is none.
template <class Match>
FormulaValue findWith(const std::u16string &within, double start, size_t minLength, Match match) {
  if (start < 1 || start > static_cast<double>(within.size()) + 1)
    return FormulaError::Value;
  for (auto i = static_cast<size_t>(start) - 1; i + minLength <= within.size(); ++i)
    if (match(i))
      return static_cast<double>(i + 1);
  return FormulaError::Value;
}

FormulaValue find(const std::string &what, const std::string &within, double start) {
  std::u16string w = utf8ToUtf16(what);
  std::u16string s = utf8ToUtf16(within);
  return findWith(s, start, w.size(), [&](size_t i) { return s.compare(i, w.size(), w) == 0; });
}

// SEARCH: without regard to letter case, with the wildcards of criteria.
FormulaValue search(const std::string &what, const std::string &within, double start) {
  WildcardPattern pattern(what + "*");
  std::u16string s = utf8ToUtf16(within);
  return findWith(s, start, 0, [&](size_t i) { return pattern.matches(utf16ToUtf8(s.substr(i))); });
}

FormulaValue rept(const std::string &text, double n) {
  if (n < 0)
    return FormulaError::Value;
  size_t units = utf8ToUtf16(text).size();
  if (units > 0 && n * static_cast<double>(units) > kMaxTextLength)
    return FormulaError::Value;
  std::string out;
  for (double i = 0; i < n && units > 0; ++i)
    out += text;
  return out;
}

// TEXT(value, format): a number (or a text that reads as one) through the number format; any
// other text through the format's text section.
FormulaValue text(const FunctionCall &call, const Scalar &v, const std::string &format) {
  if (const auto *b = std::get_if<bool>(&v))
    return std::string(*b ? "TRUE" : "FALSE");
  auto number = toNumber(v, call.context().date1904());
  if (!number.ok())
    return NumberFormat(format).formatText(std::get<std::string>(v));
  return call.context().formatNumber(*number, format);
}

FormulaValue value(const FunctionCall &call, const Scalar &v) {
  if (std::holds_alternative<bool>(v))
    return FormulaError::Value;
  auto n = toNumber(v, call.context().date1904());
  if (!n.ok())
    return n.error();
  return *n;
}

// The number rounded to `decimals` and written with a period and, unless told otherwise,
// thousands separators.
FormulaValue fixed(double number, double decimals, bool noCommas) {
  if (decimals > 127)
    return FormulaError::Value;
  int places = static_cast<int>(std::max(decimals, -400.0));
  double rounded = roundHalfAway(number, places);
  int shown = std::max(places, 0);
  char buf[512];
  std::snprintf(buf, sizeof buf, "%.*f", std::min(shown, 100), std::fabs(rounded));
  std::string digits = buf;
  size_t point = digits.find('.');
  std::string whole = digits.substr(0, point);
  std::string out;
  if (!noCommas) {
    for (size_t i = 0; i < whole.size(); ++i) {
      if (i > 0 && (whole.size() - i) % 3 == 0)
        out += ',';
      out += whole[i];
    }
  } else {
    out = whole;
  }
  if (point != std::string::npos)
    out += digits.substr(point);
  if (rounded < 0)
    out = "-" + out;
  return out;
}

FormulaValue exact(const std::string &a, const std::string &b) { return a == b; }

// CHAR and CODE use the Windows-1252 code page.
FormulaValue charFunction(double n) {
  if (n < 1 || n > 255)
    return FormulaError::Value;
  return ansiToUtf8(std::string(1, static_cast<char>(static_cast<unsigned char>(n))));
}

FormulaValue code(const std::string &text) {
  if (text.empty())
    return FormulaError::Value;
  size_t n = utf8SequenceLength(text, 0);
  std::string ansi = utf8ToAnsi(text.substr(0, n == 0 ? 1 : n));
  return static_cast<double>(static_cast<unsigned char>(ansi.empty() ? '?' : ansi[0]));
}

FormulaValue t(const Scalar &v) {
  if (const auto *s = std::get_if<std::string>(&v))
    return *s;
  return std::string();
}

FormulaValue upper(const std::string &text) { return upperCase(text); }
FormulaValue lower(const std::string &text) { return lowerCase(text); }

constexpr FunctionSpec kFunctions[] = {
    {"CONCATENATE", 1, 255, concatenate},
    {"CONCAT", 1, 254, withArguments<concat, allTexts>},
    {"TEXTJOIN", 3, 252, textJoin},
    {"LEFT", 1, 2, withArguments<leftOrRight<true>, textArgument, countArgument<1>>},
    {"RIGHT", 1, 2, withArguments<leftOrRight<false>, textArgument, countArgument<1>>},
    {"MID", 3, 3, withArguments<mid, textArgument, positionArgument, countArgument<0>>},
    {"LEN", 1, 1, withArguments<len, textArgument>},
    {"UPPER", 1, 1, withArguments<upper, textArgument>},
    {"LOWER", 1, 1, withArguments<lower, textArgument>},
    {"PROPER", 1, 1, withArguments<proper, textArgument>},
    {"TRIM", 1, 1, withArguments<trim, textArgument>},
    {"SUBSTITUTE", 3, 4,
     withArguments<substitute, textArgument, textArgument, textArgument, instanceArgument>},
    {"REPLACE", 4, 4,
     withArguments<replace, textArgument, integerArgument, integerArgument, textArgument>},
    {"FIND", 2, 3, withArguments<find, textArgument, textArgument, integerOr<1>>},
    {"SEARCH", 2, 3, withArguments<search, textArgument, textArgument, integerOr<1>>},
    {"REPT", 2, 2, withArguments<rept, textArgument, integerArgument>},
    {"TEXT", 2, 2, withArguments<text, valueArgument, textArgument>},
    {"VALUE", 1, 1, withArguments<value, scalarValue>},
    {"FIXED", 1, 3, withArguments<fixed, numberArgument, integerOr<2>, booleanOr<false>>},
    {"EXACT", 2, 2, withArguments<exact, textArgument, textArgument>},
    {"CHAR", 1, 1, withArguments<charFunction, integerArgument>},
    {"CODE", 1, 1, withArguments<code, textArgument>},
    {"T", 1, 1, withArguments<t, valueArgument>},
};

} // namespace

std::span<const FunctionSpec> textFunctions() { return kFunctions; }

} // namespace brevant::formulas
