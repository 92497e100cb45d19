#include "engine/components/spreadsheet/io/c_numbers.h"
#include "engine/components/spreadsheet/sheet/sheet_xml.h"
#include "engine/components/spreadsheet/worksheet.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>

#include "engine/components/spreadsheet/cells/styles.h"
#include "engine/components/spreadsheet/cells/text_width.h"
#include "engine/components/spreadsheet/structure/rect_set.h"
#include "engine/components/spreadsheet/workbook.h"

namespace brevant {

// A column takes the width of its widest displayed text plus the cell padding (5 pixels for
// a 7-pixel digit), as the spreadsheet application fits it. Merged cells do not count, and
// columns holding no text keep their width.
void Worksheet::AutoFitColumns() {
  CellStore &store = cells();
  Styles &styles = Parent().styles();
  const CellFont base = styles.defaultFont();
  const RectSet &merged = mergedCells();
  std::map<int32_t, double> widest;
  for (int32_t r = 1; r <= store.rowCount(); ++r) {
    const Row *row = store.row(r);
    if (row == nullptr || row->hidden)
      continue;
    for (const Cell &cell : row->cells) {
      if (cell.type == CellType::Empty)
        continue;
      if (!merged.empty() && merged.containing(r, cell.column) != nullptr)
        continue;
      const std::string shown = Cells(r, cell.column).Text();
      double &w = widest[cell.column];
      w = std::max(w, textWidthInDigits(shown, styles.font(cell.style), base));
    }
  }
  for (const auto &[column, width] : widest)
    if (width > 0)
      setColumnWidth(column, std::min(255.0, width + 5.0 / 7.0));
}

void Worksheet::setColumnWidth(int32_t column, double width) {
  pugi::xml_node root = xml_->root();
  pugi::xml_node cols;
  for (auto c : root.children())
    if (std::string_view(c.name()).ends_with("cols"))
      cols = c;
  if (!cols) {
    pugi::xml_node sheetData;
    for (auto c : root.children())
      if (std::string_view(c.name()).ends_with("sheetData"))
        sheetData = c;
    cols = root.insert_child_before((xml_->prefix + "cols").c_str(), sheetData);
  }
  // Split the <col> span that holds the column so that only this column changes.
  pugi::xml_node target;
  for (auto col : cols.children()) {
    const int32_t first = col.attribute("min").as_int();
    const int32_t last = col.attribute("max").as_int(first);
    if (column < first || column > last)
      continue;
    if (first < column) {
      pugi::xml_node before = cols.insert_copy_before(col, col);
      before.attribute("max").set_value(column - 1);
    }
    if (last > column) {
      pugi::xml_node after = cols.insert_copy_after(col, col);
      after.attribute("min").set_value(column + 1);
    }
    col.attribute("min").set_value(column);
    col.attribute("max").set_value(column);
    target = col;
    break;
  }
  if (!target) {
    pugi::xml_node next;
    for (auto col : cols.children())
      if (col.attribute("min").as_int() > column) {
        next = col;
        break;
      }
    const std::string tag = xml_->prefix + "col";
    target = next ? cols.insert_child_before(tag.c_str(), next) : cols.append_child(tag.c_str());
    target.append_attribute("min") = column;
    target.append_attribute("max") = column;
  }
  for (const char *name : {"width", "customWidth", "bestFit"})
    if (!target.attribute(name))
      target.append_attribute(name);
  char text[32];
  snprintfC(text, sizeof text, "%.2f", width);
  target.attribute("width").set_value(text);
  target.attribute("customWidth").set_value("1");
  target.attribute("bestFit").set_value("1");

  // Keep the cached column list in step with the XML.
  ColumnInfo info{column, column, 0, width};
  std::vector<ColumnInfo> updated;
  for (const ColumnInfo &c : geometry_.columns()) {
    if (column < c.first || column > c.last) {
      updated.push_back(c);
      continue;
    }
    info.style = c.style;
    if (c.first < column)
      updated.push_back({c.first, column - 1, c.style, c.width});
    if (c.last > column)
      updated.push_back({column + 1, c.last, c.style, c.width});
  }
  updated.push_back(info);
  geometry_.setColumns(std::move(updated));
}

} // namespace brevant
