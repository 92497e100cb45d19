#pragma once
// A rectangle of cells on one worksheet, as the spreadsheet's Range object: a small value that
// names its cells; reading and writing go through the worksheet's cell store.

#include <cstdint>
#include <string>
#include <string_view>

#include "base/variant.h"
#include "engine/components/spreadsheet/cells/cell_address.h"
#include "engine/components/spreadsheet/xl_constants.h"

namespace brevant {

class Worksheet;
class Range;

// Range.Rows and Range.Columns: a count and an item by 1-based number.
class RangeRows {
public:
  explicit RangeRows(const Range &range);
  int32_t Count() const;
  Range operator()(int32_t n) const;

private:
  const Range &range_;
};

class RangeColumns {
public:
  explicit RangeColumns(const Range &range);
  int32_t Count() const;
  Range operator()(int32_t n) const;

private:
  const Range &range_;
};

class Range {
public:
  Range(Worksheet &sheet, const CellRect &rect);

  int32_t Row() const { return rect_.firstRow; }
  int32_t Column() const { return rect_.firstColumn; }
  RangeRows Rows() const { return RangeRows(*this); }
  RangeColumns Columns() const { return RangeColumns(*this); }
  int32_t Count() const; // cells, as the spreadsheet counts them (rows x columns)
  // "B3:F4" with relative rows and columns, "$B$3:$F$4" (or "$E:$E", "$5:$7") absolute.
  std::string Address(bool rowAbsolute = true, bool columnAbsolute = true) const;

  // The value of the top-left cell: Null for an empty cell, a number, text, a boolean, an
  // error text such as "#N/A", or a date and time for a number shown in a date format. A
  // formula cell gives the value it was last calculated to.
  Variant Value() const;
  // The value of the top-left cell as text, without its number format ("12.5", "TRUE").
  std::string ValueText() const;
  // The top-left cell's text as displayed in its number format.
  std::string Text() const;
  // Writes `value` into every cell of the range. Null empties a cell and keeps its format;
  // text is always stored as text, never taken for a formula or a number.
  void setValue(const Variant &value);
  // The formula of the top-left cell ("=SUM(A1:A3)"), or its value as text when it has none.
  std::string Formula() const;
  // Writes a formula (text beginning with '=') into every cell; other text is a value.
  void setFormula(std::string_view formula);

  // Inserts cells of the range's size, shifting the cells there down (xlDown) or right
  // (xlToRight); whole rows and whole columns are inserted as such whatever the shift. 0 lets
  // the range's shape decide, as the spreadsheet does.
  void Insert(int shift = 0);
  // Deletes the range's cells, shifting the cells below up (xlUp) or those on the right left
  // (xlToLeft); only the cells in the range's columns (rows) move.
  void Delete(int shift = 0);
  // Repeats this block over `destination` (which contains it and extends it down, up, right or
  // left): values, formulas with relative references moved, styles, row heights, merged
  // cells, conditional formats and validations.
  void AutoFill(const Range &destination, int type = xlAutoFillType::xlFillCopy);
  // The same copy of this block to the block whose top-left cell is `destination`.
  void Copy(const Range &destination);
  // xlPageBreakManual sets a manual break above the range's first row (left of the first
  // column for whole columns); xlPageBreakNone removes it.
  void setPageBreak(int type);
  int PageBreak() const;
  Range EntireRow() const;
  Range EntireColumn() const;
  // The merged range holding the top-left cell, or that cell itself.
  Range MergeArea() const;
  bool MergeCells() const;
  void Merge();
  void UnMerge();
  // Position and size in points.
  double Left() const;
  double Top() const;
  double Width() const;
  double Height() const;

  // A cell relative to the range's top-left cell, 1-based like the spreadsheet's Cells.
  Range Cells(int32_t row, int32_t column) const;
  // The worksheet the range lies on.
  class Worksheet &Parent() const {
    return *sheet_;
  }
  const CellRect &rect() const { return rect_; }

private:
  brevant::Worksheet *sheet_;
  CellRect rect_;
};

} // namespace brevant
