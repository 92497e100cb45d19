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

// The texts of every value of the arguments from `first` on, references and arrays included.
Or<std::vector<std::string>> allTexts(const FunctionCall &call, size_t first) {
  std::vector<std::string> texts;
  std::optional<FormulaError> error;
  for (size_t i = first; i < call.size() && !error; ++i) {
    const FormulaValue &arg = call.argument(i);
    if (const auto *ref = std::get_if<CellReference>(&arg)) {
      // Empty cells count as empty texts (TEXTJOIN keeps their delimiters).
      for (const SheetArea &area : ref->areas) {
        auto array = toArray(call.context(), CellReference{{area}});
        if (!array.ok())
          return array.error();
        for (const Scalar &v : array->values) {
          auto t = toText(v);
          if (!t.ok())
            return t.error();
          texts.push_back(*t);
        }
      }
      continue;
    }
    forEachValue(call.context(), arg, [&](const Scalar &v, Origin) {
      auto t = toText(v);
      if (!t.ok()) {
        error = t.error();
        return false;
      }
      texts.push_back(*t);
      return true;
    });
  }
  if (error)
    return *error;
  return texts;
}

FormulaValue concat(const FunctionCall &call) {
  auto texts = allTexts(call, 0);
  if (!texts.ok())
    return texts.error();
  std::string out;
  for (const auto &t : *texts)
    out += t;
  return textResult(std::move(out));
}

FormulaValue textJoin(const FunctionCall &call) {
  std::vector<std::string> delimiters;
  std::optional<FormulaError> error;
  forEachValue(call.context(), call.argument(0), [&](const Scalar &v, Origin) {
    auto t = toText(v);
    if (!t.ok()) {
      error = t.error();
      return false;
    }
    delimiters.push_back(*t);
    return true;
  });
  if (error)
    return *error;
  if (delimiters.empty())
    delimiters.emplace_back();
  auto ignoreEmpty = booleanArgument(call, 1);
  if (!ignoreEmpty.ok())
    return ignoreEmpty.error();
  auto texts = allTexts(call, 2);
  if (!texts.ok())
    return texts.error();
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
Or<size_t> countArgument(const FunctionCall &call, size_t index, double fallback) {
  auto n = numberArgumentOr(call, index, fallback);
  if (!n.ok())
    return n.error();
  double v = std::trunc(*n);
  if (v < 0)
    return FormulaError::Value;
  return static_cast<size_t>(std::min(v, 1e9));
}

template <bool FromLeft> FormulaValue leftOrRight(const FunctionCall &call) {
  auto text = textArgument(call, 0);
  if (!text.ok())
    return text.error();
  auto n = countArgument(call, 1, 1);
  if (!n.ok())
    return n.error();
  std::u16string s = utf8ToUtf16(*text);
  size_t take = std::min(*n, s.size());
  return utf16ToUtf8(FromLeft ? s.substr(0, take) : s.substr(s.size() - take));
}

FormulaValue mid(const FunctionCall &call) {
  auto text = textArgument(call, 0);
  if (!text.ok())
    return text.error();
  auto start = integerArgument(call, 1);
  if (!start.ok())
    return start.error();
  if (*start < 1)
    return FormulaError::Value;
  auto n = countArgument(call, 2, 0);
  if (!n.ok())
    return n.error();
  std::u16string s = utf8ToUtf16(*text);
  auto from = static_cast<size_t>(std::min(*start, 1e9)) - 1;
  if (from >= s.size())
    return std::string();
  return utf16ToUtf8(s.substr(from, *n));
}

FormulaValue len(const FunctionCall &call) {
  auto text = textArgument(call, 0);
  if (!text.ok())
    return text.error();
  return static_cast<double>(utf8ToUtf16(*text).size());
}

template <std::string (*Convert)(std::string_view)>
FormulaValue caseFunction(const FunctionCall &call) {
  auto text = textArgument(call, 0);
  if (!text.ok())
    return text.error();
  return Convert(*text);
}

bool isLetter(char16_t c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c != 0xD7 && c != 0xF7);
}

// The first letter of every run of letters in upper case, the rest in lower case.
FormulaValue proper(const FunctionCall &call) {
  auto text = textArgument(call, 0);
  if (!text.ok())
    return text.error();
  std::u16string s = utf8ToUtf16(*text);
  bool afterLetter = false;
  for (char16_t &c : s) {
    if (c < 0xD800 || c > 0xDFFF)
      c = static_cast<char16_t>(afterLetter ? lowerChar(c) : upperChar(c));
    afterLetter = isLetter(c);
  }
  return utf16ToUtf8(s);
}

