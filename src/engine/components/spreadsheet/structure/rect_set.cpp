#include "engine/components/spreadsheet/structure/rect_set.h"

#include <algorithm>

namespace brevant {

namespace {

bool overlaps(const CellRect &a, const CellRect &b) {
  return a.firstRow <= b.lastRow && b.firstRow <= a.lastRow && a.firstColumn <= b.lastColumn &&
         b.firstColumn <= a.lastColumn;
}

bool byFirstRow(const CellRect &a, const CellRect &b) { return a.firstRow < b.firstRow; }

} // namespace

void RectSet::updateHeight(const CellRect &rect) {
  maxHeight_ = std::max(maxHeight_, rect.rowCount());
}

size_t RectSet::firstReaching(int32_t row) const {
  int64_t from = int64_t(row) - maxHeight_ + 1;
  auto it = std::lower_bound(rects_.begin(), rects_.end(), from,
                             [](const CellRect &r, int64_t v) { return r.firstRow < v; });
  return static_cast<size_t>(it - rects_.begin());
}

void RectSet::add(const CellRect &rect, bool join) {
  auto it = std::upper_bound(rects_.begin(), rects_.end(), rect, byFirstRow);
  if (join && !rects_.empty()) {
    // Already covered: nothing to add.
    for (size_t i = firstReaching(rect.firstRow);
         i < rects_.size() && rects_[i].firstRow <= rect.firstRow; ++i) {
      const CellRect &r = rects_[i];
      if (r.firstRow <= rect.firstRow && r.lastRow >= rect.lastRow &&
          r.firstColumn <= rect.firstColumn && r.lastColumn >= rect.lastColumn)
        return;
    }
    // The rectangle directly above with the same columns, or directly left with the same rows.
    size_t from = firstReaching(rect.firstRow - 1);
    for (size_t i = from; i < rects_.size() && rects_[i].firstRow <= rect.firstRow; ++i) {
      CellRect &r = rects_[i];
      if (r.firstColumn == rect.firstColumn && r.lastColumn == rect.lastColumn &&
          r.lastRow + 1 == rect.firstRow) {
        r.lastRow = rect.lastRow;
        updateHeight(r);
        return;
      }
      if (r.firstRow == rect.firstRow && r.lastRow == rect.lastRow &&
          r.lastColumn + 1 == rect.firstColumn) {
        r.lastColumn = rect.lastColumn;
        return;
      }
    }
  }
  rects_.insert(it, rect);
  updateHeight(rect);
}

void RectSet::shift(const SheetShift &shift) {
  if (rects_.empty() || shift.count == 0)
    return;
  size_t from = 0;
  bool ordered = true;
  if (!shift.columns) {
    from = firstReaching(shift.at);
    // Inserting whole rows moves every rectangle below by the same amount: the order holds.
    ordered = shift.count > 0 && shift.wholeBand();
  }
  size_t out = from;
  for (size_t i = from; i < rects_.size(); ++i) {
    CellRect r = rects_[i];
    if (shiftRect(r, shift) == ShiftOutcome::Deleted)
      continue;
    updateHeight(r);
    rects_[out++] = r;
  }
  rects_.resize(out);
  if (!ordered)
    std::stable_sort(rects_.begin() + static_cast<long>(from), rects_.end(), byFirstRow);
}

void RectSet::removeOverlapping(const CellRect &area) {
  size_t from = firstReaching(area.firstRow);
  size_t out = from;
  for (size_t i = from; i < rects_.size(); ++i) {
    if (overlaps(rects_[i], area))
      continue;
    rects_[out++] = rects_[i];
  }
  rects_.resize(out);
}

std::vector<CellRect> RectSet::overlapping(const CellRect &area) const {
  std::vector<CellRect> found;
  for (size_t i = firstReaching(area.firstRow);
       i < rects_.size() && rects_[i].firstRow <= area.lastRow; ++i)
    if (overlaps(rects_[i], area))
      found.push_back(rects_[i]);
  return found;
}

const CellRect *RectSet::containing(int32_t row, int32_t column) const {
  for (size_t i = firstReaching(row); i < rects_.size() && rects_[i].firstRow <= row; ++i)
    if (rects_[i].contains(row, column))
      return &rects_[i];
  return nullptr;
}

void RectSet::clear() {
  rects_.clear();
  maxHeight_ = 1;
}

std::string RectSet::text() const {
  std::string out;
  for (const auto &r : rects_) {
    if (!out.empty())
      out += ' ';
    out += formatAddress(r, false, false);
  }
  return out;
}

std::vector<CellRect> RectSet::parseList(std::string_view text) {
  std::vector<CellRect> list;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && text[i] == ' ')
      ++i;
    size_t j = text.find(' ', i);
    if (j == std::string_view::npos)
      j = text.size();
    if (j > i)
      if (auto rect = parseReference(text.substr(i, j - i)))
        list.push_back(*rect);
    i = j;
  }
  return list;
}

} // namespace brevant
