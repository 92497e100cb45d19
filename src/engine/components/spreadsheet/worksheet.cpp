#include "engine/components/spreadsheet/worksheet.h"
#include "engine/components/spreadsheet/io/c_numbers.h"

#include "engine/components/spreadsheet/io/xml_names.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "base/case_folding.h"
#include "engine/components/spreadsheet/cells/date_serial.h"
#include "engine/components/spreadsheet/drawing/drawing.h"
#include "engine/components/spreadsheet/drawing/shapes.h"
#include "engine/components/spreadsheet/io/rich_text_xml.h"
#include "engine/components/spreadsheet/io/xml_text.h"
#include "engine/components/spreadsheet/spreadsheet_error.h"
#include "engine/components/spreadsheet/structure/sheet_features.h"
#include "engine/components/spreadsheet/workbook.h"

namespace brevant {

namespace {

// "B12" -> (12, 2); false when the text is not a single cell reference.
bool parseCellName(std::string_view s, int32_t &row, int32_t &column) {
  size_t i = 0;
  int32_t c = 0;
  while (i < s.size() && s[i] >= 'A' && s[i] <= 'Z')
    c = c * 26 + (s[i++] - 'A' + 1);
  if (i == 0 || i > 3 || c > kMaxColumns)
    return false;
  int32_t r = 0;
  size_t digits = i;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9' && r <= kMaxRows)
    r = r * 10 + (s[i++] - '0');
  if (i != s.size() || i == digits || r < 1 || r > kMaxRows)
    return false;
  row = r;
  column = c;
  return true;
}

bool attrTrue(pugi::xml_attribute a) {
  std::string_view v = a.value();
  return v == "1" || v == "true";
}

struct StringWriter : pugi::xml_writer {
  std::string out;
  void write(const void *data, size_t size) override {
    out.append(static_cast<const char *>(data), size);
  }
};

void appendNumber(std::string &out, double v) {
  char buf[32];
  auto res = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, res.ptr);
}

void appendInt(std::string &out, int64_t v) {
  char buf[24];
  auto res = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, res.ptr);
}

// The <v> of a formula cell: its computed value, as its type writes it.
void appendCachedValue(std::string &out, const Formula &f, std::string_view vOpen,
                       std::string_view vClose) {
  switch (f.cachedType) {
  case CellType::Number:
    out += vOpen;
    appendNumber(out, f.cachedNumber);
    break;
  case CellType::Boolean:
    out += vOpen;
    out += f.cachedNumber != 0 ? '1' : '0';
    break;
  case CellType::String:
    out += vOpen;
    appendXstring(out, f.cachedText);
    break;
  case CellType::Error:
    out += vOpen;
    appendXmlEscaped(out, f.cachedText);
    break;
  default:
    return;
  }
  out += vClose;
}

} // namespace

Worksheet::Worksheet(Workbook &book, std::string name, std::string partName)
    : book_(&book), name_(std::move(name)), partName_(std::move(partName)) {}

Worksheet::~Worksheet() = default;

int32_t Worksheet::Index() const {
  const auto &sheets = book_->worksheets();
  for (size_t i = 0; i < sheets.size(); ++i)
    if (sheets[i].get() == this)
      return static_cast<int32_t>(i + 1);
  return 0;
}

CellStore &Worksheet::cells() {
  if (!loaded_)
    load();
  return cells_;
}

pugi::xml_document &Worksheet::document() {
  if (!loaded_)
    load();
  return doc_;
}

