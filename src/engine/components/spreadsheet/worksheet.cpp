#include "engine/components/spreadsheet/worksheet.h"
#include "engine/components/spreadsheet/workbook_xml.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/case_folding.h"
#include "engine/components/spreadsheet/cells/date_serial.h"
#include "engine/components/spreadsheet/cells/styles.h"
#include "engine/components/spreadsheet/drawing/drawing.h"
#include "engine/components/spreadsheet/drawing/shapes.h"
#include "engine/components/spreadsheet/io/c_numbers.h"
#include "engine/components/spreadsheet/sheet/cell_values.h"
#include "engine/components/spreadsheet/sheet/sheet_reader.h"
#include "engine/components/spreadsheet/sheet/sheet_writer.h"
#include "engine/components/spreadsheet/sheet/sheet_xml.h"
#include "engine/components/spreadsheet/spreadsheet_error.h"
#include "engine/components/spreadsheet/structure/sheet_features.h"
#include "engine/components/spreadsheet/workbook.h"

namespace brevant {

Worksheet::Worksheet(Workbook &book, std::string name, std::string partName)
    : book_(&book), name_(std::move(name)), partName_(std::move(partName)),
      xml_(std::make_unique<SheetXml>()) {}

Worksheet::~Worksheet() = default;

int32_t Worksheet::Index() const {
  const auto &sheets = book_->worksheets();
  for (size_t i = 0; i < sheets.size(); ++i)
    if (sheets[i].get() == this)
      return static_cast<int32_t>(i + 1);
  return 0;
}

void Worksheet::ensureLoaded() const {
  // Worksheets are owned by their workbook and never created const.
  if (!loaded_)
    const_cast<Worksheet *>(this)->load();
}

CellStore &Worksheet::cells() {
  ensureLoaded();
  return cells_;
}

const CellStore &Worksheet::cells() const {
  ensureLoaded();
  return cells_;
}

SheetXml &Worksheet::xml() {
  ensureLoaded();
  return *xml_;
}

const SheetXml &Worksheet::xml() const {
  ensureLoaded();
  return *xml_;
}

void Worksheet::load() {
  pugi::xml_node sheetData = parseSheetPart(book_->package().read(partName_), name_, *xml_);
  geometry_.setDefaults(readSheetDefaults(xml_->root()));
  geometry_.setColumns(readColumns(xml_->root()));
  readSheetData(sheetData, name_, cells_, book_->sharedStrings(), book_->date1904());
  while (sheetData.first_child())
    sheetData.remove_child(sheetData.first_child());
  loaded_ = true;
  loadStructure();
}

uint32_t Worksheet::defaultStyle(int32_t row, int32_t column) const {
  if (const Row *r = cells_.row(row); r && r->customFormat)
    return r->style;
  return geometry_.columnStyle(column);
}

double Worksheet::columnWidth(int32_t column) const {
  ensureLoaded();
  return geometry_.columnWidth(column);
}

bool Worksheet::columnHidden(int32_t column) const {
  ensureLoaded();
  return geometry_.columnHidden(column);
}

const std::vector<std::unique_ptr<SheetTable>> &Worksheet::tables() const {
  ensureLoaded();
  return features_->tables;
}

double Worksheet::defaultRowHeight() const {
  ensureLoaded();
  return geometry_.defaultRowHeight();
}

double Worksheet::rowHeight(int32_t row) const { return geometry_.rowHeight(cells(), row); }

double Worksheet::rowTop(int32_t row) { return geometry_.rowTop(cells(), row); }

void Worksheet::invalidateGeometry(int32_t row) { geometry_.invalidateRows(cells_, row); }

double Worksheet::columnWidthPoints(int32_t column) const {
  ensureLoaded();
  return geometry_.columnWidthPoints(column);
}

double Worksheet::columnLeft(int32_t column) {
  ensureLoaded();
  return geometry_.columnLeft(column);
}

void Worksheet::cellAtPoint(double x, double y, int32_t &row, double &rowOffset, int32_t &column,
                            double &columnOffset) {
  geometry_.cellAtPoint(cells(), x, y, row, rowOffset, column, columnOffset);
}

void Worksheet::writeValue(int32_t row, int32_t column, const Variant &value) {
  CellStore &store = cells();
  if (isNull(value)) {
    // Emptying a cell that does not exist creates nothing.
    if (!store.find(row, column))
      return;
  }
  Cell &cell = store.at(row, column, defaultStyle(row, column));
  if (cell.type == CellType::Formula)
    store.release(cell.index);
  store.dropCellAttributes(row, column, cell);
  storeValue(cell, value, book_->sharedStrings(), book_->styles(), book_->date1904());
}

void Worksheet::writeFormula(int32_t row, int32_t column, std::string_view formula) {
  if (formula.size() < 2 || formula.front() != '=') {
    writeValue(row, column, std::string(formula));
    return;
  }
  CellStore &store = cells();
  Cell &cell = store.at(row, column, defaultStyle(row, column));
  if (cell.type == CellType::Formula)
    store.release(cell.index);
  store.dropCellAttributes(row, column, cell);
  Formula f;
  f.text = std::string(formula.substr(1));
  cell.type = CellType::Formula;
  cell.index = store.addFormula(std::move(f));
  registerFormula(cell.index);
}

Variant Worksheet::readValue(int32_t row, int32_t column) const {
  const Cell *c = cells().find(row, column);
  if (!c)
    return std::monostate{};
  return cellValue(*c, cells_, book_->sharedStrings(), book_->styles(), book_->date1904());
}

Range Worksheet::Range(std::string_view address) {
  auto qualified = splitSheetName(address);
  if (qualified) {
    if (qualified->sheetName.empty() || equalsIgnoringCase(qualified->sheetName, name_)) {
      if (auto rect = parseReference(qualified->reference))
        return brevant::Range(*this, *rect);
    }
  }
  // A defined name: this sheet's own first, then the workbook's.
  std::string wanted(address);
  while (!wanted.empty() && wanted.back() == ' ')
    wanted.pop_back();
  int here = book_->sheetListIndex(*this);
  pugi::xml_node found;
  for (auto node : book_->xml().names) {
    if (!equalsIgnoringCase(node.attribute("name").value(), wanted))
      continue;
    auto local = node.attribute("localSheetId");
    if (local && local.as_int() == here) {
      found = node;
      break;
    }
    if (!local && !found)
      found = node;
  }
  if (found) {
    std::string_view refersTo = found.text().get();
    if (!refersTo.empty() && refersTo.front() == '=')
      refersTo.remove_prefix(1);
    auto target = splitSheetName(refersTo);
    if (target && equalsIgnoringCase(target->sheetName, name_))
      if (auto rect = parseReference(target->reference))
        return brevant::Range(*this, *rect);
    throw SpreadsheetError("The name \"" + wanted + "\" does not refer to a range on the sheet \"" +
                           name_ + "\".");
  }
  throw SpreadsheetError("\"" + std::string(address) +
                         "\" is neither a cell reference nor a defined name on the sheet \"" +
                         name_ + "\".");
}

Range Worksheet::Range(const class Range &first, const class Range &second) {
  if (&first.Parent() != this || &second.Parent() != this)
    throw SpreadsheetError("Both corners of a range must lie on the sheet \"" + name_ + "\".");
  const CellRect &a = first.rect(), &b = second.rect();
  return brevant::Range(
      *this, CellRect{std::min(a.firstRow, b.firstRow), std::min(a.firstColumn, b.firstColumn),
                      std::max(a.lastRow, b.lastRow), std::max(a.lastColumn, b.lastColumn)});
}

Range Worksheet::Cells(int32_t row, int32_t column) {
  if (row < 1 || row > kMaxRows || column < 1 || column > kMaxColumns)
    throw SpreadsheetError("The cell (" + std::to_string(row) + ", " + std::to_string(column) +
                           ") lies outside the sheet.");
  return brevant::Range(*this, CellRect{row, column, row, column});
}

Range Worksheet::Rows(int32_t row) {
  if (row < 1 || row > kMaxRows)
    throw SpreadsheetError("The row " + std::to_string(row) + " lies outside the sheet.");
  return brevant::Range(*this, CellRect{row, 1, row, kMaxColumns});
}

Range Worksheet::Columns(int32_t column) {
  if (column < 1 || column > kMaxColumns)
    throw SpreadsheetError("The column " + std::to_string(column) + " lies outside the sheet.");
  return brevant::Range(*this, CellRect{1, column, kMaxRows, column});
}

Range Worksheet::UsedRange() {
  CellStore &store = cells();
  CellRect rect{kMaxRows, kMaxColumns, 1, 1};
  bool any = false;
  for (int32_t r = 1; r <= store.rowCount(); ++r) {
    const Row *row = store.row(r);
    for (const Cell &c : row->cells) {
      if (c.type == CellType::Empty)
        continue;
      any = true;
      rect.firstRow = std::min(rect.firstRow, r);
      rect.lastRow = std::max(rect.lastRow, r);
      rect.firstColumn = std::min<int32_t>(rect.firstColumn, c.column);
      rect.lastColumn = std::max<int32_t>(rect.lastColumn, c.column);
    }
  }
  if (!any)
    rect = CellRect{1, 1, 1, 1};
  return brevant::Range(*this, rect);
}

void Worksheet::Activate() { book_->setActiveSheet(*this); }

void Worksheet::writePart(const std::function<void(std::string_view)> &out) {
  CellStore &store = cells();
  writeStructure();
  writeSheetPart(*xml_, store, name_, out);
}

} // namespace brevant
