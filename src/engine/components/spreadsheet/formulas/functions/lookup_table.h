#pragma once
// The data a lookup function searches: a reference's one rectangle or an array, seen as a
// table, and one row or column of it as a line. Exact search visits only the cells that hold
// something; approximate search is a binary search over sorted data, as in the spreadsheet.

#include <optional>

#include "engine/components/spreadsheet/formulas/functions/argument_values.h"

namespace brevant::formulas {

class LookupTable {
public:
  // #VALUE! for a reference of several areas or sheets; a scalar is a 1x1 table.
  static Or<LookupTable> of(FormulaContext &context, const FormulaValue &value);

  int32_t rows() const { return rows_; }
  int32_t columns() const { return columns_; }
  Scalar at(int32_t row, int32_t column) const; // 0-based
  // The cells from (row, column) on, `rows` x `columns` of them: a reference when the table
  // is one, else the values (a single one as a scalar).
  FormulaValue part(int32_t row, int32_t column, int32_t rows, int32_t columns) const;
  const SheetArea *area() const { return isReference_ ? &area_ : nullptr; }

private:
  FormulaContext *context_ = nullptr;
  bool isReference_ = false;
  SheetArea area_;
  ScalarArray array_;
  int32_t rows_ = 0;
  int32_t columns_ = 0;
};

// One row (vertical = false) or column of a table.
class LookupLine {
public:
  LookupLine(const LookupTable &table, bool vertical, int32_t index)
      : table_(table), vertical_(vertical), index_(index) {}
  int32_t size() const { return vertical_ ? table_.rows() : table_.columns(); }
  Scalar at(int32_t i) const { return vertical_ ? table_.at(i, index_) : table_.at(index_, i); }
  // The first (or last) position whose value equals `wanted`: texts without regard to case,
  // with wildcards when `wildcards` is set.
  std::optional<int32_t> findExact(FormulaContext &context, const Scalar &wanted, bool wildcards,
                                   bool fromEnd = false) const;
  // Binary search over ascending (or descending) data: the last position whose value is not
  // past `wanted`, among values of its type.
  std::optional<int32_t> findSorted(FormulaContext &context, const Scalar &wanted,
                                    bool descending = false) const;
  // The position of the value closest below (`smaller`) or above `wanted`, searching every
  // value; exact matches win.
  std::optional<int32_t> findNearest(FormulaContext &context, const Scalar &wanted, bool smaller,
                                     bool fromEnd) const;

private:
  // The line's cells as an area when the table is a reference.
  std::optional<SheetArea> lineArea() const;
  // One past the last position that holds something.
  int32_t usedSize(FormulaContext &context) const;

  const LookupTable &table_;
  bool vertical_;
  int32_t index_;
};

} // namespace brevant::formulas