void Worksheet::load() {
  const std::string &xml = book_->package().read(partName_);
  auto result = doc_.load_buffer(xml.data(), xml.size(),
                                 pugi::parse_default | pugi::parse_declaration |
                                     pugi::parse_ws_pcdata_single);
  if (!result)
    throw SpreadsheetError("The worksheet \"" + name_ + "\" is damaged (" + result.description() +
                           " at byte " + std::to_string(result.offset) + ").");
  auto root = doc_.document_element();
  if (localName(root.name()) != "worksheet")
    throw SpreadsheetError("The part of the worksheet \"" + name_ + "\" is not a worksheet.");
  std::string_view rootName = root.name();
  prefix_ = std::string(rootName.substr(0, rootName.size() - std::strlen("worksheet")));
  if (auto fmt = child(root, "sheetFormatPr")) {
    if (auto w = fmt.attribute("defaultColWidth")) {
      defaultColumnWidth_ = attributeNumber(w);
      hasDefaultColumnWidth_ = true;
    }
    baseColumnWidth_ = attributeNumber(fmt.attribute("baseColWidth"), 8);
    defaultRowHeight_ = attributeNumber(fmt.attribute("defaultRowHeight"), 15);
  }
  for (auto col : child(root, "cols").children()) {
    if (localName(col.name()) != "col")
      continue;
    ColumnInfo info;
    info.first = std::clamp(col.attribute("min").as_int(1), 1, kMaxColumns);
    info.last = std::clamp(col.attribute("max").as_int(info.first), info.first, kMaxColumns);
    info.style = col.attribute("style").as_uint(0);
    info.width = attributeNumber(col.attribute("width"), -1);
    info.hidden = attrTrue(col.attribute("hidden"));
    columns_.push_back(info);
  }
  auto sheetData = child(root, "sheetData");
  if (!sheetData) {
    // A sheet without cells still needs its sheetData, right after the columns.
    pugi::xml_node after;
    for (auto name : {"cols", "sheetFormatPr", "sheetViews", "dimension", "sheetPr"})
      if ((after = child(root, name)))
        break;
    std::string tag = prefix_ + "sheetData";
    sheetData =
        after ? root.insert_child_after(tag.c_str(), after) : root.prepend_child(tag.c_str());
  }
  readSheetData(sheetData);
  while (sheetData.first_child())
    sheetData.remove_child(sheetData.first_child());
  loaded_ = true;
  loadStructure();
}

