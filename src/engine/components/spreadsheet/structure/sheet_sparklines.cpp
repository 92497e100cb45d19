#include "engine/components/spreadsheet/structure/sheet_sparklines.h"

#include <algorithm>

#include "engine/components/spreadsheet/io/xml_names.h"

namespace brevant {

namespace {

bool byCell(int32_t rowA, int32_t columnA, int32_t rowB, int32_t columnB) {
  return rowA != rowB ? rowA < rowB : columnA < columnB;
}

} // namespace

void SheetSparklines::measure(Line &line, const std::string &sheet) {
  FormulaReach reach = formulaReach(line.data.text().get(), sheet);
  farReaching_ -= line.farReaching;
  foreign_ -= line.foreign;
  line.farReaching = reach.maxRow > line.row;
  line.foreign = reach.otherSheets;
  farReaching_ += line.farReaching;
  foreign_ += line.foreign;
}

void SheetSparklines::load(pugi::xml_node groups, const std::string &sheet) {
  for (auto group : groups.children())
    for (auto node : child(group, "sparklines").children()) {
      if (localName(node.name()) != "sparkline")
        continue;
      Line line;
      line.node = node;
      line.data = child(node, "f");
      line.location = child(node, "sqref");
      auto cell = parseReference(line.location.text().get());
      if (!line.data || !cell)
        continue;
      line.row = cell->firstRow;
      line.column = cell->firstColumn;
      measure(line, sheet);
      lines_.push_back(line);
    }
  std::stable_sort(lines_.begin(), lines_.end(), [](const Line &a, const Line &b) {
    return byCell(a.row, a.column, b.row, b.column);
  });
}

std::vector<SheetSparklines::Line>::iterator SheetSparklines::firstFrom(int32_t row,
                                                                        int32_t column) {
  return std::lower_bound(lines_.begin(), lines_.end(), std::pair{row, column},
                          [](const Line &l, const std::pair<int32_t, int32_t> &cell) {
                            return byCell(l.row, l.column, cell.first, cell.second);
                          });
}

void SheetSparklines::place(Line &line, int32_t row, int32_t column) {
  line.row = row;
  line.column = column;
  line.location.text().set(cellName(row, column).c_str());
}

void SheetSparklines::shift(const SheetShift &shift, const std::string &sheet) {
  if (lines_.empty())
    return;
  // Rows moving touch the sparklines from the first moved row on, and those above whose data
  // reaches down.
  auto from = shift.columns ? lines_.begin() : firstFrom(shift.at, 1);
  auto shiftData = [&](Line &line) {
    std::string text = line.data.text().get();
    if (shiftFormula(text, sheet, sheet, shift)) {
      line.data.text().set(text.c_str());
      measure(line, sheet);
    }
  };
  if (farReaching_ > 0)
    for (auto it = lines_.begin(); it != from; ++it)
      if (it->farReaching)
        shiftData(*it);
  bool dropped = false;
  for (auto it = from; it != lines_.end(); ++it) {
    CellRect cell{it->row, it->column, it->row, it->column};
    ShiftOutcome outcome = shiftRect(cell, shift);
    if (outcome == ShiftOutcome::Deleted) {
      it->node.parent().remove_child(it->node);
      farReaching_ -= it->farReaching;
      foreign_ -= it->foreign;
      it->node = {};
      dropped = true;
      continue;
    }
    if (outcome == ShiftOutcome::Changed)
      place(*it, cell.firstRow, cell.firstColumn);
    shiftData(*it);
  }
  if (dropped)
    lines_.erase(std::remove_if(from, lines_.end(), [](const Line &l) { return !l.node; }),
                 lines_.end());
  if (!shift.wholeBand())
    std::stable_sort(from, lines_.end(), [](const Line &a, const Line &b) {
      return byCell(a.row, a.column, b.row, b.column);
    });
}

void SheetSparklines::shiftReferencesTo(const std::string &sheet, const std::string &target,
                                        const SheetShift &shift) {
  if (foreign_ == 0)
    return;
  for (Line &line : lines_) {
    if (!line.foreign)
      continue;
    std::string text = line.data.text().get();
    if (shiftFormula(text, sheet, target, shift))
      line.data.text().set(text.c_str());
  }
}

void SheetSparklines::copy(const CellRect &source,
                           const std::vector<std::pair<int32_t, int32_t>> &offsets,
                           const CellRect &clip, const std::string &sheet) {
  std::vector<Line> inSource;
  for (auto it = firstFrom(source.firstRow, 1); it != lines_.end() && it->row <= source.lastRow;
       ++it)
    if (source.contains(it->row, it->column))
      inSource.push_back(*it);
  for (auto [rows, columns] : offsets)
    for (const Line &original : inSource) {
      int32_t row = original.row + rows, column = original.column + columns;
      if (!clip.contains(row, column) || row < 1 || column < 1 || row > kMaxRows ||
          column > kMaxColumns || (rows == 0 && columns == 0))
        continue;
      Line line;
      line.node = original.node.parent().append_copy(original.node);
      line.data = child(line.node, "f");
      line.location = child(line.node, "sqref");
      line.data.text().set(moveFormula(original.data.text().get(), rows, columns).c_str());
      place(line, row, column);
      measure(line, sheet);
      auto at = firstFrom(row, column);
      if (at != lines_.end() && at->row == row && at->column == column) {
        at->node.parent().remove_child(at->node);
        farReaching_ -= at->farReaching;
        foreign_ -= at->foreign;
        *at = line;
      } else {
        lines_.insert(at, line);
      }
    }
}

} // namespace brevant
