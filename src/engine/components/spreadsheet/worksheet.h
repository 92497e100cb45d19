#pragma once
// One worksheet of a workbook, as the spreadsheet's Worksheet object. Its part is read on first
// use: the cells go into a CellStore and the rest of the sheet XML (columns, merged cells,
// conditional formats, page setup, drawings, extensions) stays a document that is written back
// around the cells when the workbook is saved.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

#include "engine/components/spreadsheet/cells/cell_address.h"
#include "engine/components/spreadsheet/cells/cell_store.h"
#include "engine/components/spreadsheet/drawing/shapes.h"
#include "engine/components/spreadsheet/formulas/reference_shifter.h"
#include "engine/components/spreadsheet/range.h"
#include "engine/components/spreadsheet/structure/rect_set.h"
#include "base/variant.h"

namespace brevant {

class Workbook;
class Drawing;
struct SheetFeatures;
struct SheetTable;

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
  const std::vector<int32_t> &rowBreaks();
  const std::vector<int32_t> &columnBreaks();
  // Merged cells of the sheet.
  RectSet &mergedCells();
  // The ranges of the sheet's multi-cell array formulas, which change only whole.
  const RectSet &arrayRanges();
  void merge(const CellRect &rect);

  // Cell geometry in points, as the spreadsheet lays the sheet out: hidden rows and columns
  // count zero, rows and columns without their own size take the sheet's defaults.
  double rowTop(int32_t row);
  double rowHeight(int32_t row);
  double columnLeft(int32_t column);
  double columnWidthPoints(int32_t column);
  double defaultRowHeight();
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
  bool hasDrawingPart();

  // The engine's own access, used by ranges, the writers and the structural operations.
  CellStore &cells();
  pugi::xml_document &document();
  const std::string &partName() const { return partName_; }
  bool loaded() const { return loaded_; }
  void writeValue(int32_t row, int32_t column, const Variant &value);
  void writeFormula(int32_t row, int32_t column, std::string_view formula);
  Variant readValue(int32_t row, int32_t column);
  // The style a new cell at (row, column) starts with: the row's, else the column's.
  uint32_t defaultStyle(int32_t row, int32_t column);
  bool columnHidden(int32_t column);
  // The sheet's tables (their parts as documents).
  const std::vector<std::unique_ptr<SheetTable>> &tables();
  // Column width in characters (the sheet default when the column has none).
  double columnWidth(int32_t column);
  // Streams the sheet part with the current cells.
  void writePart(const std::function<void(std::string_view)> &out);

private:
  friend class Drawing;
  void load();
  void loadStructure();
  void loadExtensionRules(pugi::xml_node extLst);
  void expandSharedFormulas();
  void writeStructure();
  void shiftFormulas(const SheetShift &shift);
  void shiftSheetXml(const SheetShift &shift);
  void shiftColumnsXml(const SheetShift &shift);
  void reloadColumns();
  void formatInsertedRows(int32_t at, int32_t count);
  void formatInsertedColumns(int32_t at, int32_t count);
  int mdw();
  void buildColumnGeometry();
  void setColumnWidth(int32_t column, double width);
  void readSheetData(pugi::xml_node sheetData);
  struct ColumnInfo {
    int32_t first, last;
    uint32_t style;
    double width;
    bool hidden = false;
  };

  Workbook *book_;
  std::string name_;
  std::string partName_;
  bool loaded_ = false;
  bool displayPageBreaks_ = false;
  pugi::xml_document doc_;
  std::string prefix_; // namespace prefix of the sheet's elements ("" or "x:")
  CellStore cells_;
  std::vector<ColumnInfo> columns_;
  double defaultColumnWidth_ = 8.43;
  bool hasDefaultColumnWidth_ = false;
  double baseColumnWidth_ = 8;
  double defaultRowHeight_ = 15;

  std::unique_ptr<SheetFeatures> features_;
  // Formulas of this sheet that refer to its rows, by the last row they refer to (sorted).
  std::vector<std::pair<int32_t, uint32_t>> rowReach_;
  // Row tops in points, valid for rows 1..rowTopsValid_.
  std::vector<double> rowTops_;
  int32_t rowTopsValid_ = 0;
  std::vector<double> columnLefts_; // 1..kMaxColumns+1, empty when stale
  std::unique_ptr<Drawing> drawing_;
  std::unique_ptr<brevant::Shapes> shapes_;
};

} // namespace brevant
