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
#include "engine/components/spreadsheet/range.h"
#include "engine/components/variant.h"

namespace brevant {

class Workbook;

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
  // Column width in characters (the sheet default when the column has none).
  double columnWidth(int32_t column);
  // Streams the sheet part with the current cells.
  void writePart(const std::function<void(std::string_view)> &out);

private:
  void load();
  void setColumnWidth(int32_t column, double width);
  void readSheetData(pugi::xml_node sheetData);
  struct ColumnInfo {
    int32_t first, last;
    uint32_t style;
    double width;
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
};

} // namespace brevant