void Worksheet::readSheetData(pugi::xml_node sheetData) {
  SharedStrings &strings = book_->sharedStrings();
  int32_t lastRow = 0;
  for (auto rowNode : sheetData.children()) {
    if (localName(rowNode.name()) != "row")
      continue;
    int32_t r = rowNode.attribute("r").as_int(lastRow + 1);
    if (r <= lastRow || r > kMaxRows)
      throw SpreadsheetError("The worksheet \"" + name_ + "\" has its rows out of order.");
    lastRow = r;
    Row &row = cells_.rowAt(r);
    std::string extra;
    for (auto a : rowNode.attributes()) {
      std::string_view n = a.name();
      if (n == "r" || n == "spans")
        continue;
      if (n == "s")
        row.style = a.as_uint();
      else if (n == "customFormat")
        row.customFormat = attrTrue(a);
      else if (n == "ht")
        row.height = static_cast<float>(attributeNumber(a));
      else if (n == "customHeight")
        row.customHeight = attrTrue(a);
      else if (n == "hidden")
        row.hidden = attrTrue(a);
      else if (n == "outlineLevel")
        row.outlineLevel = static_cast<uint8_t>(std::clamp(a.as_int(), 0, 7));
      else if (n == "collapsed")
        row.collapsed = attrTrue(a);
      else if (n == "thickTop")
        row.thickTop = attrTrue(a);
      else if (n == "thickBot")
        row.thickBottom = attrTrue(a);
      else {
        extra += ' ';
        extra += n;
        extra += "=\"";
        appendXmlEscaped(extra, a.value());
        extra += '"';
      }
    }
    if (!extra.empty())
      row.extra = cells_.addRowAttributes(std::move(extra));
    int32_t lastColumn = 0;
    for (auto c : rowNode.children()) {
      if (localName(c.name()) != "c")
        continue;
      int32_t cr = r, cc = lastColumn + 1;
      if (auto ref = c.attribute("r"))
        if (!parseCellName(ref.value(), cr, cc) || cr != r)
          throw SpreadsheetError("The worksheet \"" + name_ + "\" has a cell \"" + ref.value() +
                                 "\" in the wrong row.");
      if (cc <= lastColumn || cc > kMaxColumns)
        throw SpreadsheetError("The worksheet \"" + name_ + "\" has its cells out of order.");
      lastColumn = cc;
      Cell &cell = cells_.at(r, cc);
      cell.style = c.attribute("s").as_uint(0);
      // Attributes kept as they are: cell and value metadata, phonetic display.
      std::string kept;
      for (auto a : c.attributes()) {
        std::string_view n = a.name();
        if (n == "r" || n == "s" || n == "t")
          continue;
        kept += ' ';
        kept += n;
        kept += "=\"";
        appendXmlEscaped(kept, a.value());
        kept += '"';
      }
      if (!kept.empty())
        cells_.setCellAttributes(r, cc, std::move(kept));
      std::string_view t = c.attribute("t").value();
      pugi::xml_node v, f, is;
      for (auto part : c.children()) {
        auto pn = localName(part.name());
        if (pn == "v")
          v = part;
        else if (pn == "f")
          f = part;
        else if (pn == "is")
          is = part;
      }
      // The value as the cell holds it.
      CellType type = CellType::Empty;
      double number = 0;
      uint32_t index = 0;
      std::string text;
      if (t == "s") {
        if (v) {
          char *end;
          unsigned long i = std::strtoul(v.text().get(), &end, 10);
          if (*end || i >= strings.size())
            throw SpreadsheetError("The worksheet \"" + name_ +
                                   "\" refers to a shared string that does not exist.");
          type = CellType::String;
          index = static_cast<uint32_t>(i);
          text = std::string(strings.text(index));
        }
      } else if (t == "inlineStr") {
        if (is) {
          std::string plain;
          bool rich = false;
          for (auto part : is.children()) {
            auto pn = localName(part.name());
            if (pn == "t")
              plain += decodeXstring(part.text().get());
            else if (pn == "r") {
              rich = true;
              for (auto rt : part.children())
                if (localName(rt.name()) == "t")
                  plain += decodeXstring(rt.text().get());
            }
          }
          type = CellType::String;
          index = rich ? strings.addRich(plain, richTextXml(is)) : strings.add(plain);
        }
      } else if (t == "b") {
        if (v) {
          type = CellType::Boolean;
          number = v.text().as_int() != 0;
        }
      } else if (t == "e") {
        if (v) {
          type = CellType::Error;
          index = errorIndex(v.text().get());
          text = errorTexts()[index];
        }
      } else if (t == "str") {
        if (v) {
          type = CellType::String;
          text = decodeXstring(v.text().get());
          if (!f)
            index = strings.add(text);
        }
      } else if (t == "d") {
        // An ISO 8601 date: kept as its serial.
        if (v) {
          int y = 0, mo = 0, d = 0, h = 0, mi = 0;
          double s = 0;
          sscanfC(v.text().get(), "%d-%d-%dT%d:%d:%lf", &y, &mo, &d, &h, &mi, &s);
          DateTimeValue dt{
              {static_cast<int16_t>(y), static_cast<uint8_t>(mo), static_cast<uint8_t>(d)},
              {static_cast<uint8_t>(h), static_cast<uint8_t>(mi), static_cast<uint8_t>(s), 0}};
          if (auto serial = dateTimeSerial(dt, book_->date1904())) {
            type = CellType::Number;
            number = *serial;
          }
        }
      } else if (v && *v.text().get()) {
        // An empty <v> is no value: the cell stays empty rather than becoming 0.
        char *end;
        number = strtodC(v.text().get(), &end);
        type = CellType::Number;
      }
      if (f) {
        Formula formula;
        formula.text = f.text().get();
        for (auto a : f.attributes()) {
          formula.attributes += ' ';
          formula.attributes += a.name();
          formula.attributes += "=\"";
          appendXmlEscaped(formula.attributes, a.value());
          formula.attributes += '"';
        }
        // A dynamic array carries cell metadata; a classic array formula does not.
        formula.spills =
            std::string_view(f.attribute("t").value()) == "array" && !c.attribute("cm").empty();
        formula.cachedType = type;
        formula.cachedNumber = number;
        formula.cachedText = std::move(text);
        cell.type = CellType::Formula;
        cell.index = cells_.addFormula(std::move(formula));
      } else {
        cell.type = type;
        if (type == CellType::Number || type == CellType::Boolean)
          cell.number = number;
        else
          cell.index = index;
      }
    }
  }
}

uint32_t Worksheet::defaultStyle(int32_t row, int32_t column) {
  if (const Row *r = cells_.row(row); r && r->customFormat)
    return r->style;
  for (const auto &c : columns_)
    if (column >= c.first && column <= c.last)
      return c.style;
  return 0;
}

double Worksheet::columnWidth(int32_t column) {
  cells();
  for (const auto &c : columns_)
    if (column >= c.first && column <= c.last && c.width >= 0)
      return c.width;
  return defaultColumnWidth_;
}

bool Worksheet::columnHidden(int32_t column) {
  cells();
  for (const auto &c : columns_)
    if (column >= c.first && column <= c.last)
      return c.hidden;
  return false;
}

