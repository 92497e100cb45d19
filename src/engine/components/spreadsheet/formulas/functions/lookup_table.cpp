#include "engine/components/spreadsheet/formulas/functions/lookup_table.h"

#include "engine/components/spreadsheet/formulas/functions/value_compare.h"

namespace brevant::formulas {

Or<LookupTable> LookupTable::of(FormulaContext &context, const FormulaValue &value) {
  LookupTable t;
  t.context_ = &context;
  if (const auto *ref = std::get_if<CellReference>(&value)) {
    if (ref->areas.size() != 1 || ref->areas[0].firstSheet != ref->areas[0].lastSheet)
      return FormulaError::Value;
    t.isReference_ = true;
    t.area_ = ref->areas[0];
    t.rows_ = t.area_.rect.rowCount();
    t.columns_ = t.area_.rect.columnCount();
    return t;
  }
  auto array = toArray(context, value);
  if (!array.ok())
    return array.error();
  t.array_ = *array;
  t.rows_ = t.array_.rows;
  t.columns_ = t.array_.columns;
  return t;
}

Scalar LookupTable::at(int32_t row, int32_t column) const {
  if (isReference_)
    return context_->cellValue(area_.firstSheet, area_.rect.firstRow + row,
                               area_.rect.firstColumn + column);
  return array_.at(row, column);
}

FormulaValue LookupTable::part(int32_t row, int32_t column, int32_t rows, int32_t columns) const {
  if (isReference_) {
    SheetArea a = area_;
    a.rect.firstRow += row;
    a.rect.firstColumn += column;
    a.rect.lastRow = a.rect.firstRow + rows - 1;
    a.rect.lastColumn = a.rect.firstColumn + columns - 1;
    return CellReference{{a}};
  }
  if (rows == 1 && columns == 1)
    return fromScalar(array_.at(row, column));
  ScalarArray out;
  out.rows = rows;
  out.columns = columns;
  for (int32_t r = 0; r < rows; ++r)
    for (int32_t c = 0; c < columns; ++c)
      out.values.push_back(array_.at(row + r, column + c));
  return out;
}

std::optional<SheetArea> LookupLine::lineArea() const {
  const SheetArea *a = table_.area();
  if (!a)
    return std::nullopt;
  SheetArea line = *a;
  if (vertical_)
    line.rect.firstColumn = line.rect.lastColumn = a->rect.firstColumn + index_;
  else
    line.rect.firstRow = line.rect.lastRow = a->rect.firstRow + index_;
  return line;
}

int32_t LookupLine::usedSize(FormulaContext &context) const {
  auto area = lineArea();
  if (!area)
    return size();
  int32_t used = 0;
  context.forEachCell(*area, [&](int32_t, int32_t row, int32_t column, const Scalar &) {
    used = vertical_ ? row - area->rect.firstRow + 1 : column - area->rect.firstColumn + 1;
    return true;
  });
  return used;
}

namespace {

// Whether a value equals the wanted one for an exact lookup.
class ExactMatcher {
public:
  ExactMatcher(const Scalar &wanted, bool wildcards) : wanted_(wanted) {
    if (const auto *s = std::get_if<std::string>(&wanted); s && wildcards) {
      WildcardPattern p(*s);
      if (p.hasWildcards())
        pattern_.emplace(std::move(p));
    }
  }
  bool operator()(const Scalar &v) const {
    if (pattern_) {
      const auto *s = std::get_if<std::string>(&v);
      return s && pattern_->matches(*s);
    }
    return sameValue(v, wanted_);
  }

private:
  const Scalar &wanted_;
  std::optional<WildcardPattern> pattern_;
};

} // namespace

std::optional<int32_t> LookupLine::findExact(FormulaContext &context, const Scalar &wanted,
                                             bool wildcards, bool fromEnd) const {
  ExactMatcher matches(wanted, wildcards);
  auto area = lineArea();
  if (area && !std::holds_alternative<Blank>(wanted)) {
    std::optional<int32_t> found;
    context.forEachCell(*area, [&](int32_t, int32_t row, int32_t column, const Scalar &v) {
      if (!matches(v))
        return true;
      found = vertical_ ? row - area->rect.firstRow : column - area->rect.firstColumn;
      return fromEnd; // the last match needs the whole line
    });
    return found;
  }
  int32_t n = size();
  for (int32_t k = 0; k < n; ++k) {
    int32_t i = fromEnd ? n - 1 - k : k;
    if (matches(at(i)))
      return i;
  }
  return std::nullopt;
}

std::optional<int32_t> LookupLine::findSorted(FormulaContext &context, const Scalar &wanted,
                                              bool descending) const {
  int32_t lo = 0;
  int32_t hi = usedSize(context) - 1;
  int rank = typeRank(wanted);
  std::optional<int32_t> best;
  while (lo <= hi) {
    int32_t mid = lo + (hi - lo) / 2;
    // A value of another type (or an empty cell) is passed over toward the start.
    int32_t probe = mid;
    Scalar v = at(probe);
    while (probe > lo && typeRank(v) != rank) {
      --probe;
      v = at(probe);
    }
    if (typeRank(v) != rank) {
      lo = mid + 1;
      continue;
    }
    int order = compareOrdered(v, wanted);
    if (descending)
      order = -order;
    if (order <= 0) {
      best = probe;
      if (order == 0 && !descending) {
        // Equal values: the spreadsheet takes the last of a run of duplicates.
        lo = mid + 1;
        continue;
      }
      lo = mid + 1;
    } else {
      hi = probe - 1;
    }
  }
  return best;
}

std::optional<int32_t> LookupLine::findNearest(FormulaContext &context, const Scalar &wanted,
                                               bool smaller, bool fromEnd) const {
  int32_t n = usedSize(context);
  int rank = typeRank(wanted);
  std::optional<int32_t> best;
  Scalar bestValue;
  for (int32_t k = 0; k < n; ++k) {
    int32_t i = fromEnd ? n - 1 - k : k;
    Scalar v = at(i);
    if (typeRank(v) != rank)
      continue;
    int order = compareOrdered(v, wanted);
    if (order == 0)
      return i;
    if ((smaller && order > 0) || (!smaller && order < 0))
      continue;
    if (!best || (smaller ? compareOrdered(v, bestValue) > 0 : compareOrdered(v, bestValue) < 0)) {
      best = i;
      bestValue = v;
    }
  }
  return best;
}

} // namespace brevant::formulas
