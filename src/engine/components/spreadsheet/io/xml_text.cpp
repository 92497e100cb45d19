#include "engine/components/spreadsheet/io/xml_text.h"

#include <cstdint>

namespace brevant {

namespace {

// Windows-1252 code points of the bytes 0x80..0x9F; the rest of the page matches Latin-1.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Length of the valid UTF-8 sequence at text[i], or 0 when the bytes there are not one.
size_t utf8SequenceLength(std::string_view text, size_t i) {
  auto b = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  unsigned char c = b(i);
  if (c < 0x80)
    return 1;
  size_t n;
  char32_t cp;
  if ((c & 0xE0) == 0xC0) {
    n = 2;
    cp = c & 0x1F;
  } else if ((c & 0xF0) == 0xE0) {
    n = 3;
    cp = c & 0x0F;
  } else if ((c & 0xF8) == 0xF0) {
    n = 4;
    cp = c & 0x07;
  } else {
    return 0;
  }
  if (i + n > text.size())
    return 0;
  for (size_t k = 1; k < n; ++k) {
    if ((b(i + k) & 0xC0) != 0x80)
      return 0;
    cp = (cp << 6) | (b(i + k) & 0x3F);
  }
  static constexpr char32_t kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kMin[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
    return 0;
  return n;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

void appendEscape(std::string &out, unsigned value) {
  static const char *digits = "0123456789ABCDEF";
  out += "_x";
  for (int shift = 12; shift >= 0; shift -= 4)
    out += digits[(value >> shift) & 0xF];
  out += '_';
}

bool isEscapeAt(std::string_view text, size_t i) {
  if (i + 7 > text.size() || text[i] != '_' || text[i + 1] != 'x' || text[i + 6] != '_')
    return false;
  for (size_t k = 2; k < 6; ++k)
    if (hexDigit(text[i + k]) < 0)
      return false;
  return true;
}

} // namespace

void appendUtf8(std::string &out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool isValidUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    size_t n = utf8SequenceLength(text, i);
    if (n == 0)
      return false;
    i += n;
  }
  return true;
}

std::string repairUtf8(std::string_view text) {
  if (isValidUtf8(text))
    return std::string(text);
  std::string out;
  out.reserve(text.size() + text.size() / 4);
  for (size_t i = 0; i < text.size();) {
    size_t n = utf8SequenceLength(text, i);
    if (n > 0) {
      out.append(text.substr(i, n));
      i += n;
      continue;
    }
    auto c = static_cast<unsigned char>(text[i++]);
    appendUtf8(out, c >= 0x80 && c < 0xA0 ? kCp1252High[c - 0x80] : c);
  }
  return out;
}

void appendXmlEscaped(std::string &out, std::string_view text) {
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char *rep = nullptr;
    switch (text[i]) {
    case '&':
      rep = "&amp;";
      break;
    case '<':
      rep = "&lt;";
      break;
    case '>':
      rep = "&gt;";
      break;
    case '"':
      rep = "&quot;";
      break;
    default:
      continue;
    }
    out.append(text.substr(start, i - start));
    out += rep;
    start = i + 1;
  }
  out.append(text.substr(start));
}

void appendXstring(std::string &out, std::string_view text) {
  std::string repaired;
  if (!isValidUtf8(text)) {
    repaired = repairUtf8(text);
    text = repaired;
  }
  size_t start = 0;
  auto flush = [&](size_t end) { appendXmlEscaped(out, text.substr(start, end - start)); };
  for (size_t i = 0; i < text.size();) {
    auto c = static_cast<unsigned char>(text[i]);
    if (c == '_' && isEscapeAt(text, i)) {
      // A literal "_xHHHH_" in the text would read back as an escape: escape its underscore.
      flush(i);
      appendEscape(out, '_');
      start = ++i;
      continue;
    }
    if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
      flush(i);
      appendEscape(out, c);
      start = ++i;
      continue;
    }
    if (c == 0xEF && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0xBF &&
        (static_cast<unsigned char>(text[i + 2]) & 0xFE) == 0xBE) {
      // U+FFFE and U+FFFF are not XML characters either.
      flush(i);
      appendEscape(out, 0xFFFE + (static_cast<unsigned char>(text[i + 2]) & 1));
      i += 3;
      start = i;
      continue;
    }
    i += c < 0x80 ? 1 : utf8SequenceLength(text, i);
  }
  flush(text.size());
}

std::string decodeXstring(std::string_view text) {
  if (text.find("_x") == std::string_view::npos)
    return std::string(text);
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    if (isEscapeAt(text, i)) {
      unsigned v = 0;
      for (size_t k = 2; k < 6; ++k)
        v = v * 16 + hexDigit(text[i + k]);
      if (v >= 0xD800 && v <= 0xDFFF)
        v = 0xFFFD;
      appendUtf8(out, v);
      i += 7;
    } else {
      out += text[i++];
    }
  }
  return out;
}

} // namespace brevant
