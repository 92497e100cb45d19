#include "engine/components/spreadsheet/sheet/sheet_writer.h"

#include <algorithm>
#include <charconv>

#include "engine/components/spreadsheet/cells/cell_address.h"
#include "engine/components/spreadsheet/cells/cell_store.h"
#include "engine/components/spreadsheet/io/xml_names.h"
#include "engine/components/spreadsheet/io/xml_serialize.h"
#include "engine/components/spreadsheet/io/xml_text.h"
#include "engine/components/spreadsheet/sheet/sheet_xml.h"
#include "engine/components/spreadsheet/spreadsheet_error.h"

namespace brevant {

namespace {

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
    appendXstring(out, f.cachedText());
    break;
  case CellType::Error:
    out += vOpen;
    appendXmlEscaped(out, f.cachedText());
    break;
  default:
    return;
  }
  out += vClose;
}

} // namespace

void writeSheetPart(SheetXml &sheet, const CellStore &store, const std::string &sheetName,
                    const std::function<void(std::string_view)> &out) {
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
  auto root = sheet.root();
  if (auto dim = child(root, "dimension")) {
    std::string ref = r1 ? formatAddress(CellRect{r1, c1, r2, c2}, false, false) : "A1";
    dim.attribute("ref").set_value(ref.c_str());
  }
  const std::string text = xmlToString(sheet.doc);
  std::string placeholder = "<" + sheet.prefix + "sheetData/>";
  size_t at = text.find(placeholder);
  if (at == std::string::npos)
    throw SpreadsheetError("The worksheet \"" + sheetName + "\" could not be written.");
  out(std::string_view(text).substr(0, at));

  const std::string &p = sheet.prefix;
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
        buf += f.attributes();
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
  out(std::string_view(text).substr(at + placeholder.size()));
}

} // namespace brevant
