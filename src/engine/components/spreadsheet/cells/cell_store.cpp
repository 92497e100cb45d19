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

void CellStore::reserveFormulas(size_t count) {
  const size_t needed = formulas_.size() + count;
  if (needed > formulas_.capacity())
    formulas_.reserve(std::max(needed, formulas_.capacity() + formulas_.capacity() / 2));
}

uint32_t CellStore::addFormula(Formula f) {
  formulas_.push_back(std::move(f));
  return static_cast<uint32_t>(formulas_.size() - 1);
}

void CellStore::setCellAttributes(int32_t row, int32_t column, std::string text) {
  Cell &cell = at(row, column);
  if (text.empty()) {
    dropCellAttributes(row, column, cell);
    return;
  }
  cell.flags |= kCellHasAttributes;
  cellAttributes_[{row, column}] = std::move(text);
}

std::string_view CellStore::cellAttributes(int32_t row, int32_t column) const {
  auto it = cellAttributes_.find({row, column});
  return it == cellAttributes_.end() ? std::string_view() : std::string_view(it->second);
}

void CellStore::dropCellAttributes(int32_t row, int32_t column, Cell &cell) {
  if (!(cell.flags & kCellHasAttributes))
    return;
  cell.flags &= static_cast<uint8_t>(~kCellHasAttributes);
  cellAttributes_.erase({row, column});
}

template <typename Move> void CellStore::moveCellAttributes(int32_t fromRow, Move move) {
  if (cellAttributes_.empty())
    return;
  std::vector<std::pair<std::pair<int32_t, int32_t>, std::string>> moved;
  for (auto it = cellAttributes_.lower_bound({fromRow, 0}); it != cellAttributes_.end();) {
    auto position = it->first;
    bool kept = move(position.first, position.second);
    if (kept && position == it->first) {
      ++it;
      continue;
    }
    if (kept)
      moved.emplace_back(position, std::move(it->second));
    it = cellAttributes_.erase(it);
  }
  for (auto &entry : moved)
    cellAttributes_.insert(std::move(entry));
}

uint32_t CellStore::addRowAttributes(std::string text) {
  rowAttributes_.push_back(std::move(text));
  return static_cast<uint32_t>(rowAttributes_.size());
}

} // namespace brevant

