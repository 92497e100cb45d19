#include "engine/components/spreadsheet/io/xml_text.h"

#include "base/strings.h"

#include <cstdint>

namespace brevant {

namespace {

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
    if (hexDigitValue(text[i + k]) < 0)
      return false;
  return true;
}

} // namespace

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
    // XML readers turn a raw carriage return into a line feed, so it travels as an escape too.
    if (c < 0x20 && c != '\t' && c != '\n') {
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
        v = v * 16 + hexDigitValue(text[i + k]);
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
