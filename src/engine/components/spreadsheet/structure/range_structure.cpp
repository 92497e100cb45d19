#include <algorithm>

#include "engine/components/spreadsheet/range.h"
#include "engine/components/spreadsheet/spreadsheet_error.h"
#include "engine/components/spreadsheet/worksheet.h"

namespace brevant {

namespace {

// The spreadsheet's choice when no shift is given: cells move down for a range at least as
// wide as it is tall, right otherwise.
bool shiftsVertically(const CellRect &r, int shift, bool insert) {
  if (shift == 0)
    return r.columnCount() >= r.rowCount();
  if (insert) {
    if (shift == xlDirection::xlDown)
      return true;
    if (shift == xlDirection::xlToRight)
      return false;
    throw SpreadsheetError("Insert shifts cells down (" + std::to_string(xlDirection::xlDown) +
                           ") or right (" + std::to_string(xlDirection::xlToRight) + "), not " +
                           std::to_string(shift) + ".");
  }
  if (shift == xlDirection::xlUp)
    return true;
  if (shift == xlDirection::xlToLeft)
    return false;
  throw SpreadsheetError("Delete shifts cells up (" + std::to_string(xlDirection::xlUp) +
                         ") or left (" + std::to_string(xlDirection::xlToLeft) + "), not " +
                         std::to_string(shift) + ".");
}

SheetShift shiftFor(const CellRect &r, int shift, bool insert) {
  int32_t sign = insert ? 1 : -1;
  if (r.wholeRows())
    return SheetShift::rows(r.firstRow, sign * r.rowCount());
  if (r.wholeColumns())
    return SheetShift::cols(r.firstColumn, sign * r.columnCount());
  if (shiftsVertically(r, shift, insert))
    return SheetShift{false, r.firstRow, sign * r.rowCount(), r.firstColumn, r.lastColumn};
  return SheetShift{true, r.firstColumn, sign * r.columnCount(), r.firstRow, r.lastRow};
}

// Moving only part of a merged area or of an array formula would tear it apart: the
// spreadsheet refuses, and so do we.
void checkWhole(const RectSet &set, const char *what, const SheetShift &s) {
  CellRect moving = s.columns ? CellRect{s.bandFirst, s.at, s.bandLast, kMaxColumns}
                              : CellRect{s.at, s.bandFirst, kMaxRows, s.bandLast};
  for (const auto &m : set.overlapping(moving)) {
    bool inside = s.columns ? m.firstRow >= s.bandFirst && m.lastRow <= s.bandLast
                            : m.firstColumn >= s.bandFirst && m.lastColumn <= s.bandLast;
    int32_t first = s.columns ? m.firstColumn : m.firstRow;
    int32_t last = s.columns ? m.lastColumn : m.lastRow;
    // Within the band the area must be moved or deleted whole, never cut.
    bool cut = s.count > 0 ? first < s.at && s.at <= last
                           : first <= s.at - s.count - 1 && last >= s.at &&
                                 (first < s.at || last > s.at - s.count - 1);
    if (!inside || cut)
      throw SpreadsheetError(std::string("The cells cannot be moved: that would change part of ") +
                             what + formatAddress(m, false, false) + ".");
  }
}

void checkMerges(Worksheet &sheet, const SheetShift &s) {
  if (s.wholeBand())
    return;
  checkWhole(sheet.mergedCells(), "the merged cells ", s);
  if (!sheet.arrayRanges().empty())
    checkWhole(sheet.arrayRanges(), "the array formula in ", s);
}

} // namespace

void Range::Insert(int shift) {
  SheetShift s = shiftFor(rect_, shift, true);
  checkMerges(*sheet_, s);
  sheet_->shiftCells(s);
}

void Range::Delete(int shift) {
  SheetShift s = shiftFor(rect_, shift, false);
  checkMerges(*sheet_, s);
  sheet_->shiftCells(s);
}

void Range::AutoFill(const Range &destination, int type) {
  if (type != xlAutoFillType::xlFillCopy && type != 0)
    throw SpreadsheetError("AutoFill repeats the source block (fill type " +
                           std::to_string(xlAutoFillType::xlFillCopy) + "); the fill type " +
                           std::to_string(type) + " is not supported.");
  if (&destination.Parent() != sheet_)
    throw SpreadsheetError("AutoFill fills a range on the source's own sheet.");
  const CellRect &src = rect_, &dst = destination.rect();
  bool sameColumns = dst.firstColumn == src.firstColumn && dst.lastColumn == src.lastColumn;
  bool sameRows = dst.firstRow == src.firstRow && dst.lastRow == src.lastRow;
  bool contains = dst.firstRow <= src.firstRow && dst.lastRow >= src.lastRow &&
                  dst.firstColumn <= src.firstColumn && dst.lastColumn >= src.lastColumn;
  if (!contains || !(sameColumns || sameRows))
    throw SpreadsheetError("The destination of AutoFill (" + destination.Address(false, false) +
                           ") must contain the source " + Address(false, false) +
                           " and extend it in one direction.");
  std::vector<std::pair<int32_t, int32_t>> offsets;
  if (sameColumns) {
    const int32_t e = src.rowCount();
    int32_t before = (src.firstRow - dst.firstRow + e - 1) / e;
    int32_t after = (dst.lastRow - src.lastRow + e - 1) / e;
    for (int32_t k = 1; k <= after; ++k)
      offsets.emplace_back(k * e, 0);
    for (int32_t k = 1; k <= before; ++k)
      offsets.emplace_back(-k * e, 0);
  } else {
    const int32_t e = src.columnCount();
    int32_t before = (src.firstColumn - dst.firstColumn + e - 1) / e;
    int32_t after = (dst.lastColumn - src.lastColumn + e - 1) / e;
    for (int32_t k = 1; k <= after; ++k)
      offsets.emplace_back(0, k * e);
    for (int32_t k = 1; k <= before; ++k)
      offsets.emplace_back(0, -k * e);
  }
  sheet_->copyBlockTo(src, offsets, dst);
}

void Range::Copy(const Range &destination) {
  if (&destination.Parent() != sheet_)
    throw SpreadsheetError("Copy puts the block on the source's own sheet.");
  int32_t rows = destination.Row() - rect_.firstRow;
  int32_t columns = destination.Column() - rect_.firstColumn;
  if (int64_t(rect_.lastRow) + rows > kMaxRows || int64_t(rect_.lastColumn) + columns > kMaxColumns)
    throw SpreadsheetError("The copy of " + Address(false, false) + " at " +
                           destination.Address(false, false) + " would reach past the sheet.");
  sheet_->copyBlock(rect_, rows, columns);
}

void Range::setPageBreak(int type) {
  bool column = rect_.wholeColumns() && !rect_.wholeRows();
  int32_t position = column ? rect_.firstColumn : rect_.firstRow;
  if (type == xlPageBreak::xlPageBreakManual)
    sheet_->setPageBreak(column, position, true);
  else if (type == xlPageBreak::xlPageBreakNone)
    sheet_->setPageBreak(column, position, false);
  else
    throw SpreadsheetError("A page break is manual (" +
                           std::to_string(xlPageBreak::xlPageBreakManual) + ") or none (" +
                           std::to_string(xlPageBreak::xlPageBreakNone) + "), not " +
                           std::to_string(type) + ".");
}

int Range::PageBreak() const {
  bool column = rect_.wholeColumns() && !rect_.wholeRows();
  const auto &list = column ? sheet_->columnBreaks() : sheet_->rowBreaks();
  int32_t position = column ? rect_.firstColumn : rect_.firstRow;
  return std::binary_search(list.begin(), list.end(), position) ? xlPageBreak::xlPageBreakManual
                                                                : xlPageBreak::xlPageBreakNone;
}

Range Range::EntireRow() const {
  return Range(*sheet_, CellRect{rect_.firstRow, 1, rect_.lastRow, kMaxColumns});
}

Range Range::EntireColumn() const {
  return Range(*sheet_, CellRect{1, rect_.firstColumn, kMaxRows, rect_.lastColumn});
}

Range Range::MergeArea() const {
  if (const CellRect *m = sheet_->mergedCells().containing(rect_.firstRow, rect_.firstColumn))
    return Range(*sheet_, *m);
  return Range(*sheet_,
               CellRect{rect_.firstRow, rect_.firstColumn, rect_.firstRow, rect_.firstColumn});
}

bool Range::MergeCells() const {
  return sheet_->mergedCells().containing(rect_.firstRow, rect_.firstColumn) != nullptr;
}

void Range::Merge() { sheet_->merge(rect_); }

void Range::UnMerge() { sheet_->mergedCells().removeOverlapping(rect_); }

double Range::Left() const { return sheet_->columnLeft(rect_.firstColumn); }

double Range::Top() const { return sheet_->rowTop(rect_.firstRow); }

double Range::Width() const {
  if (rect_.lastColumn >= kMaxColumns)
    return sheet_->columnLeft(kMaxColumns) + sheet_->columnWidthPoints(kMaxColumns) -
           sheet_->columnLeft(rect_.firstColumn);
  return sheet_->columnLeft(rect_.lastColumn + 1) - sheet_->columnLeft(rect_.firstColumn);
}

double Range::Height() const {
  if (rect_.lastRow >= kMaxRows)
    return sheet_->rowTop(kMaxRows) + sheet_->rowHeight(kMaxRows) - sheet_->rowTop(rect_.firstRow);
  return sheet_->rowTop(rect_.lastRow + 1) - sheet_->rowTop(rect_.firstRow);
}

} // namespace brevant