namespace brevant {

namespace {

void releaseCells(CellStore &store, const std::vector<Cell> &cells, size_t from, size_t to) {
  for (size_t i = from; i < to; ++i)
    if (cells[i].type == CellType::Formula)
      store.release(cells[i].index);
}

} // namespace

void CellStore::release(uint32_t index) {
  Formula &f = formulas_[index];
  f.dead = true;
  f.text.clear();
  f.text.shrink_to_fit();
  f.setAttributes({});
  f.setCachedText({});
}

std::pair<size_t, size_t> CellStore::band(const Row &row, int32_t first, int32_t last) {
  const auto &cells = row.cells;
  auto lo = std::lower_bound(cells.begin(), cells.end(), first,
                             [](const Cell &c, int32_t col) { return c.column < col; });
  auto hi = std::upper_bound(lo, cells.end(), last,
                             [](int32_t col, const Cell &c) { return col < c.column; });
  return {static_cast<size_t>(lo - cells.begin()), static_cast<size_t>(hi - cells.begin())};
}

void CellStore::insertRows(int32_t at, int32_t count) {
  if (at > rowCount() || count <= 0)
    return;
  rows_.insert(rows_.begin() + (at - 1), static_cast<size_t>(count), Row{});
  moveCellAttributes(at, [&](int32_t &r, int32_t &) { return (r += count) <= kMaxRowsInStore; });
  while (rowCount() > kMaxRowsInStore) {
    releaseCells(*this, rows_.back().cells, 0, rows_.back().cells.size());
    rows_.pop_back();
  }
}

void CellStore::deleteRows(int32_t at, int32_t count) {
  if (at > rowCount() || count <= 0)
    return;
  int32_t end = std::min(rowCount(), at + count - 1);
  for (int32_t r = at; r <= end; ++r) {
    const auto &cells = rows_[static_cast<size_t>(r - 1)].cells;
    releaseCells(*this, cells, 0, cells.size());
  }
  rows_.erase(rows_.begin() + (at - 1), rows_.begin() + end);
  moveCellAttributes(at, [&](int32_t &r, int32_t &) {
    if (r <= end)
      return false;
    r -= end - at + 1;
    return true;
  });
}

void CellStore::shiftBandVertically(int32_t at, int32_t count, int32_t first, int32_t last) {
  if (count == 0 || at > rowCount())
    return;
  moveCellAttributes(at, [&](int32_t &r, int32_t &c) {
    if (c < first || c > last)
      return true;
    if (count < 0 && r < at - count)
      return false;
    r += count;
    return r <= kMaxRowsInStore;
  });
  auto take = [&](int32_t r) {
    auto &cells = rows_[static_cast<size_t>(r - 1)].cells;
    auto [lo, hi] = band(rows_[static_cast<size_t>(r - 1)], first, last);
    std::vector<Cell> moved(cells.begin() + static_cast<long>(lo),
                            cells.begin() + static_cast<long>(hi));
    cells.erase(cells.begin() + static_cast<long>(lo), cells.begin() + static_cast<long>(hi));
    return moved;
  };
  auto put = [&](int32_t r, const std::vector<Cell> &moved) {
    if (moved.empty())
      return;
    auto &row = rowAt(r);
    auto [lo, hi] = band(row, first, last);
    releaseCells(*this, row.cells, lo, hi);
    row.cells.erase(row.cells.begin() + static_cast<long>(lo),
                    row.cells.begin() + static_cast<long>(hi));
    row.cells.insert(row.cells.begin() + static_cast<long>(lo), moved.begin(), moved.end());
  };
  if (count > 0) {
    for (int32_t r = rowCount(); r >= at; --r) {
      auto moved = take(r);
      if (int64_t(r) + count <= kMaxRowsInStore)
        put(r + count, moved);
      else
        releaseCells(*this, moved, 0, moved.size());
    }
    return;
  }
  const int32_t n = -count;
  for (int32_t r = at; r <= std::min(rowCount(), at + n - 1); ++r) {
    auto gone = take(r);
    releaseCells(*this, gone, 0, gone.size());
  }
  for (int32_t r = at + n; r <= rowCount(); ++r)
    put(r - n, take(r));
}

void CellStore::shiftColumns(int32_t at, int32_t count, int32_t firstRow, int32_t lastRow) {
  if (count == 0)
    return;
  moveCellAttributes(firstRow, [&](int32_t &r, int32_t &c) {
    if (r > lastRow || c < at)
      return true;
    if (count < 0 && c < at - count)
      return false;
    c += count;
    return c <= kMaxColumnsInStore;
  });
  int32_t end = std::min(rowCount(), lastRow);
  for (int32_t r = std::max(1, firstRow); r <= end; ++r) {
    auto &cells = rows_[static_cast<size_t>(r - 1)].cells;
    auto [lo, hi] = band(rows_[static_cast<size_t>(r - 1)], at, kMaxColumnsInStore);
    if (lo == hi)
      continue;
    if (count > 0) {
      size_t keep = hi;
      for (size_t i = lo; i < hi; ++i) {
        if (int32_t(cells[i].column) + count > kMaxColumnsInStore) {
          keep = i;
          break;
        }
        cells[i].column = static_cast<uint16_t>(cells[i].column + count);
      }
      releaseCells(*this, cells, keep, hi);
      cells.erase(cells.begin() + static_cast<long>(keep), cells.end());
    } else {
      const int32_t n = -count;
      auto [dlo, dhi] = band(rows_[static_cast<size_t>(r - 1)], at, at + n - 1);
      releaseCells(*this, cells, dlo, dhi);
      cells.erase(cells.begin() + static_cast<long>(dlo), cells.begin() + static_cast<long>(dhi));
      for (size_t i = dlo; i < cells.size(); ++i)
        cells[i].column = static_cast<uint16_t>(cells[i].column - n);
    }
  }
}

bool CellStore::holdsValues(int32_t firstRow, int32_t lastRow, int32_t firstColumn,
                            int32_t lastColumn) const {
  int32_t end = std::min(rowCount(), lastRow);
  for (int32_t r = std::max(1, firstRow); r <= end; ++r) {
    const Row &row = rows_[static_cast<size_t>(r - 1)];
    auto [lo, hi] = band(row, firstColumn, lastColumn);
    for (size_t i = lo; i < hi; ++i)
      if (row.cells[i].type != CellType::Empty)
        return true;
  }
  return false;
}

} // namespace brevant
