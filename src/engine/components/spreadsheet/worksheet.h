#pragma once
// One worksheet of a workbook, as the spreadsheet's Worksheet object. Its part is read on first
// use: the cells go into a CellStore and the rest of the sheet XML (columns, merged cells,
// conditional formats, page setup, drawings, extensions) stays a document that is written back
// around the cells when the workbook is saved.
//
// Worksheet is the face the engine uses; the work is done by its parts:
//   cells/cell_store.h        cell storage (rows, cells, formulas)
//   sheet/cell_values.h       values written into cells and read back
//   sheet/sheet_reader.h      reading the part into the store, the layout and the kept XML
//   sheet/sheet_writer.h      writing the part back with the cells streamed in
//   sheet/sheet_geometry.h    columns, default sizes and cell positions in points
//   sheet/sheet_xml.h         the kept XML (opaque here)
//   structure/                inserts, deletes, block copies, what they refuse, and the sheet's
//                             merged cells, rules, breaks and tables (sheet_features.h)
//   drawing/                  pictures and the drawing part

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/variant.h"
#include "engine/components/spreadsheet/cells/cell_address.h"
#include "engine/components/spreadsheet/cells/cell_store.h"
#include "engine/components/spreadsheet/drawing/shapes.h"
#include "engine/components/spreadsheet/formulas/reference_shifter.h"
#include "engine/components/spreadsheet/range.h"
#include "engine/components/spreadsheet/sheet/sheet_geometry.h"
#include "engine/components/spreadsheet/structure/rect_set.h"

namespace brevant {

class Workbook;
class Drawing;
struct SheetFeatures;
struct SheetTable;
struct SheetXml;

class Worksheet {
public:
  Worksheet(Workbook &book, std::string name, std::string partName);
  ~Worksheet();

  const std::string &Name() const { return name_; }
  // 1-based position among the workbook's worksheets.
  int32_t Index() const;
  Workbook &Parent() const { return *book_; }

  // A reference ("B3:F4", "$E:$E", "5:7", "$E:$E:$M:$M", "Sheet1!A1" for this sheet) or a
  // defined name of a range on this sheet. Throws for anything else.
  brevant::Range Range(std::string_view address);
  // The rectangle spanned by two ranges of this sheet.
  brevant::Range Range(const brevant::Range &first, const brevant::Range &second);
  brevant::Range Cells(int32_t row, int32_t column);
  brevant::Range Rows(int32_t row);
  brevant::Range Columns(int32_t column);
  brevant::Range UsedRange();

  void Activate();
  // Protects the sheet's cells and objects; an empty password protects without one.
  void Protect(std::string_view password);
  bool ProtectContents() const;
  // Fits every used column's width to the longest displayed text in it.
  void AutoFitColumns();
  bool DisplayPageBreaks() const { return displayPageBreaks_; }
  void setDisplayPageBreaks(bool on) { displayPageBreaks_ = on; }
  // The pictures and other drawing objects of the sheet.
  brevant::Shapes &Shapes();

  // Structural changes, as Range.Insert and Range.Delete make them: the cells move and every
  // reference to them (formulas on every sheet, names, merged cells, conditional formats, data
  // validations, hyperlinks, drawing anchors, charts, tables, filters, breaks) follows.
  void shiftCells(const SheetShift &shift);
  // Copies the cells of `source` (values, formulas moved as a copy moves them, styles, row
  // heights, merged cells, conditional formats and validations) `rows` down and `columns`
  // right. Source and destination may overlap.
  void copyBlock(const CellRect &source, int32_t rows, int32_t columns);
  // The same block copied repeatedly: to every offset in `offsets` (rows, columns).
  void copyBlockTo(const CellRect &source, const std::vector<std::pair<int32_t, int32_t>> &offsets,
                   const CellRect &clip);
  // What the spreadsheet refuses to change, checked before anything is changed: a write into
  // `area` that covers part of an array formula, a copy onto `destination` that covers part of
  // merged cells or of an array formula. Both throw with what was refused and where; a write
  // allowed forgets the arrays it replaces whole.
  void prepareWrite(const CellRect &area);
  void checkCopyTarget(const CellRect &source, const CellRect &destination);
  // A manual page break above `position` (a row, or left of a column); `on` false removes it.
  void setPageBreak(bool column, int32_t position, bool on);
  const std::vector<int32_t> &rowBreaks() const;
  const std::vector<int32_t> &columnBreaks() const;
  // Merged cells of the sheet.
  RectSet &mergedCells();
  // The ranges of the sheet's multi-cell array formulas, which change only whole.
  const RectSet &arrayRanges() const;
  void merge(const CellRect &rect);

