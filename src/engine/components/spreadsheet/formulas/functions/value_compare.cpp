#include "engine/components/spreadsheet/formulas/functions/value_compare.h"

#include <algorithm>
#include <cmath>

#include "base/case_folding.h"
#include "base/codepage.h"

namespace brevant::formulas {
namespace {

// Code points of UTF-8 text; a byte that starts no well-formed sequence stands for itself.
std::u32string decode(std::string_view text) {
  std::u32string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    size_t n = utf8SequenceLength(text, i);
    auto b0 = static_cast<unsigned char>(text[i]);
    if (n <= 1) {
      out += static_cast<char32_t>(b0);
      i += n == 0 ? 1 : n;
      continue;
    }
    char32_t c = b0 & (n == 2 ? 0x1F : n == 3 ? 0x0F : 0x07);
    for (size_t k = 1; k < n; ++k)
      c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    out += c;
    i += n;
  }
  return out;
}

} // namespace

char32_t lowerChar(char32_t c) {
  if (c >= 'A' && c <= 'Z')
    return c + 32;
  if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3AB && c != 0x3A2) ||
      (c >= 0x410 && c <= 0x42F))
    return c + 32;
  if (c >= 0x400 && c <= 0x40F)
    return c + 80;
  return c;
}

char32_t upperChar(char32_t c) {
  if (c >= 'a' && c <= 'z')
    return c - 32;
  if ((c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) ||
      (c >= 0x430 && c <= 0x44F))
    return c - 32;
  if (c >= 0x450 && c <= 0x45F)
    return c - 80;
  return c;
}

std::string upperCase(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char32_t c : decode(text))
    appendUtf8(out, upperChar(c));
  return out;
}

std::string lowerCase(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char32_t c : decode(text))
    appendUtf8(out, lowerChar(c));
  return out;
}

// The sort weight of a character: blanks and punctuation first, then digits, then letters.
uint32_t sortWeight(char32_t c) {
  c = foldCase(c);
  if (c >= 0x80 || (c >= 'a' && c <= 'z'))
    return 0x300 + static_cast<uint32_t>(c);
  if (c >= '0' && c <= '9')
    return 0x200 + static_cast<uint32_t>(c);
  return 0x100 + static_cast<uint32_t>(c);
}

int compareText(std::string_view a, std::string_view b) {
  std::u32string x = decode(a);
  std::u32string y = decode(b);
  size_t n = std::min(x.size(), y.size());
  for (size_t i = 0; i < n; ++i) {
    uint32_t wx = sortWeight(x[i]);
    uint32_t wy = sortWeight(y[i]);
    if (wx != wy)
      return wx < wy ? -1 : 1;
  }
  return x.size() < y.size() ? -1 : x.size() > y.size() ? 1 : 0;
}

bool sameValue(const Scalar &a, const Scalar &b) {
  if (a.index() != b.index())
    return false;
  if (const auto *s = std::get_if<std::string>(&a))
    return compareText(*s, std::get<std::string>(b)) == 0;
  return a == b;
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
    return compareText(std::get<std::string>(*x), std::get<std::string>(*y));
  bool p = std::get<bool>(*x), q = std::get<bool>(*y);
  return p == q ? 0 : (p ? 1 : -1);
}

int typeRank(const Scalar &v) {
  if (std::holds_alternative<double>(v))
    return 0;
  if (std::holds_alternative<std::string>(v))
    return 1;
  if (std::holds_alternative<bool>(v))
    return 2;
  return 3;
}

int compareOrdered(const Scalar &a, const Scalar &b) {
  int ra = typeRank(a);
  int rb = typeRank(b);
  if (ra != rb)
    return ra < rb ? -1 : 1;
  if (const auto *x = std::get_if<double>(&a)) {
    double y = std::get<double>(b);
    return *x < y ? -1 : *x > y ? 1 : 0;
  }
  if (const auto *x = std::get_if<std::string>(&a))
    return compareText(*x, std::get<std::string>(b));
  if (const auto *x = std::get_if<bool>(&a)) {
    bool y = std::get<bool>(b);
    return *x == y ? 0 : (*x ? 1 : -1);
  }
  return 0;
}

WildcardPattern::WildcardPattern(std::string_view pattern) {
  std::u32string chars = decode(pattern);
  for (size_t i = 0; i < chars.size(); ++i) {
    char32_t c = chars[i];
    if (c == '~' && i + 1 < chars.size() &&
        (chars[i + 1] == '*' || chars[i + 1] == '?' || chars[i + 1] == '~')) {
      tokensText_ += chars[++i];
      kinds_.push_back(Literal);
    } else if (c == '*' || c == '?') {
      tokensText_ += c;
      kinds_.push_back(c == '*' ? AnyRun : AnyOne);
      hasWildcards_ = true;
    } else {
      tokensText_ += foldCase(c);
      kinds_.push_back(Literal);
    }
  }
}

// The usual greedy match with one backtracking point for the last '*': linear for patterns
// without '*', at worst text length times pattern length.
bool WildcardPattern::matches(std::string_view text) const {
  std::u32string s = decode(text);
  for (char32_t &c : s)
    c = foldCase(c);
  size_t p = 0;
  size_t t = 0;
  size_t starP = std::u32string::npos;
  size_t starT = 0;
  size_t n = kinds_.size();
  while (t < s.size()) {
    if (p < n && kinds_[p] == AnyRun) {
      starP = p++;
      starT = t;
    } else if (p < n && (kinds_[p] == AnyOne || tokensText_[p] == s[t])) {
      ++p;
      ++t;
    } else if (starP != std::u32string::npos) {
      p = starP + 1;
      t = ++starT;
    } else {
      return false;
    }
  }
  while (p < n && kinds_[p] == AnyRun)
    ++p;
  return p == n;
}

} // namespace brevant::formulas
