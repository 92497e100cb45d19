// The sheet's geometry on its own: column spans, defaults, cached positions and what
// invalidates them.
#include "engine/components/spreadsheet/sheet/sheet_geometry.h"

#include <gtest/gtest.h>

namespace brevant {
namespace {

TEST(SheetGeometry, ColumnsTakeTheirSpanOrTheSheetDefault) {
  SheetGeometry g;
  // Without a default width, 8 digits of 7 pixels plus padding round up to 64 pixels.
  EXPECT_DOUBLE_EQ(g.columnWidthPoints(1), 48);
  EXPECT_DOUBLE_EQ(g.columnWidth(1), 8.43);
  g.setDefaults({12, true, 8, 20});
  g.setColumns({{2, 3, 5, 20, false}, {4, 4, 6, -1, true}, {6, 6, 0, -1, false}});
  EXPECT_DOUBLE_EQ(g.columnWidth(1), 12);
  EXPECT_DOUBLE_EQ(g.columnWidth(3), 20);
  EXPECT_DOUBLE_EQ(g.columnWidth(6), 12); // a span without width
  EXPECT_EQ(g.columnStyle(3), 5u);
  EXPECT_EQ(g.columnStyle(4), 6u);
  EXPECT_EQ(g.columnStyle(5), 0u);
  EXPECT_TRUE(g.columnHidden(4));
  EXPECT_FALSE(g.columnHidden(5));
  EXPECT_DOUBLE_EQ(g.columnWidthPoints(4), 0);
  // 20 characters (padding included): 140 pixels; 12 characters: 84 pixels.
  EXPECT_DOUBLE_EQ(g.columnWidthPoints(2), 140 * 0.75);
  EXPECT_DOUBLE_EQ(g.columnWidthPoints(1), 84 * 0.75);
  EXPECT_DOUBLE_EQ(g.columnLeft(5), (84 + 140 + 140) * 0.75);
  // New spans are measured again.
  g.setColumns({});
  EXPECT_DOUBLE_EQ(g.columnLeft(5), 4 * 84 * 0.75);
  EXPECT_DOUBLE_EQ(g.columnLeft(kMaxColumns + 5), kMaxColumns * 84 * 0.75);
}

TEST(SheetGeometry, RowTopsFollowHeightsHiddenRowsAndInvalidation) {
  SheetGeometry g;
  g.setDefaults({8.43, false, 8, 15});
  CellStore cells;
  cells.rowAt(2).height = 30;
  cells.rowAt(3).hidden = true;
  EXPECT_DOUBLE_EQ(g.rowHeight(cells, 3), 0);
  EXPECT_DOUBLE_EQ(g.rowTop(cells, 4), 15 + 30);
  // Past the stored rows every row takes the default height.
  EXPECT_DOUBLE_EQ(g.rowTop(cells, 10), 15 + 30 + 15 * 6);
  // A changed height shows only after invalidation from that row on.
  cells.rowAt(2).height = 10;
  EXPECT_DOUBLE_EQ(g.rowTop(cells, 4), 45);
  g.invalidateRows(cells, 2);
  EXPECT_DOUBLE_EQ(g.rowTop(cells, 4), 25);
  EXPECT_DOUBLE_EQ(g.rowTop(cells, 0), 0); // clamped to row 1
}

TEST(SheetGeometry, PointsMapToTheCellHoldingThem) {
  SheetGeometry g;
  CellStore cells;
  cells.rowAt(2).height = 30;
  int32_t row = 0, column = 0;
  double rowOffset = -1, columnOffset = -1;
  g.cellAtPoint(cells, 50, 20, row, rowOffset, column, columnOffset);
  EXPECT_EQ(row, 2);
  EXPECT_DOUBLE_EQ(rowOffset, 5);
  EXPECT_EQ(column, 2);
  EXPECT_DOUBLE_EQ(columnOffset, 2);
  // A point on a boundary belongs to the cell below and right of it.
  g.cellAtPoint(cells, 48, 45, row, rowOffset, column, columnOffset);
  EXPECT_EQ(row, 3);
  EXPECT_DOUBLE_EQ(rowOffset, 0);
  EXPECT_EQ(column, 2);
  // Below the stored rows, and negative points, which clamp to A1.
  g.cellAtPoint(cells, 0, 45 + 15 * 100 + 1, row, rowOffset, column, columnOffset);
  EXPECT_EQ(row, 103);
  EXPECT_DOUBLE_EQ(rowOffset, 1);
  g.cellAtPoint(cells, -10, -10, row, rowOffset, column, columnOffset);
  EXPECT_EQ(row, 1);
  EXPECT_EQ(column, 1);
  EXPECT_DOUBLE_EQ(rowOffset, 0);
  EXPECT_DOUBLE_EQ(columnOffset, 0);
}

} // namespace
} // namespace brevant
