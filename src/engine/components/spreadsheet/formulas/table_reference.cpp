#include "engine/components/spreadsheet/formulas/table_reference.h"

#include "base/case_folding.h"

namespace brevant {

namespace {

// The items of "[#Headers],[A]:[B]" ("#Headers", "A", ":", "B"), or the one item of "A".
std::vector<std::string> items(std::string_view spec) {
  std::vector<std::string> out;
  auto unescape = [](std::string_view s) {
    std::string t;
    for (size_t i = 0; i < s.size(); ++i) {
      if (s[i] == '\'' && i + 1 < s.size())
        ++i;
      t += s[i];
    }
    return t;
  };
  size_t i = 0;
  while (i < spec.size() && spec[i] == ' ')
    ++i;
  if (i >= spec.size() || spec[i] != '[') {
    out.push_back(unescape(spec));
    return out;
  }
  while (i < spec.size()) {
    char c = spec[i];
    if (c == '[') {
      size_t j = i + 1;
      while (j < spec.size() && spec[j] != ']') {
        if (spec[j] == '\'')
          ++j;
        ++j;
      }
      out.push_back(unescape(spec.substr(i + 1, j - i - 1)));
      i = j + 1;
    } else if (c == ':') {
      out.emplace_back(":");
      ++i;
    } else {
      ++i;
    }
  }
  return out;
}

std::optional<int32_t> columnIndex(const TableLayout &t, std::string_view name) {
  for (size_t i = 0; i < t.columns.size(); ++i)
    if (equalsIgnoringCase(t.columns[i], name))
      return t.ref.firstColumn + static_cast<int32_t>(i);
  return std::nullopt;
}

} // namespace

std::optional<CellRect> resolveTableReference(const TableLayout &table, std::string_view spec,
                                              int32_t hostRow) {
  const CellRect &all = table.ref;
  const int32_t dataFirst = all.firstRow + table.headerRows;
  const int32_t dataLast = all.lastRow - table.totalsRows;
  int32_t firstRow = 0, lastRow = -1;
  int32_t firstColumn = 0, lastColumn = -1;
  bool pendingRange = false;
  auto rows = [&](int32_t a, int32_t b) {
    if (a > b)
      return;
    if (lastRow < firstRow) {
      firstRow = a;
      lastRow = b;
    } else {
      firstRow = std::min(firstRow, a);
      lastRow = std::max(lastRow, b);
    }
  };
  for (const std::string &item : items(spec)) {
    if (item == ":") {
      pendingRange = true;
      continue;
    }
    if (!item.empty() && item[0] == '#') {
      if (equalsIgnoringCase(item, "#All"))
        rows(all.firstRow, all.lastRow);
      else if (equalsIgnoringCase(item, "#Data"))
        rows(dataFirst, dataLast);
      else if (equalsIgnoringCase(item, "#Headers"))
        rows(all.firstRow, dataFirst - 1);
      else if (equalsIgnoringCase(item, "#Totals"))
        rows(dataLast + 1, all.lastRow);
      else if (equalsIgnoringCase(item, "#This Row")) {
        if (hostRow < dataFirst || hostRow > dataLast)
          return std::nullopt;
        rows(hostRow, hostRow);
      } else {
        return std::nullopt;
      }
      continue;
    }
    std::string_view name = item;
    bool thisRow = !name.empty() && name[0] == '@';
    if (thisRow) {
      name.remove_prefix(1);
      if (hostRow < dataFirst || hostRow > dataLast)
        return std::nullopt;
      rows(hostRow, hostRow);
    }
    if (name.empty())
      continue;
    auto column = columnIndex(table, name);
    if (!column)
      return std::nullopt;
    if (pendingRange && lastColumn >= firstColumn) {
      firstColumn = std::min(firstColumn, *column);
      lastColumn = std::max(lastColumn, *column);
    } else {
      firstColumn = lastColumn = *column;
    }
    pendingRange = false;
  }
  if (lastRow < firstRow)
    rows(dataFirst, dataLast);
  if (lastColumn < firstColumn) {
    firstColumn = all.firstColumn;
    lastColumn = all.lastColumn;
  }
  if (lastRow < firstRow)
    return std::nullopt;
  return CellRect{firstRow, firstColumn, lastRow, lastColumn};
}

} // namespace brevant