// Spaces (only the ASCII space) removed at both ends and runs of them inside made one.
FormulaValue trim(const FunctionCall &call) {
  auto text = textArgument(call, 0);
  if (!text.ok())
    return text.error();
  std::string out;
  bool pendingSpace = false;
  for (char c : *text) {
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

FormulaValue substitute(const FunctionCall &call) {
  auto text = textArgument(call, 0);
  if (!text.ok())
    return text.error();
  auto from = textArgument(call, 1);
  if (!from.ok())
    return from.error();
  auto to = textArgument(call, 2);
  if (!to.ok())
    return to.error();
  double instance = 0;
  if (call.size() > 3) {
    auto n = integerArgument(call, 3);
    if (!n.ok())
      return n.error();
    if (*n < 1)
      return FormulaError::Value;
    instance = *n;
  }
  if (from->empty())
    return *text;
  std::string out;
  size_t pos = 0;
  double seen = 0;
  while (true) {
    size_t hit = text->find(*from, pos);
    if (hit == std::string::npos)
      break;
    ++seen;
    out.append(*text, pos, hit - pos);
    out += (instance == 0 || seen == instance) ? *to : *from;
    pos = hit + from->size();
  }
  out.append(*text, pos, std::string::npos);
  return textResult(std::move(out));
}

FormulaValue replace(const FunctionCall &call) {
  auto text = textArgument(call, 0);
  if (!text.ok())
    return text.error();
  auto start = integerArgument(call, 1);
  if (!start.ok())
    return start.error();
  auto count = integerArgument(call, 2);
  if (!count.ok())
    return count.error();
  auto with = textArgument(call, 3);
  if (!with.ok())
    return with.error();
  if (*start < 1 || *count < 0)
    return FormulaError::Value;
  std::u16string s = utf8ToUtf16(*text);
  size_t from = std::min(static_cast<size_t>(std::min(*start, 1e9)) - 1, s.size());
  size_t n = std::min(static_cast<size_t>(std::min(*count, 1e9)), s.size() - from);
  s.replace(from, n, utf8ToUtf16(*with));
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

FormulaValue find(const FunctionCall &call) {
  auto what = textArgument(call, 0);
  if (!what.ok())
    return what.error();
  auto within = textArgument(call, 1);
  if (!within.ok())
    return within.error();
  auto start = numberArgumentOr(call, 2, 1);
  if (!start.ok())
    return start.error();
  std::u16string w = utf8ToUtf16(*what);
  std::u16string s = utf8ToUtf16(*within);
  return findWith(s, std::trunc(*start), w.size(),
                  [&](size_t i) { return s.compare(i, w.size(), w) == 0; });
}

// SEARCH: without regard to letter case, with the wildcards of criteria.
FormulaValue search(const FunctionCall &call) {
  auto what = textArgument(call, 0);
  if (!what.ok())
    return what.error();
  auto within = textArgument(call, 1);
  if (!within.ok())
    return within.error();
  auto start = numberArgumentOr(call, 2, 1);
  if (!start.ok())
    return start.error();
  WildcardPattern pattern(*what + "*");
  std::u16string s = utf8ToUtf16(*within);
  return findWith(s, std::trunc(*start), 0,
                  [&](size_t i) { return pattern.matches(utf16ToUtf8(s.substr(i))); });
}

FormulaValue rept(const FunctionCall &call) {
  auto text = textArgument(call, 0);
  if (!text.ok())
    return text.error();
  auto n = integerArgument(call, 1);
  if (!n.ok())
    return n.error();
  if (*n < 0)
    return FormulaError::Value;
  size_t units = utf8ToUtf16(*text).size();
  if (units > 0 && *n * static_cast<double>(units) > kMaxTextLength)
    return FormulaError::Value;
  std::string out;
  for (double i = 0; i < *n && units > 0; ++i)
    out += *text;
  return out;
}

// TEXT(value, format): a number (or a text that reads as one) through the number format; any
// other text through the format's text section.
FormulaValue text(const FunctionCall &call) {
  Scalar v = scalarArgument(call, 0);
  if (const auto *e = std::get_if<FormulaError>(&v))
    return *e;
  auto format = textArgument(call, 1);
  if (!format.ok())
    return format.error();
  if (const auto *b = std::get_if<bool>(&v))
    return std::string(*b ? "TRUE" : "FALSE");
  auto number = toNumber(v, call.context().date1904());
  if (!number.ok())
    return NumberFormat(*format).formatText(std::get<std::string>(v));
  return call.context().formatNumber(*number, *format);
}

FormulaValue value(const FunctionCall &call) {
  Scalar v = scalarArgument(call, 0);
  if (std::holds_alternative<bool>(v))
    return FormulaError::Value;
  auto n = toNumber(v, call.context().date1904());
  if (!n.ok())
    return n.error();
  return *n;
}

// The number rounded to `decimals` and written with a period and, unless told otherwise,
// thousands separators.
FormulaValue fixed(const FunctionCall &call) {
  auto number = numberArgument(call, 0);
  if (!number.ok())
    return number.error();
  auto decimals = numberArgumentOr(call, 1, 2);
  if (!decimals.ok())
    return decimals.error();
  auto noCommas = booleanArgumentOr(call, 2, false);
  if (!noCommas.ok())
    return noCommas.error();
  double d = std::trunc(*decimals);
  if (d > 127)
    return FormulaError::Value;
  int places = static_cast<int>(std::max(d, -400.0));
  double rounded = roundHalfAway(*number, places);
  int shown = std::max(places, 0);
  char buf[512];
  std::snprintf(buf, sizeof buf, "%.*f", std::min(shown, 100), std::fabs(rounded));
  std::string digits = buf;
  size_t point = digits.find('.');
  std::string whole = digits.substr(0, point);
  std::string out;
  if (!*noCommas) {
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

FormulaValue exact(const FunctionCall &call) {
  auto a = textArgument(call, 0);
  if (!a.ok())
    return a.error();
  auto b = textArgument(call, 1);
  if (!b.ok())
    return b.error();
  return *a == *b;
}

// CHAR and CODE use the Windows-1252 code page.
FormulaValue charFunction(const FunctionCall &call) {
  auto n = integerArgument(call, 0);
  if (!n.ok())
    return n.error();
  if (*n < 1 || *n > 255)
    return FormulaError::Value;
  return ansiToUtf8(std::string(1, static_cast<char>(static_cast<unsigned char>(*n))));
}

FormulaValue code(const FunctionCall &call) {
  auto text = textArgument(call, 0);
  if (!text.ok())
    return text.error();
  if (text->empty())
    return FormulaError::Value;
  size_t n = utf8SequenceLength(*text, 0);
  std::string ansi = utf8ToAnsi(text->substr(0, n == 0 ? 1 : n));
  return static_cast<double>(static_cast<unsigned char>(ansi.empty() ? '?' : ansi[0]));
}

FormulaValue t(const FunctionCall &call) {
  Scalar v = scalarArgument(call, 0);
  if (const auto *e = std::get_if<FormulaError>(&v))
    return *e;
  if (const auto *s = std::get_if<std::string>(&v))
    return *s;
  return std::string();
}

std::string lowerCase(std::string_view s) { return foldCase(s); }

constexpr FunctionSpec kFunctions[] = {
    {"CONCATENATE", 1, 255, concatenate},
    {"CONCAT", 1, 254, concat},
    {"TEXTJOIN", 3, 252, textJoin},
    {"LEFT", 1, 2, leftOrRight<true>},
    {"RIGHT", 1, 2, leftOrRight<false>},
    {"MID", 3, 3, mid},
    {"LEN", 1, 1, len},
    {"UPPER", 1, 1, caseFunction<upperCase>},
    {"LOWER", 1, 1, caseFunction<lowerCase>},
    {"PROPER", 1, 1, proper},
    {"TRIM", 1, 1, trim},
    {"SUBSTITUTE", 3, 4, substitute},
    {"REPLACE", 4, 4, replace},
    {"FIND", 2, 3, find},
    {"SEARCH", 2, 3, search},
    {"REPT", 2, 2, rept},
    {"TEXT", 2, 2, text},
    {"VALUE", 1, 1, value},
    {"FIXED", 1, 3, fixed},
    {"EXACT", 2, 2, exact},
    {"CHAR", 1, 1, charFunction},
    {"CODE", 1, 1, code},
    {"T", 1, 1, t},
};

} // namespace

std::span<const FunctionSpec> textFunctions() { return kFunctions; }

} // namespace brevant::formulas
