#include "definition/name_lookup.h"

namespace brevant {

namespace {

// Bytes that do not start a well-formed UTF-8 sequence decode to a value above the Unicode
// range, so that they still compare exactly.
constexpr char32_t kRawByte = 0x110000;

char32_t decode(std::string_view s, size_t &i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char lead = byte(i);
  size_t length = 0;
  char32_t code = 0;
  if (lead < 0x80) {
    ++i;
    return lead;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2;
    code = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    code = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    code = lead & 0x07;
  }
  if (length == 0 || i + length > s.size()) {
    ++i;
    return kRawByte + lead;
  }
  for (size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) {
      ++i;
      return kRawByte + lead;
    }
    code = (code << 6) | (byte(i + k) & 0x3F);
  }
  i += length;
  return code;
}

char32_t foldCase(char32_t c) {
  if (c >= 'A' && c <= 'Z')
    return c + 32;
  if (c < 0xC0)
    return c;
  if (c <= 0xDE && c != 0xD7) // À..Þ without ×
    return c + 32;
  switch (c) {
  case 0x152: // Œ
  case 0x160: // Š
  case 0x17D: // Ž
    return c + 1;
  case 0x178: // Ÿ
    return 0xFF;
  default:
    return c;
  }
}

} // namespace

bool textEquals(std::string_view a, std::string_view b, int mode) {
  if (mode == kBinaryCompare)
    return a == b;
  size_t i = 0;
  size_t j = 0;
  while (i < a.size() && j < b.size()) {
    if (foldCase(decode(a, i)) != foldCase(decode(b, j)))
      return false;
  }
  return i == a.size() && j == b.size();
}

int FindFieldIndex(const std::vector<std::string> &names, std::string_view name, int mode) {
  return FindListItem(names, name, mode);
}

int FindListItem(const std::vector<std::string> &items, std::string_view text, int mode) {
  for (size_t i = 0; i < items.size(); ++i) {
    if (textEquals(items[i], text, mode))
      return static_cast<int>(i);
  }
  return -1;
}

} // namespace brevant
