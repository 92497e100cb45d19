#include "base/case_folding.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "base/codepage.h"

namespace brevant {

namespace {

struct Folding {
  char32_t from;
  char32_t to;
};

constexpr Folding kFoldings[] = {
#include "base/case_folding_table.inc"
};

static_assert(std::is_sorted(std::begin(kFoldings), std::end(kFoldings),
                             [](const Folding &a, const Folding &b) { return a.from < b.from; }));

// Bytes that do not start a well-formed sequence decode to values past the Unicode range, so
// that they only ever equal themselves.
constexpr char32_t kRawByte = 0x110000;

char32_t decodeAt(std::string_view s, size_t &i) {
  const auto lead = static_cast<unsigned char>(s[i]);
  if (lead < 0x80) {
    ++i;
    return lead;
  }
  const size_t length = utf8SequenceLength(s, i);
  if (length == 0) {
    ++i;
    return kRawByte + lead;
  }
  char32_t code = lead & (0x7F >> length);
  for (size_t k = 1; k < length; ++k)
    code = (code << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
  i += length;
  return code;
}

} // namespace

char32_t foldCase(char32_t c) {
  if (c < 0x80)
    return c >= 'A' && c <= 'Z' ? c + 32 : c;
  auto it = std::lower_bound(std::begin(kFoldings), std::end(kFoldings), c,
                             [](const Folding &f, char32_t v) { return f.from < v; });
  return it != std::end(kFoldings) && it->from == c ? it->to : c;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size())
    if (foldCase(decodeAt(a, i)) != foldCase(decodeAt(b, j)))
      return false;
  return i == a.size() && j == b.size();
}

std::string caseFolded(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const size_t start = i;
    const char32_t c = decodeAt(text, i);
    if (c >= kRawByte)
      out += text[start];
    else
      appendUtf8(out, foldCase(c));
  }
  return out;
}

} // namespace brevant
