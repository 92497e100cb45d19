#pragma once
// Reading a worksheet part: the XML parsed into the sheet's document, the sheet's default sizes
// and columns, and the cells taken out of <sheetData> into the cell store (the element is left
// empty for the writer). Damaged parts throw SpreadsheetError naming the sheet.

#include <string>

#include <pugixml.hpp>

#include "engine/components/spreadsheet/sheet/sheet_geometry.h"
#include "engine/components/spreadsheet/sheet/sheet_xml.h"

namespace brevant {

class CellStore;
class SharedStrings;

// Parses `xml` into `sheet` and returns its <sheetData>, added after the columns when the part
// has none.
pugi::xml_node parseSheetPart(const std::string &xml, const std::string &sheetName,
                              SheetXml &sheet);
// The <sheetFormatPr> sizes and the <col> spans of the sheet.
SheetDefaults readSheetDefaults(pugi::xml_node root);
std::vector<ColumnInfo> readColumns(pugi::xml_node root);
// The rows and cells of <sheetData> into `cells`: values, formulas with their computed values,
// styles, row formats; attributes the engine does not model are kept as text. Shared strings
// are looked up (and inline strings added) in `strings`.
void readSheetData(pugi::xml_node sheetData, const std::string &sheetName, CellStore &cells,
                   SharedStrings &strings, bool date1904);

} // namespace brevant
