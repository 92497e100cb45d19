#include "engine/components/spreadsheet/range.h"

#include "engine/components/spreadsheet/cells/number_format.h"
#include "engine/components/spreadsheet/cells/styles.h"
#include "engine/components/spreadsheet/spreadsheet_error.h"
#include "engine/components/spreadsheet/workbook.h"
#include "engine/components/spreadsheet/worksheet.h"

namespace brevant {

RangeRows::RangeRows(const Range &range) : range_(range) {}
int32_t RangeRows::Count() const { return range_.rect().rowCount(); }
Range RangeRows::operator()(int32_t n) const {
  CellRect r = range_.rect();
  int32_t row = r.firstRow + n - 1;
  if (n < 1 || row > kMaxRows)
    throw SpreadsheetError("The row " + std::to_string(n) + " lies outside the sheet.");
  return Range(range_.Parent(), CellRect{row, r.firstColumn, row, r.lastColumn});
}

RangeColumns::RangeColumns(const Range &range) : range_(range) {}
int32_t RangeColumns::Count() const { return range_.rect().columnCount(); }
Range RangeColumns::operator()(int32_t n) const {
  CellRect r = range_.rect();
  int32_t column = r.firstColumn + n - 1;
  if (n < 1 || column > kMaxColumns)
    throw SpreadsheetError("The column " + std::to_string(n) + " lies outside the sheet.");
  return Range(range_.Parent(), CellRect{r.firstRow, column, r.lastRow, column});
}

Range::Range(brevant::Worksheet &sheet, const CellRect &rect) : sheet_(&sheet), rect_(rect) {
  if (rect.firstRow < 1 || rect.firstColumn < 1 || rect.lastRow > kMaxRows ||
      rect.lastColumn > kMaxColumns || rect.firstRow > rect.lastRow ||
      rect.firstColumn > rect.lastColumn)
    throw SpreadsheetError("The range lies outside the sheet.");
}

int32_t Range::Count() const {
  int64_t n = int64_t(rect_.rowCount()) * rect_.columnCount();
  return n > INT32_MAX ? INT32_MAX : static_cast<int32_t>(n);
}

std::string Range::Address(bool rowAbsolute, bool columnAbsolute) const {
  return formatAddress(rect_, rowAbsolute, columnAbsolute);
}

Variant Range::Value() const { return sheet_->readValue(rect_.firstRow, rect_.firstColumn); }

std::string Range::ValueText() const {
  Variant v = Value();
  struct Visitor {
    std::string operator()(std::monostate) const { return {}; }
    std::string operator()(bool b) const { return b ? "TRUE" : "FALSE"; }
    std::string operator()(int64_t i) const { return std::to_string(i); }
    std::string operator()(double d) const { return formatGeneral(d); }
    std::string operator()(const DecimalValue &d) const { return d.text; }
    std::string operator()(const std::string &s) const { return s; }
    std::string operator()(const DateValue &d) const {
      return std::to_string(d.month) + "/" + std::to_string(d.day) + "/" + std::to_string(d.year);
    }
    std::string operator()(const TimeValue &t) const {
      NumberFormat f("h:mm:ss AM/PM");
      return f.format((t.hour * 3600.0 + t.minute * 60 + t.second) / 86400.0);
    }
    std::string operator()(const DateTimeValue &dt) const {
      std::string s = (*this)(dt.date);
      if (dt.time != TimeValue{})
        s += " " + (*this)(dt.time);
      return s;
    }
    std::string operator()(const BinaryValue &b) const { return b.bytes; }
  };
  return std::visit(Visitor{}, v);
}

std::string Range::Text() const {
  CellStore &cells = sheet_->cells();
  const Cell *c = cells.find(rect_.firstRow, rect_.firstColumn);
  if (!c)
    return {};
  Workbook &book = sheet_->Parent();
  const NumberFormat &fmt = book.styles().numberFormat(c->style);
  CellType type = c->type;
  double number = c->number;
  std::string text;
  if (type == CellType::String)
    text = std::string(book.sharedStrings().text(c->index));
  else if (type == CellType::Error)
    text = errorTexts()[c->index];
  if (type == CellType::Formula) {
    const brevant::Formula &f = cells.formula(c->index);
    type = f.cachedType;
    number = f.cachedNumber;
    text = f.cachedText();
  }
  switch (type) {
  case CellType::Number:
    return fmt.format(number, book.date1904());
  case CellType::Boolean:
    return number != 0 ? "TRUE" : "FALSE";
  case CellType::String:
    return fmt.formatText(text);
  case CellType::Error:
    return text;
  default:
    return {};
  }
}

void Range::setValue(const Variant &value) {
  sheet_->prepareWrite(rect_);
  for (int32_t r = rect_.firstRow; r <= rect_.lastRow; ++r)
    for (int32_t c = rect_.firstColumn; c <= rect_.lastColumn; ++c)
      sheet_->writeValue(r, c, value);
}

std::string Range::Formula() const {
  const Cell *c = sheet_->cells().find(rect_.firstRow, rect_.firstColumn);
  if (c && c->type == CellType::Formula)
    return "=" + sheet_->cells().formula(c->index).text;
  return ValueText();
}

void Range::setFormula(std::string_view formula) {
  sheet_->prepareWrite(rect_);
  for (int32_t r = rect_.firstRow; r <= rect_.lastRow; ++r)
    for (int32_t c = rect_.firstColumn; c <= rect_.lastColumn; ++c)
      sheet_->writeFormula(r, c, formula);
}

Range Range::Cells(int32_t row, int32_t column) const {
  int64_t r = int64_t(rect_.firstRow) + row - 1;
  int64_t c = int64_t(rect_.firstColumn) + column - 1;
  if (row < 1 || column < 1 || r > kMaxRows || c > kMaxColumns)
    throw SpreadsheetError("The cell (" + std::to_string(row) + ", " + std::to_string(column) +
                           ") lies outside the sheet.");
  auto ri = static_cast<int32_t>(r), ci = static_cast<int32_t>(c);
  return Range(*sheet_, CellRect{ri, ci, ri, ci});
}

} // namespace brevant
