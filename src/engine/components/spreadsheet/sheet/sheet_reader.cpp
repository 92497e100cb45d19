#include "engine/components/spreadsheet/sheet/sheet_reader.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "engine/components/spreadsheet/cells/cell_store.h"
#include "engine/components/spreadsheet/cells/date_serial.h"
#include "engine/components/spreadsheet/cells/shared_strings.h"
#include "engine/components/spreadsheet/io/c_numbers.h"
#include "engine/components/spreadsheet/io/rich_text_xml.h"
#include "engine/components/spreadsheet/io/xml_names.h"
#include "engine/components/spreadsheet/io/xml_text.h"
#include "engine/components/spreadsheet/spreadsheet_error.h"

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

} // namespace

pugi::xml_node parseSheetPart(const std::string &xml, const std::string &sheetName,
                              SheetXml &sheet) {
  pugi::xml_document &doc = sheet.doc;
  auto result =
      doc.load_buffer(xml.data(), xml.size(),
                      pugi::parse_default | pugi::parse_declaration | pugi::parse_ws_pcdata_single);
  if (!result)
    throw SpreadsheetError("The worksheet \"" + sheetName + "\" is damaged (" +
                           result.description() + " at byte " + std::to_string(result.offset) +
                           ").");
  auto root = doc.document_element();
  if (localName(root.name()) != "worksheet")
    throw SpreadsheetError("The part of the worksheet \"" + sheetName + "\" is not a worksheet.");
  std::string_view rootName = root.name();
  sheet.prefix = std::string(rootName.substr(0, rootName.size() - std::strlen("worksheet")));
  auto sheetData = child(root, "sheetData");
  if (!sheetData) {
    // A sheet without cells still needs its sheetData, right after the columns.
    pugi::xml_node after;
    for (auto name : {"cols", "sheetFormatPr", "sheetViews", "dimension", "sheetPr"})
      if ((after = child(root, name)))
        break;
    std::string tag = sheet.prefix + "sheetData";
    sheetData =
        after ? root.insert_child_after(tag.c_str(), after) : root.prepend_child(tag.c_str());
  }
  return sheetData;
}

SheetDefaults readSheetDefaults(pugi::xml_node root) {
  SheetDefaults defaults;
  if (auto fmt = child(root, "sheetFormatPr")) {
    if (auto w = fmt.attribute("defaultColWidth")) {
      defaults.columnWidth = attributeNumber(w);
      defaults.hasColumnWidth = true;
    }
    defaults.baseColumnWidth = attributeNumber(fmt.attribute("baseColWidth"), 8);
    defaults.rowHeight = attributeNumber(fmt.attribute("defaultRowHeight"), 15);
  }
  return defaults;
}

std::vector<ColumnInfo> readColumns(pugi::xml_node root) {
  std::vector<ColumnInfo> columns;
  for (auto col : child(root, "cols").children()) {
    if (localName(col.name()) != "col")
      continue;
    ColumnInfo info;
    info.first = std::clamp(col.attribute("min").as_int(1), 1, kMaxColumns);
    info.last = std::clamp(col.attribute("max").as_int(info.first), info.first, kMaxColumns);
    info.style = col.attribute("style").as_uint(0);
    info.width = attributeNumber(col.attribute("width"), -1);
    info.hidden = attrTrue(col.attribute("hidden"));
    columns.push_back(info);
  }
  return columns;
}

void readSheetData(pugi::xml_node sheetData, const std::string &sheetName, CellStore &cells,
                   SharedStrings &strings, bool date1904) {
  int32_t lastRow = 0;
  for (auto rowNode : sheetData.children()) {
    if (localName(rowNode.name()) != "row")
      continue;
    int32_t r = rowNode.attribute("r").as_int(lastRow + 1);
    if (r <= lastRow || r > kMaxRows)
      throw SpreadsheetError("The worksheet \"" + sheetName + "\" has its rows out of order.");
    lastRow = r;
    Row &row = cells.rowAt(r);
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
      row.extra = cells.addRowAttributes(std::move(extra));
    int32_t lastColumn = 0;
    for (auto c : rowNode.children()) {
      if (localName(c.name()) != "c")
        continue;
      int32_t cr = r, cc = lastColumn + 1;
      if (auto ref = c.attribute("r"))
        if (!parseCellName(ref.value(), cr, cc) || cr != r)
          throw SpreadsheetError("The worksheet \"" + sheetName + "\" has a cell \"" + ref.value() +
                                 "\" in the wrong row.");
      if (cc <= lastColumn || cc > kMaxColumns)
        throw SpreadsheetError("The worksheet \"" + sheetName + "\" has its cells out of order.");
      lastColumn = cc;
      Cell &cell = cells.at(r, cc);
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
        cells.setCellAttributes(r, cc, std::move(kept));
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
            throw SpreadsheetError("The worksheet \"" + sheetName +
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
          if (auto serial = dateTimeSerial(dt, date1904)) {
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
        std::string attributes;
        for (auto a : f.attributes()) {
          attributes += ' ';
          attributes += a.name();
          attributes += "=\"";
          appendXmlEscaped(attributes, a.value());
          attributes += '"';
        }
        formula.setAttributes(std::move(attributes));
        // A dynamic array carries cell metadata; a classic array formula does not.
        formula.spills =
            std::string_view(f.attribute("t").value()) == "array" && !c.attribute("cm").empty();
        formula.cachedType = type;
        formula.cachedNumber = number;
        formula.setCachedText(std::move(text));
        cell.type = CellType::Formula;
        cell.index = cells.addFormula(std::move(formula));
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

} // namespace brevant
