#pragma once
// A set of rectangles of one sheet (merged cells, the ranges of a conditional format or a data
// validation), kept sorted by first row so that inserting rows touches only the rectangles that
// can reach the insertion point, and a rectangle containing a cell is found without a scan.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/components/spreadsheet/cells/cell_address.h"
#include "engine/components/spreadsheet/formulas/reference_shifter.h"

namespace brevant {

class RectSet {
public:
  // Adds a rectangle; one directly below (or right of) the rectangle added before it with the
  // same columns (rows) is joined to it when `join` is set.
  void add(const CellRect &rect, bool join = false);
  void shift(const SheetShift &shift);
  // Removes every rectangle that overlaps `area`.
  void removeOverlapping(const CellRect &area);
  // The rectangles that overlap `area`, in row order.
  std::vector<CellRect> overlapping(const CellRect &area) const;
  const CellRect *containing(int32_t row, int32_t column) const;
  const std::vector<CellRect> &rects() const { return rects_; }
  [[nodiscard]] bool empty() const { return rects_.empty(); }
  size_t size() const { return rects_.size(); }
  void clear();
  // "A1:B2 D4" as the sqref attributes write it.
  std::string text() const;
  [[nodiscard]] static std::vector<CellRect> parseList(std::string_view text);

private:
  // The first rectangle that may reach row `row` or below.
  size_t firstReaching(int32_t row) const;
  void updateHeight(const CellRect &rect);

  std::vector<CellRect> rects_; // sorted by firstRow
  int32_t maxHeight_ = 1;
};

} // namespace brevant
