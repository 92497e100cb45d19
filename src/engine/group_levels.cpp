#include "engine/group_levels.h"

#include "engine/components/database/recordset.h"
#include "engine/components/spreadsheet/worksheet.h"
#include "engine/numeric_text.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <optional>

namespace brevant {
namespace {

FillError groupError(const std::string &detail) {
  return FillError("Syntax error. Failed to parse group.", detail);
}

CellRect cover(CellRect rect, const FillField &cell) {
  rect.firstRow = std::min(rect.firstRow, cell.row);
  rect.lastRow = std::max(rect.lastRow, cell.row);
  rect.firstColumn = std::min(rect.firstColumn, cell.column);
  rect.lastColumn = std::max(rect.lastColumn, cell.column);
  return rect;
}

CellRect rectOf(const std::vector<int> &indexes, const std::vector<FillField> &positions) {
  CellRect rect{kMaxRows, kMaxColumns, 1, 1};
  for (const int i : indexes)
    rect = cover(rect, positions[size_t(i)]);
  return rect;
}

bool holds(const CellRect &outer, const CellRect &inner) {
  return inner.firstRow >= outer.firstRow && inner.lastRow <= outer.lastRow &&
         inner.firstColumn >= outer.firstColumn && inner.lastColumn <= outer.lastColumn;
}

CellRect groupRange(Worksheet &sheet, const std::string &text, const CellRect &cells, int group) {
  CellRect range;
  try {
    const Range r = sheet.Range(text);
    range = CellRect{r.Row(), r.Column(), r.Row() + r.Rows().Count() - 1,
                     r.Column() + r.Columns().Count() - 1};
  } catch (const std::exception &e) {
    throw FillError("Syntax error. Failed to parse grouprange.", e.what());
  }
  if (!holds(range, cells))
    throw FillError("The grouprange of group" + std::to_string(group) + " should be " +
                        formatAddress(cells, false, false) + ".",
                    "");
  return range;
}

std::optional<double> numberOf(const Variant &v) {
  if (const auto *i = std::get_if<int64_t>(&v))
    return double(*i);
  if (const auto *d = std::get_if<double>(&v))
    return *d;
  if (const auto *b = std::get_if<bool>(&v))
    return *b ? -1.0 : 0.0;
  if (const auto *dec = std::get_if<DecimalValue>(&v))
    return numericValue(dec->text);
  return std::nullopt;
}

} // namespace

std::vector<int> groupFieldIndexes(const std::vector<std::string> &entries, Fields &fields,
                                   int group) {
  return fieldListIndexes(entries, fields, groupError, [group](const std::string &entry) {
    return FillError("Syntax error. Failed to parse group " + std::to_string(group) + ".",
                     "Can not find field \"" + entry + "\".");
  });
}

std::vector<GroupLevel> buildGroupLevels(Worksheet &sheet, const FunctionSettings &settings,
                                         const std::vector<FillField> &positions, Fields &fields) {
  const int groups = std::min<int>(settings.groupCount, kMaxGroupLevels);
  std::vector<GroupLevel> levels(size_t(groups) + 1);
  for (int g = 0; g < groups; ++g) {
    const auto &entries = settings.groupFields[size_t(g)];
    const size_t listed =
        std::min(entries.size(), size_t(std::max<int16_t>(settings.groupFieldCount[size_t(g)], 0)));
    levels[size_t(g)].breakFields = groupFieldIndexes(
        std::vector<std::string>(entries.begin(), entries.begin() + long(listed)), fields, g + 1);
  }
  // A field named by more than one group belongs to the outermost of them.
  std::vector<int> levelOf(positions.size(), groups);
  for (int g = groups - 1; g >= 0; --g)
    for (const int i : levels[size_t(g)].breakFields)
      levelOf[size_t(i)] = g;
  for (size_t i = 0; i < positions.size(); ++i)
    levels[size_t(levelOf[i])].fields.push_back(int(i));

  // The detail block. With every field in a group it is the cells of the innermost group that
  // has fields, so that each further record still gets a block of its own; a statement without
  // fields has the first CELL entry's cell.
  GroupLevel &detail = levels.back();
  std::vector<int> detailCells = detail.fields;
  for (int g = groups - 1; detailCells.empty() && g >= 0; --g)
    detailCells = levels[size_t(g)].fields;
  CellRect block;
  if (!detailCells.empty()) {
    block = rectOf(detailCells, positions);
  } else {
    const Range first = sheet.Range(settings.targets.front());
    block = CellRect{first.Row(), first.Column(), first.Row(), first.Column()};
  }
  if (!settings.rangeText.empty())
    block = blockWithinRange(sheet, settings.rangeText, block);
  detail.block = block;

  for (int g = groups - 1; g >= 0; --g) {
    CellRect cells = levels[size_t(g) + 1].block;
    for (const int i : levels[size_t(g)].fields)
      cells = cover(cells, positions[size_t(i)]);
    const std::string &range = settings.groupRanges[size_t(g)];
    levels[size_t(g)].block = range.empty() ? cells : groupRange(sheet, range, cells, g + 1);
  }
  return levels;
}

bool sameGroupValue(const Variant &a, const Variant &b) {
  if (isNull(a) || isNull(b))
    return true;
  const auto x = numberOf(a);
  const auto y = numberOf(b);
  if (x && y)
    return *x == *y;
  return a == b;
}

} // namespace brevant