const std::vector<std::unique_ptr<SheetTable>> &Worksheet::tables() {
  cells();
  return features_->tables;
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
  SharedStrings &strings = book_->sharedStrings();
  bool date1904 = book_->date1904();
  auto setText = [&](std::string_view text) {
    cell.type = CellType::String;
    cell.index = strings.add(text);
  };
  auto setNumber = [&](double v) {
    if (std::isfinite(v)) {
      cell.type = CellType::Number;
      cell.number = v;
    } else {
      cell.type = CellType::Error;
      cell.index = errorIndex("#NUM!");
    }
  };
  auto setDate = [&](std::optional<double> serial, DateKind kind, const std::string &fallback) {
    if (!serial) {
      // Outside the spreadsheet's calendar (before 1900): keep the date as text.
      setText(fallback);
      return;
    }
    setNumber(*serial);
    cell.style = book_->styles().dateStyle(cell.style, kind);
  };
  auto isoDate = [](const DateValue &d) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year, d.month, d.day);
    return std::string(buf);
  };
  struct Visitor {
    decltype(setText) &text;
    decltype(setNumber) &number;
    decltype(setDate) &date;
    decltype(isoDate) &iso;
    Cell &cell;
    bool date1904;
    void operator()(std::monostate) const { cell.type = CellType::Empty; }
    void operator()(bool b) const {
      cell.type = CellType::Boolean;
      cell.number = b ? 1 : 0;
    }
    void operator()(int64_t i) const { number(static_cast<double>(i)); }
    void operator()(double d) const { number(d); }
    void operator()(const DecimalValue &d) const {
      char *end = nullptr;
      double v = strtodC(d.text.c_str(), &end);
      if (end && *end == '\0' && !d.text.empty())
        number(v);
      else
        text(d.text);
    }
    void operator()(const std::string &s) const { text(s); }
    void operator()(const DateValue &d) const {
      date(dateSerial(d, date1904), DateKind::Date, iso(d));
    }
    void operator()(const TimeValue &t) const { date(timeSerial(t), DateKind::Time, ""); }
    void operator()(const DateTimeValue &dt) const {
      bool midnight = dt.time == TimeValue{};
      char buf[32];
      std::snprintf(buf, sizeof buf, " %02d:%02d:%02d", dt.time.hour, dt.time.minute,
                    dt.time.second);
      date(dateTimeSerial(dt, date1904), midnight ? DateKind::Date : DateKind::DateTime,
           iso(dt.date) + (midnight ? "" : buf));
    }
    void operator()(const BinaryValue &b) const {
      if (isValidUtf8(b.bytes)) {
        text(b.bytes);
        return;
      }
      static const char *hex = "0123456789ABCDEF";
      std::string out = "0x";
      for (unsigned char c : b.bytes) {
        out += hex[c >> 4];
        out += hex[c & 15];
      }
      text(out);
    }
  };
  std::visit(Visitor{setText, setNumber, setDate, isoDate, cell, date1904}, value);
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

