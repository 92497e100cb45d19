// Cell positions in points. Column widths are stored in characters of the default font's
// widest digit (with the cell padding included); the spreadsheet turns them into whole pixels
// and a pixel is 0.75 point at the 96 dpi it lays sheets out in.

#include <algorithm>
#include <cmath>

#include "engine/components/spreadsheet/worksheet.h"

namespace brevant {

namespace {

constexpr double kPointsPerPixel = 0.75;

double widthToPixels(double width, int mdw) {
  if (width <= 0)
    return 0;
  return std::trunc(((256 * width + std::trunc(128.0 / mdw)) / 256) * mdw);
}

} // namespace

int Worksheet::mdw() { return 7; } // the widest digit of 11-point Calibri, the default font

double Worksheet::defaultRowHeight() {
  cells();
  return defaultRowHeight_;
}

double Worksheet::rowHeight(int32_t row) {
  const Row *r = cells().row(row);
  if (r && r->hidden)
    return 0;
  if (r && r->height >= 0)
    return r->height;
  return defaultRowHeight_;
}

double Worksheet::rowTop(int32_t row) {
  CellStore &store = cells();
  row = std::clamp(row, 1, kMaxRows);
  const int32_t stored = store.rowCount() + 1;
  const int32_t need = std::min(row, stored);
  if (rowTops_.size() < static_cast<size_t>(stored))
    rowTops_.resize(static_cast<size_t>(stored));
  if (rowTopsValid_ < 1) {
    rowTops_[0] = 0;
    rowTopsValid_ = 1;
  }
  for (int32_t r = rowTopsValid_ + 1; r <= need; ++r)
    rowTops_[static_cast<size_t>(r - 1)] = rowTops_[static_cast<size_t>(r - 2)] + rowHeight(r - 1);
  rowTopsValid_ = std::max(rowTopsValid_, need);
  if (row <= stored)
    return rowTops_[static_cast<size_t>(row - 1)];
  return rowTops_[static_cast<size_t>(stored - 1)] + (row - stored) * defaultRowHeight_;
}

void Worksheet::invalidateGeometry(int32_t row) {
  rowTopsValid_ = std::min(rowTopsValid_, std::max(0, row));
  if (rowTops_.size() > static_cast<size_t>(cells_.rowCount() + 1) * 2)
    rowTops_.resize(static_cast<size_t>(cells_.rowCount() + 1));
}

double Worksheet::columnWidthPoints(int32_t column) {
  cells();
  for (const auto &c : columns_)
    if (column >= c.first && column <= c.last) {
      if (c.hidden)
        return 0;
      if (c.width >= 0)
        return widthToPixels(c.width, mdw()) * kPointsPerPixel;
      break;
    }
  double pixels = hasDefaultColumnWidth_ ? widthToPixels(defaultColumnWidth_, mdw())
                                         : std::ceil((baseColumnWidth_ * mdw() + 5) / 8) * 8;
  return pixels * kPointsPerPixel;
}

void Worksheet::buildColumnGeometry() {
  columnLefts_.assign(static_cast<size_t>(kMaxColumns) + 2, 0);
  for (int32_t c = 2; c <= kMaxColumns + 1; ++c)
    columnLefts_[static_cast<size_t>(c)] =
        columnLefts_[static_cast<size_t>(c - 1)] + columnWidthPoints(c - 1);
}

double Worksheet::columnLeft(int32_t column) {
  cells();
  if (columnLefts_.empty())
    buildColumnGeometry();
  return columnLefts_[static_cast<size_t>(std::clamp(column, 1, kMaxColumns + 1))];
}

void Worksheet::cellAtPoint(double x, double y, int32_t &row, double &rowOffset, int32_t &column,
                            double &columnOffset) {
  x = std::max(0.0, x);
  y = std::max(0.0, y);
  const int32_t stored = cells().rowCount() + 1;
  double storedTop = rowTop(stored);
  if (y >= storedTop) {
    double steps = std::floor((y - storedTop) / defaultRowHeight_);
    row = static_cast<int32_t>(std::min<double>(kMaxRows, stored + steps));
  } else {
    auto begin = rowTops_.begin(), end = rowTops_.begin() + stored;
    row = static_cast<int32_t>(std::upper_bound(begin, end, y) - begin);
  }
  row = std::clamp(row, 1, kMaxRows);
  rowOffset = y - rowTop(row);
  if (columnLefts_.empty())
    buildColumnGeometry();
  auto begin = columnLefts_.begin() + 1, end = columnLefts_.begin() + kMaxColumns + 1;
  column = static_cast<int32_t>(std::upper_bound(begin, end, x) - begin);
  column = std::clamp(column, 1, kMaxColumns);
  columnOffset = x - columnLeft(column);
}

} // namespace brevant
