#include "engine/components/spreadsheet/worksheet.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>

namespace brevant {
namespace {

// Width of a text in character units of the default font, estimated from the characters:
// narrow letters and punctuation count less, capitals and wide letters more, East Asian
// characters twice.
double textWidth(std::string_view text) {
  double width = 0;
  double line = 0;
  for (size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    char32_t c = b;
    size_t length = 1;
    if (b >= 0xF0)
      length = 4;
    else if (b >= 0xE0)
      length = 3;
    else if (b >= 0xC0)
      length = 2;
    if (length > 1) {
      c = b & (0x7F >> length);
      for (size_t k = 1; k < length && i + k < text.size(); ++k)
        c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    }
    i += length;
    if (c == '\n') {
      width = std::max(width, line);
      line = 0;
      continue;
    }
    if ((c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
        (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
        (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
        (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD))
      line += 2.0;
    else if (std::string_view(" .,:;'!|iljtfrI()[]").find(static_cast<char>(c)) !=
                 std::string_view::npos &&
             c < 0x80)
      line += 0.55;
    else if (c == 'm' || c == 'w' || c == 'M' || c == 'W' || c == '@' || c == '%')
      line += 1.35;
    else if (c >= 'A' && c <= 'Z')
      line += 1.15;
    else
      line += 1.0;
  }
  return std::max(width, line);
}

} // namespace

void Worksheet::AutoFitColumns() {
  CellStore &store = cells();
  std::map<int32_t, double> widest;
  for (int32_t r = 1; r <= store.rowCount(); ++r) {
    const Row *row = store.row(r);
    if (row == nullptr || row->hidden)
      continue;
    for (const Cell &cell : row->cells) {
      if (cell.type == CellType::Empty)
        continue;
      const std::string shown = Cells(r, cell.column).Text();
      double &w = widest[cell.column];
      w = std::max(w, textWidth(shown));
    }
  }
  for (const auto &[column, width] : widest)
    if (width > 0)
      setColumnWidth(column, std::min(255.0, width + 0.71));
}

void Worksheet::setColumnWidth(int32_t column, double width) {
  pugi::xml_node root = doc_.document_element();
  pugi::xml_node cols;
  for (auto c : root.children())
    if (std::string_view(c.name()).ends_with("cols"))
      cols = c;
  if (!cols) {
    pugi::xml_node sheetData;
    for (auto c : root.children())
      if (std::string_view(c.name()).ends_with("sheetData"))
        sheetData = c;
    cols = root.insert_child_before((prefix_ + "cols").c_str(), sheetData);
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
    const std::string tag = prefix_ + "col";
    target = next ? cols.insert_child_before(tag.c_str(), next) : cols.append_child(tag.c_str());
    target.append_attribute("min") = column;
    target.append_attribute("max") = column;
  }
  for (const char *name : {"width", "customWidth", "bestFit"})
    if (!target.attribute(name))
      target.append_attribute(name);
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", width);
  target.attribute("width").set_value(text);
  target.attribute("customWidth").set_value("1");
  target.attribute("bestFit").set_value("1");

  // Keep the cached column list in step with the XML.
  ColumnInfo info{column, column, 0, width};
  std::vector<ColumnInfo> updated;
  for (const ColumnInfo &c : columns_) {
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
  columns_ = std::move(updated);
  columnLefts_.clear();
}

} // namespace brevant