  // Cell geometry in points, as the spreadsheet lays the sheet out: hidden rows and columns
  // count zero, rows and columns without their own size take the sheet's defaults.
  double rowTop(int32_t row);
  double rowHeight(int32_t row) const;
  double columnLeft(int32_t column);
  double columnWidthPoints(int32_t column) const;
  double defaultRowHeight() const;
  // The cell holding the point (x, y) and the point's offset into it, in points.
  void cellAtPoint(double x, double y, int32_t &row, double &rowOffset, int32_t &column,
                   double &columnOffset);
  // Row heights were changed from outside: positions from `row` on are measured again.
  void invalidateGeometry(int32_t row = 1);

  // The formula table entry `index` of this sheet is new or rewritten: index it for the
  // structural changes that can touch it.
  void registerFormula(uint32_t index);
  // Moves this sheet's references to the sheet `target` (in conditional formats, validations
  // and sparklines) after `target` changed.
  void shiftReferencesTo(const std::string &target, const SheetShift &shift);
  // Writes the parts that belong to the sheet (drawing, pictures, tables) before the package
  // is saved.
  void saveParts();
  Drawing &drawing();
  bool hasDrawingPart() const;

  // The engine's own access, used by ranges, the writers and the structural operations.
  CellStore &cells();
  const CellStore &cells() const;
  // The kept XML of the sheet part (see sheet/sheet_xml.h).
  SheetXml &xml();
  const SheetXml &xml() const;
  const std::string &partName() const { return partName_; }
  bool loaded() const { return loaded_; }
  void writeValue(int32_t row, int32_t column, const Variant &value);
  void writeFormula(int32_t row, int32_t column, std::string_view formula);
  Variant readValue(int32_t row, int32_t column) const;
  // The style a new cell at (row, column) starts with: the row's, else the column's.
  uint32_t defaultStyle(int32_t row, int32_t column) const;
  bool columnHidden(int32_t column) const;
  // The sheet's tables (their parts as documents).
  const std::vector<std::unique_ptr<SheetTable>> &tables() const;
  // Column width in characters (the sheet default when the column has none).
  double columnWidth(int32_t column) const;
  // Streams the sheet part with the current cells.
  void writePart(const std::function<void(std::string_view)> &out);

private:
  friend class Drawing;
  // Reads the part on first use. Reading changes nothing the sheet shows, so the read-only
  // accessors may trigger it.
  void ensureLoaded() const;
  void load();
  void loadStructure();
  void expandSharedFormulas();
  void writeStructure();
  void shiftFormulas(const SheetShift &shift);
  void shiftSheetXml(const SheetShift &shift);
  void shiftColumnsXml(const SheetShift &shift);
  void reloadColumns();
  void formatInsertedRows(int32_t at, int32_t count);
  void formatInsertedColumns(int32_t at, int32_t count);
  void setColumnWidth(int32_t column, double width);

  Workbook *book_;
  std::string name_;
  std::string partName_;
  bool loaded_ = false;
  bool displayPageBreaks_ = false;
  std::unique_ptr<SheetXml> xml_;
  CellStore cells_;
  SheetGeometry geometry_;

  std::unique_ptr<SheetFeatures> features_;
  // Formulas of this sheet that refer to its rows, by the last row they refer to (sorted).
  std::vector<std::pair<int32_t, uint32_t>> rowReach_;
  std::unique_ptr<Drawing> drawing_;
  std::unique_ptr<brevant::Shapes> shapes_;
};

} // namespace brevant
