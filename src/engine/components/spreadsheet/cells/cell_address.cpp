#include "engine/components/spreadsheet/cells/cell_address.h"

#include "base/strings.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace brevant {

namespace {

// One part of a reference chain: a cell, a column (row 0) or a row (column 0).
struct RefPart {
  int32_t row = 0;
  int32_t column = 0;
};

std::optional<RefPart> parsePart(std::string_view s) {
  size_t i = 0;
  if (i < s.size() && s[i] == '$')
    ++i;
  size_t letters = i;
  while (i < s.size() && std::isalpha(static_cast<unsigned char>(s[i])))
    ++i;
  std::string_view columnText = s.substr(letters, i - letters);
  bool dollarBeforeRow = false;
  if (i < s.size() && s[i] == '$') {
    dollarBeforeRow = true;
    ++i;
  }
  size_t digits = i;
  while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
    ++i;
  std::string_view rowText = s.substr(digits, i - digits);
  if (i != s.size() || (columnText.empty() && rowText.empty()))
    return std::nullopt;
  // "$5" is a row, "$E$" is nothing, "$$5" is nothing.
  if (columnText.empty() && letters != 0 && dollarBeforeRow)
    return std::nullopt;
  if (!columnText.empty() && rowText.empty() && dollarBeforeRow)
    return std::nullopt;
  RefPart part;
  if (!columnText.empty()) {
    auto c = columnNumber(columnText);
    if (!c)
      return std::nullopt;
    part.column = *c;
  }
  if (!rowText.empty()) {
    if (rowText.size() > 7 || rowText[0] == '0')
      return std::nullopt;
    int32_t r = 0;
    for (char ch : rowText)
      r = r * 10 + (ch - '0');
    if (r < 1 || r > kMaxRows)
      return std::nullopt;
    part.row = r;
  }
  return part;
}

bool plainSheetNameChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.' ||
         static_cast<unsigned char>(c) >= 0x80;
}

} // namespace

std::string columnName(int32_t column) {
  std::string name;
  while (column > 0) {
    int32_t rem = (column - 1) % 26;
    name.insert(name.begin(), static_cast<char>('A' + rem));
    column = (column - 1) / 26;
  }
  return name;
}

std::optional<int32_t> columnNumber(std::string_view letters) {
  if (letters.empty() || letters.size() > 3)
    return std::nullopt;
  int32_t n = 0;
  for (char c : letters) {
    if (!std::isalpha(static_cast<unsigned char>(c)))
      return std::nullopt;
    n = n * 26 + (std::toupper(static_cast<unsigned char>(c)) - 'A' + 1);
  }
  if (n > kMaxColumns)
    return std::nullopt;
  return n;
}

std::string cellName(int32_t row, int32_t column) {
  return columnName(column) + std::to_string(row);
}

std::optional<CellRect> parseReference(std::string_view text) {
  text = trimmed(text, " \t");
  if (text.empty())
    return std::nullopt;
  std::vector<RefPart> parts;
  size_t start = 0;
  while (true) {
    size_t colon = text.find(':', start);
    auto part =
        parsePart(text.substr(start, colon == std::string_view::npos ? text.npos : colon - start));
    if (!part)
      return std::nullopt;
    parts.push_back(*part);
    if (colon == std::string_view::npos)
      break;
    start = colon + 1;
  }
  // Whole columns and whole rows come in pairs and are not mixed with cells, as in the
  // spreadsheet's own reference syntax.
  bool anyColumn = false, anyRow = false, anyCell = false;
  for (const auto &p : parts) {
    anyColumn |= p.row == 0;
    anyRow |= p.column == 0;
    anyCell |= p.row != 0 && p.column != 0;
  }
  if (int(anyColumn) + int(anyRow) + int(anyCell) != 1)
    return std::nullopt;
  if ((anyColumn || anyRow) && parts.size() < 2)
    return std::nullopt;
  CellRect rect{kMaxRows, kMaxColumns, 1, 1};
  for (const auto &p : parts) {
    int32_t r1 = p.row ? p.row : 1, r2 = p.row ? p.row : kMaxRows;
    int32_t c1 = p.column ? p.column : 1, c2 = p.column ? p.column : kMaxColumns;
    rect.firstRow = std::min(rect.firstRow, r1);
    rect.lastRow = std::max(rect.lastRow, r2);
    rect.firstColumn = std::min(rect.firstColumn, c1);
    rect.lastColumn = std::max(rect.lastColumn, c2);
  }
  return rect;
}

std::optional<QualifiedReference> splitSheetName(std::string_view text) {
  text = trimmed(text, " \t");
  QualifiedReference result;
  if (!text.empty() && text[0] == '\'') {
    std::string name;
    size_t i = 1;
    for (;; ++i) {
      if (i >= text.size())
        return std::nullopt;
      if (text[i] == '\'') {
        if (i + 1 < text.size() && text[i + 1] == '\'') {
          name += '\'';
          ++i;
          continue;
        }
        break;
      }
      name += text[i];
    }
    if (name.empty() || i + 1 >= text.size() || text[i + 1] != '!')
      return std::nullopt;
    result.sheetName = std::move(name);
    result.reference = text.substr(i + 2);
    return result;
  }
  size_t bang = text.rfind('!');
  if (bang == std::string_view::npos) {
    result.reference = text;
    return result;
  }
  if (bang == 0)
    return std::nullopt;
  result.sheetName = std::string(text.substr(0, bang));
  result.reference = text.substr(bang + 1);
  return result;
}

std::string formatAddress(const CellRect &rect, bool rowAbsolute, bool columnAbsolute) {
  const char *rd = rowAbsolute ? "$" : "";
  const char *cd = columnAbsolute ? "$" : "";
  // The whole sheet reads as rows ("$1:$1048576"), as the spreadsheet writes it.
  if (rect.wholeRows()) {
    return rd + std::to_string(rect.firstRow) + ":" + rd + std::to_string(rect.lastRow);
  }
  if (rect.wholeColumns()) {
    return cd + columnName(rect.firstColumn) + ":" + cd + columnName(rect.lastColumn);
  }
  std::string first = cd + columnName(rect.firstColumn) + rd + std::to_string(rect.firstRow);
  if (rect.rowCount() == 1 && rect.columnCount() == 1)
    return first;
  return first + ":" + cd + columnName(rect.lastColumn) + rd + std::to_string(rect.lastRow);
}

std::string quoteSheetName(std::string_view name) {
  bool plain = !name.empty() && !std::isdigit(static_cast<unsigned char>(name[0])) &&
               std::all_of(name.begin(), name.end(), plainSheetNameChar) && !parseReference(name) &&
               name.find('.') == std::string_view::npos;
  // Names such as "R1C1" or "A1" read as references; anything that parses is quoted above.
  if (plain)
    return std::string(name);
  std::string quoted = "'";
  for (char c : name) {
    quoted += c;
    if (c == '\'')
      quoted += '\'';
  }
  return quoted + "'";
}

} // namespace brevant