Variant Worksheet::readValue(int32_t row, int32_t column) {
  const Cell *c = cells().find(row, column);
  if (!c)
    return std::monostate{};
  CellType type = c->type;
  double number = c->number;
  std::string text;
  if (type == CellType::String)
    text = std::string(book_->sharedStrings().text(c->index));
  else if (type == CellType::Error)
    text = errorTexts()[c->index];
  else if (type == CellType::Formula) {
    const Formula &f = cells_.formula(c->index);
    type = f.cachedType;
    number = f.cachedNumber;
    text = f.cachedText;
  }
  switch (type) {
  case CellType::Number:
    if (book_->styles().isDateStyle(c->style)) {
      if (auto dt = serialToDateTime(number, book_->date1904())) {
        if (number < 1 && number >= 0)
          return dt->time;
        return *dt;
      }
    }
    return number;
  case CellType::Boolean:
    return number != 0;
  case CellType::String:
  case CellType::Error:
    return text;
  default:
    return std::monostate{};
  }
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
  for (auto node : book_->definedNames()) {
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
  // The dimension: every cell that exists, values or formats.
  int32_t r1 = 0, r2 = 0, c1 = kMaxColumns, c2 = 0;
  for (int32_t r = 1; r <= store.rowCount(); ++r) {
    const auto &cs = store.row(r)->cells;
    if (cs.empty())
      continue;
    if (!r1)
      r1 = r;
    r2 = r;
    c1 = std::min<int32_t>(c1, cs.front().column);
    c2 = std::max<int32_t>(c2, cs.back().column);
  }
  auto root = doc_.document_element();
  if (auto dim = child(root, "dimension")) {
    std::string ref = r1 ? formatAddress(CellRect{r1, c1, r2, c2}, false, false) : "A1";
    dim.attribute("ref").set_value(ref.c_str());
  }
  StringWriter w;
  doc_.save(w, "", pugi::format_raw, pugi::encoding_utf8);
  std::string placeholder = "<" + prefix_ + "sheetData/>";
  size_t at = w.out.find(placeholder);
  if (at == std::string::npos)
    throw SpreadsheetError("The worksheet \"" + name_ + "\" could not be written.");
  out(std::string_view(w.out).substr(0, at));

  const std::string &p = prefix_;
  const std::string cellOpen = "<" + p + "c r=\"", cellClose = "</" + p + "c>";
  const std::string vOpen = "><" + p + "v>", vClose = "</" + p + "v>";
  const std::string sOpen = " t=\"s\"" + vOpen, bOpen = " t=\"b\"" + vOpen;
  const std::string eOpen = " t=\"e\"" + vOpen, fOpen = "><" + p + "f", fClose = "</" + p + "f>";
  const std::string rowClose = "</" + p + "row>";
  std::vector<std::string> columnNames(static_cast<size_t>(c2 + 1));
  std::string buf;
  buf.reserve(1 << 21);
  buf += "<" + p + "sheetData>";
  for (int32_t r = 1; r <= store.rowCount(); ++r) {
    const Row &row = *store.row(r);
    if (row.isDefault())
      continue;
    buf += '<';
    buf += p;
    buf += "row r=\"";
    appendInt(buf, r);
    buf += '"';
    if (row.style || row.customFormat) {
      buf += " s=\"";
      appendInt(buf, row.style);
      buf += '"';
    }
    if (row.customFormat)
      buf += " customFormat=\"1\"";
    if (row.height >= 0) {
      buf += " ht=\"";
      appendNumber(buf, row.height);
      buf += '"';
    }
    if (row.customHeight)
      buf += " customHeight=\"1\"";
    if (row.hidden)
      buf += " hidden=\"1\"";
    if (row.outlineLevel) {
      buf += " outlineLevel=\"";
      appendInt(buf, row.outlineLevel);
      buf += '"';
    }
    if (row.collapsed)
      buf += " collapsed=\"1\"";
    if (row.thickTop)
      buf += " thickTop=\"1\"";
    if (row.thickBottom)
      buf += " thickBot=\"1\"";
    if (row.extra)
      buf += store.rowAttributes(row.extra);
    if (row.cells.empty()) {
      buf += "/>";
      continue;
    }
    buf += '>';
    for (const Cell &c : row.cells) {
      if (c.type == CellType::Empty && c.style == 0)
        continue;
      std::string &colName = columnNames[c.column];
      if (colName.empty())
        colName = columnName(c.column);
      buf += cellOpen;
      buf += colName;
      appendInt(buf, r);
      buf += '"';
      if (c.style) {
        buf += " s=\"";
        appendInt(buf, c.style);
        buf += '"';
      }
      if (c.flags & kCellHasAttributes)
        buf += store.cellAttributes(r, c.column);
      switch (c.type) {
      case CellType::Empty:
        buf += "/>";
        continue;
      case CellType::Number:
        buf += vOpen;
        appendNumber(buf, c.number);
        buf += vClose;
        break;
      case CellType::String:
        buf += sOpen;
        appendInt(buf, c.index);
        buf += vClose;
        break;
      case CellType::Boolean:
        buf += bOpen;
        buf += c.number != 0 ? '1' : '0';
        buf += vClose;
        break;
      case CellType::Error:
        buf += eOpen;
        buf += errorTexts()[c.index];
        buf += vClose;
        break;
      case CellType::Formula: {
        // The value computed before saving, typed; none when it could not be computed.
        const Formula &f = store.formula(c.index);
        if (f.cachedType == CellType::String)
          buf += " t=\"str\"";
        else if (f.cachedType == CellType::Boolean)
          buf += " t=\"b\"";
        else if (f.cachedType == CellType::Error)
          buf += " t=\"e\"";
        buf += fOpen;
        buf += f.attributes;
        if (f.text.empty()) {
          buf += "/>";
        } else {
          buf += '>';
          appendXmlEscaped(buf, f.text);
          buf += fClose;
        }
        appendCachedValue(buf, f, vOpen.substr(1), vClose);
        break;
      }
      }
      buf += cellClose;
    }
    buf += rowClose;
    if (buf.size() >= (1 << 20)) {
      out(buf);
      buf.clear();
    }
  }
  buf += "</" + p + "sheetData>";
  out(buf);
  out(std::string_view(w.out).substr(at + placeholder.size()));
}

} // namespace brevant
