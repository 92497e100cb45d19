#include "engine/components/spreadsheet/cells/cell_store.h"

#include <algorithm>

namespace brevant {

const std::vector<std::string> &errorTexts() {
  static const std::vector<std::string> texts = {"#NULL!", "#DIV/0!", "#VALUE!", "#REF!",
                                                 "#NAME?", "#NUM!",   "#N/A",    "#GETTING_DATA"};
  return texts;
}

uint32_t errorIndex(std::string_view text) {
  const auto &texts = errorTexts();
  for (size_t i = 0; i < texts.size(); ++i)
    if (texts[i] == text)
      return static_cast<uint32_t>(i);
  return 2;
}

const Row *CellStore::row(int32_t row) const {
  if (row < 1 || row > rowCount())
    return nullptr;
  return &rows_[static_cast<size_t>(row - 1)];
}

Row &CellStore::rowAt(int32_t row) {
  if (row > rowCount())
    rows_.resize(static_cast<size_t>(row));
  return rows_[static_cast<size_t>(row - 1)];
}

const Cell *CellStore::find(int32_t row, int32_t column) const {
  const Row *r = this->row(row);
  if (!r)
    return nullptr;
  const auto &cells = r->cells;
  auto it = std::lower_bound(cells.begin(), cells.end(), column,
                             [](const Cell &c, int32_t col) { return c.column < col; });
  if (it == cells.end() || it->column != column)
    return nullptr;
  return &*it;
}

Cell &CellStore::at(int32_t row, int32_t column, uint32_t newStyle) {
  auto &cells = rowAt(row).cells;
  if (cells.empty() || cells.back().column < column) {
    Cell c;
    c.column = static_cast<uint16_t>(column);
    c.style = newStyle;
    cells.push_back(c);
    return cells.back();
  }
  auto it = std::lower_bound(cells.begin(), cells.end(), column,
                             [](const Cell &c, int32_t col) { return c.column < col; });
  if (it != cells.end() && it->column == column)
    return *it;
  Cell c;
  c.column = static_cast<uint16_t>(column);
  c.style = newStyle;
  return *cells.insert(it, c);
}

uint32_t CellStore::addFormula(Formula f) {
  formulas_.push_back(std::move(f));
  return static_cast<uint32_t>(formulas_.size() - 1);
}

uint32_t CellStore::addRowAttributes(std::string text) {
  rowAttributes_.push_back(std::move(text));
  return static_cast<uint32_t>(rowAttributes_.size());
}

} // namespace brevant
