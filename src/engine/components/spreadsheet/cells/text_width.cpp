#include "engine/components/spreadsheet/cells/text_width.h"

#include "base/strings.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace brevant {
namespace {

// Advance widths of the characters 32 to 126 in font units (2048 to the em).
constexpr int kCalibri[95] = {
    463,  544,  821,  1038, 1038, 1463, 1397, 452,  621,  621,  1038, 1038, 511,  627,  517,  791,
    1038, 1038, 1038, 1038, 1038, 1038, 1038, 1038, 1038, 1038, 548,  548,  1038, 1038, 1038, 941,
    1823, 1185, 1114, 1092, 1260, 1000, 941,  1292, 1276, 516,  653,  1064, 861,  1751, 1322, 1356,
    1058, 1378, 1112, 941,  998,  1314, 1162, 1822, 1063, 998,  959,  631,  791,  631,  1038, 1038,
    587,  981,  1076, 866,  1076, 1019, 625,  964,  1076, 470,  490,  931,  470,  1636, 1076, 1080,
    1076, 1076, 714,  801,  686,  1076, 925,  1464, 887,  927,  809,  712,  948,  712,  1038};
constexpr int kArial[95] = {
    569,  569,  727,  1139, 1139, 1821, 1366, 391,  682,  682,  797,  1196, 569,  682,  569,  569,
    1139, 1139, 1139, 1139, 1139, 1139, 1139, 1139, 1139, 1139, 569,  569,  1196, 1196, 1196, 1139,
    2079, 1366, 1366, 1479, 1479, 1366, 1251, 1593, 1479, 569,  1024, 1366, 1139, 1706, 1479, 1593,
    1366, 1593, 1479, 1366, 1251, 1479, 1366, 1933, 1366, 1366, 1251, 569,  569,  569,  961,  1139,
    682,  1139, 1139, 1024, 1139, 1139, 569,  1139, 1139, 455,  455,  1024, 455,  1706, 1139, 1139,
    1139, 1139, 682,  1024, 569,  1139, 1024, 1479, 1024, 1024, 1024, 684,  532,  684,  1196};

struct Metrics {
  const int *widths = nullptr; // nullptr: every character as wide as a digit
  int digit = 1038;
};

Metrics metricsOf(const CellFont &font) {
  const std::string name = asciiLower(font.name);
  auto has = [&name](std::string_view part) { return name.find(part) != std::string::npos; };
  if (has("mono") || has("courier") || has("consolas") || has("gothic") || has("mincho"))
    return {nullptr, 1229};
  if (has("arial") || has("helvetica") || has("liberation") || has("dejavu") || has("tahoma") ||
      has("verdana") || has("times") || has("cambria"))
    return {kArial, 1139};
  return {kCalibri, 1038};
}

bool isWide(char32_t c) {
  return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) ||
         (c >= 0x3041 && c <= 0x33FF) || (c >= 0x3400 && c <= 0x4DBF) ||
         (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
         (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
         (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
         (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1F64F) ||
         (c >= 0x20000 && c <= 0x3FFFD);
}

bool isZeroWidth(char32_t c) {
  return (c >= 0x0300 && c <= 0x036F) || (c >= 0x200B && c <= 0x200F) ||
         (c >= 0xFE00 && c <= 0xFE0F) || c == 0xFEFF || c == 0x00AD;
}

// The advance of one character in font units.
double advance(char32_t c, const Metrics &m) {
  if (c == '\t')
    c = ' ';
  if (isZeroWidth(c) || c < 0x20)
    return 0;
  if (isWide(c))
    return 2.0 * m.digit;
  if (m.widths == nullptr)
    return m.digit;
  if (c < 0x7F)
    return m.widths[c - 0x20];
  // Accented Latin, Greek and Cyrillic letters: as wide as a plain capital or small letter.
  const bool capital = (c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3A9) ||
                       (c >= 0x400 && c <= 0x42F);
  const bool small =
      (c >= 0xDF && c <= 0x24F) || (c >= 0x3B1 && c <= 0x3C9) || (c >= 0x430 && c <= 0x45F);
  if (capital)
    return m.widths['N' - 0x20];
  if (small)
    return m.widths['n' - 0x20];
  return m.digit;
}

} // namespace

double textWidthInDigits(std::string_view text, const CellFont &font, const CellFont &defaultFont) {
  const Metrics m = metricsOf(font);
  const Metrics base = metricsOf(defaultFont);
  double widest = 0, line = 0;
  for (size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    const size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
    char32_t c = length == 1 ? b : b & (0x7F >> length);
    for (size_t k = 1; k < length && i + k < text.size(); ++k)
      c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    i += length;
    if (c == '\n') {
      widest = std::max(widest, line);
      line = 0;
      continue;
    }
    line += advance(c, m);
  }
  widest = std::max(widest, line);
  // Font units of the cell's font at its size, in digits of the default font at its size.
  double scale = font.size / (defaultFont.size > 0 ? defaultFont.size : 11) / base.digit;
  if (font.bold)
    scale *= 1.05;
  return widest * scale;
}

} // namespace brevant
