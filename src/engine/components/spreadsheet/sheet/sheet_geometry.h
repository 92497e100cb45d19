#pragma once
// A worksheet's geometry: the column layout read from its part (widths, styles, hidden
// columns), the sheet's default sizes, and cell positions in points as the spreadsheet lays
// the sheet out. Hidden rows and columns count zero; rows and columns without a size of their
// own take the sheet's defaults. Row heights come from the cell store, which the caller passes;
// row tops and column lefts are cached and measured again after invalidation.

#include <cstdint>
#include <vector>

#include "engine/components/spreadsheet/cells/cell_address.h"
#include "engine/components/spreadsheet/cells/cell_store.h"

namespace brevant {

// One <col> span of the sheet part.
struct ColumnInfo {
  int32_t first, last;
  uint32_t style;
  double width; // characters; negative when the span has none
  bool hidden = false;
};

// The sheet's <sheetFormatPr> sizes.
struct SheetDefaults {
  double columnWidth = 8.43;
  bool hasColumnWidth = false;
  double baseColumnWidth = 8;
  double rowHeight = 15;
};

class SheetGeometry {
public:
  void setDefaults(const SheetDefaults &defaults) { defaults_ = defaults; }
  // The column spans changed (read, shifted, widened): column positions are measured again.
  void setColumns(std::vector<ColumnInfo> columns);
  const std::vector<ColumnInfo> &columns() const { return columns_; }

  double defaultRowHeight() const { return defaults_.rowHeight; }
  // Column width in characters (the sheet default when the column has none).
  double columnWidth(int32_t column) const;
  bool columnHidden(int32_t column) const;
  // The style of the column's span, 0 when none.
  uint32_t columnStyle(int32_t column) const;

  double rowHeight(const CellStore &cells, int32_t row) const;
  double rowTop(const CellStore &cells, int32_t row);
  double columnWidthPoints(int32_t column) const;
  double columnLeft(int32_t column);
  // The cell holding the point (x, y) and the point's offset into it, in points.
  void cellAtPoint(const CellStore &cells, double x, double y, int32_t &row, double &rowOffset,
                   int32_t &column, double &columnOffset);
  // Row heights changed: row tops from `row` on are measured again.
  void invalidateRows(const CellStore &cells, int32_t row);

private:
  static int mdw();
  void buildColumnGeometry();

  SheetDefaults defaults_;
  std::vector<ColumnInfo> columns_;
  // Row tops in points, valid for rows 1..rowTopsValid_.
  std::vector<double> rowTops_;
  int32_t rowTopsValid_ = 0;
  std::vector<double> columnLefts_; // 1..kMaxColumns+1, empty when stale
};

} // namespace brevant
