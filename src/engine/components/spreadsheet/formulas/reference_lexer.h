#pragma once
// The lexing of A1 references shared by everything that reads formula text (the parser and the
// reference shifter), so that both agree on what is a reference: "$B$3", "A1:C4", "E:E", "5:7".
// A reference must end where a name would not go on, so "LOG10(" and "x1" are not references.

#include <cstdint>
#include <optional>
#include <string_view>

#include "engine/components/spreadsheet/cells/cell_address.h"

namespace brevant::reference_lexer {

[[nodiscard]] inline bool isLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
[[nodiscard]] inline bool isDigit(char c) { return c >= '0' && c <= '9'; }
// Characters of names, function names and unquoted sheet names.
[[nodiscard]] inline bool isNameChar(char c) {
  return isLetter(c) || isDigit(c) || c == '_' || c == '.' || c == '\\' || c == '?' ||
         static_cast<unsigned char>(c) >= 0x80;
}

enum class RefKind { Cell, Area, Columns, Rows };

struct RefPart {
  int32_t row = 0, column = 0;
  bool rowAbsolute = false, columnAbsolute = false;
};

struct Ref {
  RefKind kind = RefKind::Cell;
  RefPart a, b; // b only for areas, column and row ranges
  bool deleted = false;
};

// "$AB" at s[i]: the column, or nullopt. Does not look past the letters.
[[nodiscard]] inline bool readColumn(std::string_view s, size_t &i, RefPart &p) {
  size_t j = i;
  bool abs = false;
  if (j < s.size() && s[j] == '$') {
    abs = true;
    ++j;
  }
  int32_t col = 0;
  size_t start = j;
  while (j < s.size() && isLetter(s[j]) && j - start < 4) {
    col = col * 26 + (std::toupper(static_cast<unsigned char>(s[j])) - 'A' + 1);
    ++j;
  }
  if (j == start || j - start > 3 || col > kMaxColumns)
    return false;
  if (j < s.size() && isLetter(s[j]))
    return false;
  p.column = col;
  p.columnAbsolute = abs;
  i = j;
  return true;
}

[[nodiscard]] inline bool readRow(std::string_view s, size_t &i, RefPart &p) {
  size_t j = i;
  bool abs = false;
  if (j < s.size() && s[j] == '$') {
    abs = true;
    ++j;
  }
  int64_t row = 0;
  size_t start = j;
  while (j < s.size() && isDigit(s[j]) && row <= kMaxRows)
    row = row * 10 + (s[j++] - '0');
  if (j == start || row < 1 || row > kMaxRows || (j < s.size() && isDigit(s[j])))
    return false;
  p.row = static_cast<int32_t>(row);
  p.rowAbsolute = abs;
  i = j;
  return true;
}

[[nodiscard]] inline bool readCell(std::string_view s, size_t &i, RefPart &p) {
  size_t j = i;
  RefPart q;
  if (!readColumn(s, j, q) || !readRow(s, j, q))
    return false;
  p = q;
  i = j;
  return true;
}

// A reference must end where a name would not continue.
[[nodiscard]] inline bool endsReference(std::string_view s, size_t i) {
  if (i >= s.size())
    return true;
  char c = s[i];
  return !(isNameChar(c) || c == '(' || c == '[' || c == '!' || c == '$');
}

// Reads a reference at s[i]; on success i is past it.
[[nodiscard]] inline std::optional<Ref> readReference(std::string_view s, size_t &i) {
  Ref r;
  size_t j = i;
  if (readCell(s, j, r.a)) {
    size_t k = j;
    if (k < s.size() && s[k] == ':') {
      ++k;
      RefPart b;
      if (readCell(s, k, b) && endsReference(s, k)) {
        r.kind = RefKind::Area;
        r.b = b;
        i = k;
        return r;
      }
    }
    if (!endsReference(s, j))
      return std::nullopt;
    r.kind = RefKind::Cell;
    i = j;
    return r;
  }
  j = i;
  if (readColumn(s, j, r.a) && j < s.size() && s[j] == ':') {
    size_t k = j + 1;
    if (readColumn(s, k, r.b) && endsReference(s, k)) {
      r.kind = RefKind::Columns;
      i = k;
      return r;
    }
  }
  j = i;
  r = Ref{};
  if (readRow(s, j, r.a) && j < s.size() && s[j] == ':') {
    size_t k = j + 1;
    if (readRow(s, k, r.b) && endsReference(s, k)) {
      r.kind = RefKind::Rows;
      i = k;
      return r;
    }
  }
  return std::nullopt;
}

} // namespace brevant::reference_lexer
