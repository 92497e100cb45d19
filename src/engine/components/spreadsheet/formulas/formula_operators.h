#pragma once
// The spreadsheet's operators on values: arithmetic, "&", comparisons, negation and percent, on
// single values and element by element on arrays (an array of one row or column, or a single
// value, stretches to the other operand's size; positions beyond a smaller operand give #N/A).

#include <variant>

#include "engine/components/spreadsheet/formulas/formula_tree.h"
#include "engine/components/spreadsheet/formulas/formula_value.h"

namespace brevant {

// An operand after references are read: one value or an array.
using Operand = std::variant<Scalar, ScalarArray>;

Scalar applyBinary(BinaryOp op, const Scalar &a, const Scalar &b, bool date1904);
// Negate, Plus or Percent.
Scalar applyUnary(NodeKind kind, const Scalar &a, bool date1904);

FormulaValue applyBinary(BinaryOp op, const Operand &a, const Operand &b, bool date1904);
FormulaValue applyUnary(NodeKind kind, const Operand &a, bool date1904);

// A scalar as a formula value, and back (a formula value that is neither reference nor array).
[[nodiscard]] FormulaValue toFormulaValue(Scalar value);
[[nodiscard]] Scalar toScalar(FormulaValue value);

} // namespace brevant
