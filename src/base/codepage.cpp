#include "base/codepage.h"

#include <array>
#include <cstdint>

namespace brevant {
namespace {

// Windows-1252 bytes 0x80..0x9F. The five bytes the code page leaves unassigned map to the C1
// control of the same number, as the Windows conversion does, so that every byte survives a
// round trip.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Decodes one UTF-8 sequence at `i`, advancing it. Returns false (and advances by one byte)
// for a malformed sequence: overlong forms, surrogates and values past U+10FFFF are malformed.
bool decodeUtf8(std::string_view s, size_t &i, char32_t &out) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    out = b0;
    ++i;
    return true;
  }
  int extra;
  char32_t c;
  char32_t min;
  if ((b0 & 0xE0) == 0xC0) {
    extra = 1, c = b0 & 0x1F, min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    extra = 2, c = b0 & 0x0F, min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    extra = 3, c = b0 & 0x07, min = 0x10000;
  } else {
    ++i;
    return false;
  }
  if (s.size() - i <= static_cast<size_t>(extra)) {
    ++i;
    return false;
  }
  for (int k = 1; k <= extra; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) {
      ++i;
      return false;
    }
    c = (c << 6) | (b & 0x3F);
  }
  if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
    ++i;
    return false;
  }
  i += extra + 1;
  out = c;
  return true;
}

} // namespace

void appendUtf8(std::string &out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

size_t utf8SequenceLength(std::string_view text, size_t i) {
  size_t next = i;
  char32_t c;
  return decodeUtf8(text, next, c) ? next - i : 0;
}

std::string repairUtf8(std::string_view text) {
  if (isValidUtf8(text))
    return std::string(text);
  std::string out;
  out.reserve(text.size() + text.size() / 4);
  for (size_t i = 0; i < text.size();) {
    if (const size_t n = utf8SequenceLength(text, i)) {
      out.append(text.substr(i, n));
      i += n;
      continue;
    }
    const auto b = static_cast<unsigned char>(text[i++]);
    appendUtf8(out, b >= 0x80 && b < 0xA0 ? kHighControls[b - 0x80] : b);
  }
  return out;
}

bool isValidUtf8(std::string_view bytes) {
  size_t i = 0;
  char32_t c;
  while (i < bytes.size()) {
    if (!decodeUtf8(bytes, i, c))
      return false;
  }
  return true;
}

std::string utf8ToAnsi(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    char32_t c;
    if (!decodeUtf8(text, i, c)) {
      out += '?';
      continue;
    }
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
      out += static_cast<char>(c);
      continue;
    }
    char mapped = '?';
    for (size_t k = 0; k < kHighControls.size(); ++k) {
      if (kHighControls[k] == c) {
        mapped = static_cast<char>(0x80 + k);
        break;
      }
    }
    out += mapped;
  }
  return out;
}

std::string ansiToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 8);
  for (char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    if (b < 0x80)
      out += ch;
    else if (b < 0xA0)
      appendUtf8(out, kHighControls[b - 0x80]);
    else
      appendUtf8(out, b);
  }
  return out;
}

std::string fileBytesToText(std::string_view bytes) {
  // A byte-order mark is not part of the text (editors on Windows often write one).
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
    bytes.remove_prefix(3);
  if (isValidUtf8(bytes))
    return std::string(bytes);
  return ansiToUtf8(bytes);
}

std::u16string utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  auto append = [&out](char32_t c) {
    if (c < 0x10000) {
      out += static_cast<char16_t>(c);
    } else {
      c -= 0x10000;
      out += static_cast<char16_t>(0xD800 | (c >> 10));
      out += static_cast<char16_t>(0xDC00 | (c & 0x3FF));
    }
  };
  if (!isValidUtf8(text)) {
    for (char ch : text) {
      const auto b = static_cast<unsigned char>(ch);
      append(b >= 0x80 && b < 0xA0 ? kHighControls[b - 0x80] : b);
    }
    return out;
  }
  char32_t c;
  for (size_t i = 0; i < text.size();) {
    decodeUtf8(text, i, c);
    append(c);
  }
  return out;
}

void appendUtf16AsUtf8(std::u16string_view text, std::string &out) {
  for (size_t k = 0; k < text.size(); ++k) {
    char32_t u = text[k];
    if (u >= 0xD800 && u <= 0xDBFF && k + 1 < text.size()) {
      const char32_t low = text[k + 1];
      if (low >= 0xDC00 && low <= 0xDFFF) {
        appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
        ++k;
        continue;
      }
    }
    if (u >= 0xD800 && u <= 0xDFFF)
      u = 0xFFFD;
    appendUtf8(out, u);
  }
}

std::string utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  appendUtf16AsUtf8(text, out);
  return out;
}

namespace {

std::u16string unitsFromLittleEndian(std::string_view bytes) {
  std::u16string units(bytes.size() / 2, u'\0');
  for (size_t k = 0; k < units.size(); ++k)
    units[k] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * k]) |
                                     (static_cast<unsigned char>(bytes[2 * k + 1]) << 8));
  return units;
}

} // namespace

std::string utf8ToUtf16le(std::string_view text) {
  const std::u16string units = utf8ToUtf16(text);
  std::string out;
  out.reserve(units.size() * 2);
  for (char16_t u : units) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>(u >> 8);
  }
  return out;
}

std::string utf16leToUtf8(std::string_view bytes) {
  return utf16ToUtf8(unitsFromLittleEndian(bytes));
}

bool isValidUtf16le(std::string_view bytes) {
  if (bytes.size() % 2 != 0)
    return false;
  const std::u16string units = unitsFromLittleEndian(bytes);
  for (size_t k = 0; k < units.size(); ++k) {
    const char16_t u = units[k];
    if (u >= 0xDC00 && u <= 0xDFFF)
      return false;
    if (u >= 0xD800 && u <= 0xDBFF) {
      if (k + 1 >= units.size() || units[k + 1] < 0xDC00 || units[k + 1] > 0xDFFF)
        return false;
      ++k;
    }
  }
  return true;
}

} // namespace brevant
