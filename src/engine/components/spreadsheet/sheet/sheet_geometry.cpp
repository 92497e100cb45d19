// Cell positions in points. Column widths are stored in characters of the default font's
// widest digit (with the cell padding included); the spreadsheet turns them into whole pixels
// and a pixel is 0.75 point at the 96 dpi it lays sheets out in.

#include "engine/components/spreadsheet/sheet/sheet_geometry.h"

#include <algorithm>
#include <cmath>

namespace brevant {

namespace {

constexpr double kPointsPerPixel = 0.75;

double widthToPixels(double width, int mdw) {
  if (width <= 0)
    return 0;
  return std::trunc(((256 * width + std::trunc(128.0 / mdw)) / 256) * mdw);
}

} // namespace

int SheetGeometry::mdw() { return 7; } // the widest digit of 11-point Calibri, the default font

void SheetGeometry::setColumns(std::vector<ColumnInfo> columns) {
  columns_ = std::move(columns);
  columnLefts_.clear();
}

double SheetGeometry::columnWidth(int32_t column) const {
  for (const auto &c : columns_)
    if (column >= c.first && column <= c.last && c.width >= 0)
      return c.width;
  return defaults_.columnWidth;
}

bool SheetGeometry::columnHidden(int32_t column) const {
  for (const auto &c : columns_)
    if (column >= c.first && column <= c.last)
      return c.hidden;
  return false;
}

uint32_t SheetGeometry::columnStyle(int32_t column) const {
  for (const auto &c : columns_)
    if (column >= c.first && column <= c.last)
      return c.style;
  return 0;
}

double SheetGeometry::rowHeight(const CellStore &cells, int32_t row) const {
  const Row *r = cells.row(row);
  if (r && r->hidden)
    return 0;
  if (r && r->height >= 0)
    return r->height;
  return defaults_.rowHeight;
}

double SheetGeometry::rowTop(const CellStore &cells, int32_t row) {
  row = std::clamp(row, 1, kMaxRows);
  const int32_t stored = cells.rowCount() + 1;
  const int32_t need = std::min(row, stored);
  if (rowTops_.size() < static_cast<size_t>(stored))
    rowTops_.resize(static_cast<size_t>(stored));
  if (rowTopsValid_ < 1) {
    rowTops_[0] = 0;
    rowTopsValid_ = 1;
  }
  for (int32_t r = rowTopsValid_ + 1; r <= need; ++r)
    rowTops_[static_cast<size_t>(r - 1)] =
        rowTops_[static_cast<size_t>(r - 2)] + rowHeight(cells, r - 1);
  rowTopsValid_ = std::max(rowTopsValid_, need);
  if (row <= stored)
    return rowTops_[static_cast<size_t>(row - 1)];
  return rowTops_[static_cast<size_t>(stored - 1)] + (row - stored) * defaults_.rowHeight;
}

void SheetGeometry::invalidateRows(const CellStore &cells, int32_t row) {
  rowTopsValid_ = std::min(rowTopsValid_, std::max(0, row));
  if (rowTops_.size() > (static_cast<size_t>(cells.rowCount()) + 1) * 2)
    rowTops_.resize(static_cast<size_t>(cells.rowCount()) + 1);
}

double SheetGeometry::columnWidthPoints(int32_t column) const {
  for (const auto &c : columns_)
    if (column >= c.first && column <= c.last) {
      if (c.hidden)
        return 0;
      if (c.width >= 0)
        return widthToPixels(c.width, mdw()) * kPointsPerPixel;
      break;
    }
  double pixels = defaults_.hasColumnWidth
                      ? widthToPixels(defaults_.columnWidth, mdw())
                      : std::ceil((defaults_.baseColumnWidth * mdw() + 5) / 8) * 8;
  return pixels * kPointsPerPixel;
}

void SheetGeometry::buildColumnGeometry() {
  columnLefts_.assign(static_cast<size_t>(kMaxColumns) + 2, 0);
  for (int32_t c = 2; c <= kMaxColumns + 1; ++c)
    columnLefts_[static_cast<size_t>(c)] =
        columnLefts_[static_cast<size_t>(c - 1)] + columnWidthPoints(c - 1);
}

double SheetGeometry::columnLeft(int32_t column) {
  if (columnLefts_.empty())
    buildColumnGeometry();
  return columnLefts_[static_cast<size_t>(std::clamp(column, 1, kMaxColumns + 1))];
}

void SheetGeometry::cellAtPoint(const CellStore &cells, double x, double y, int32_t &row,
                                double &rowOffset, int32_t &column, double &columnOffset) {
  x = std::max(0.0, x);
  y = std::max(0.0, y);
  const int32_t stored = cells.rowCount() + 1;
  double storedTop = rowTop(cells, stored);
  if (y >= storedTop) {
    double steps = std::floor((y - storedTop) / defaults_.rowHeight);
    row = static_cast<int32_t>(std::min<double>(kMaxRows, stored + steps));
  } else {
    auto begin = rowTops_.begin(), end = rowTops_.begin() + stored;
    row = static_cast<int32_t>(std::upper_bound(begin, end, y) - begin);
  }
  row = std::clamp(row, 1, kMaxRows);
  rowOffset = y - rowTop(cells, row);
  if (columnLefts_.empty())
    buildColumnGeometry();
  auto begin = columnLefts_.begin() + 1, end = columnLefts_.begin() + kMaxColumns + 1;
  column = static_cast<int32_t>(std::upper_bound(begin, end, x) - begin);
  column = std::clamp(column, 1, kMaxColumns);
  columnOffset = x - columnLeft(column);
}

} // namespace brevant
