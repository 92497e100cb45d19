#include "engine/components/spreadsheet/formulas/formula_operators.h"

#include <cmath>

#include "engine/components/spreadsheet/formulas/functions/argument_values.h"
#include "engine/components/spreadsheet/formulas/functions/value_compare.h"

namespace brevant {

namespace {

Scalar numberResult(double v) {
  if (!std::isfinite(v))
    return FormulaError::Num;
  return v;
}

Scalar arithmetic(BinaryOp op, double x, double y) {
  switch (op) {
  case BinaryOp::Add:
    return numberResult(x + y);
  case BinaryOp::Subtract:
    return numberResult(x - y);
  case BinaryOp::Multiply:
    return numberResult(x * y);
  case BinaryOp::Divide:
    if (y == 0)
      return FormulaError::Div0;
    return numberResult(x / y);
  case BinaryOp::Power:
    if (x == 0 && y == 0)
      return FormulaError::Num;
    if (x == 0 && y < 0)
      return FormulaError::Div0;
    return numberResult(std::pow(x, y));
  default:
    return FormulaError::Value;
  }
}

// The element of an operand at (row, column) of the result, stretched as the operators stretch.
const Scalar *elementAt(const Operand &o, int32_t row, int32_t column) {
  if (const Scalar *s = std::get_if<Scalar>(&o))
    return s;
  return stretchedAt(std::get<ScalarArray>(o), row, column);
}

void extent(const Operand &o, int32_t &rows, int32_t &columns) {
  if (const ScalarArray *a = std::get_if<ScalarArray>(&o)) {
    rows = std::max(rows, a->rows);
    columns = std::max(columns, a->columns);
  }
}

} // namespace

Scalar applyBinary(BinaryOp op, const Scalar &a, const Scalar &b, bool date1904) {
  if (isError(a))
    return a;
  if (isError(b))
    return b;
  if (op == BinaryOp::Concat)
    return *formulas::toText(a) + *formulas::toText(b);
  if (op >= BinaryOp::Equal) {
    int c = formulas::compareScalars(a, b);
    switch (op) {
    case BinaryOp::Equal:
      return c == 0;
    case BinaryOp::NotEqual:
      return c != 0;
    case BinaryOp::Less:
      return c < 0;
    case BinaryOp::LessEqual:
      return c <= 0;
    case BinaryOp::Greater:
      return c > 0;
    default:
      return c >= 0;
    }
  }
  auto x = formulas::toNumber(a, date1904);
  auto y = formulas::toNumber(b, date1904);
  if (auto error = formulas::firstError(x, y))
    return *error;
  return arithmetic(op, *x, *y);
}

Scalar applyUnary(NodeKind kind, const Scalar &a, bool date1904) {
  if (kind == NodeKind::Plus)
    return a;
  auto x = formulas::toNumber(a, date1904);
  if (!x.ok())
    return x.error();
  return kind == NodeKind::Negate ? Scalar(-*x) : Scalar(*x / 100);
}

FormulaValue applyBinary(BinaryOp op, const Operand &a, const Operand &b, bool date1904) {
  if (std::holds_alternative<Scalar>(a) && std::holds_alternative<Scalar>(b))
    return toFormulaValue(applyBinary(op, std::get<Scalar>(a), std::get<Scalar>(b), date1904));
  int32_t rows = 0, columns = 0;
  extent(a, rows, columns);
  extent(b, rows, columns);
  ScalarArray out = arrayOfSize(rows, columns);
  for (int32_t r = 0; r < rows; ++r)
    for (int32_t c = 0; c < columns; ++c) {
      const Scalar *x = elementAt(a, r, c), *y = elementAt(b, r, c);
      if (!x || !y)
        out.values.emplace_back(FormulaError::NA);
      else
        out.values.push_back(applyBinary(op, *x, *y, date1904));
    }
  return out;
}

FormulaValue applyUnary(NodeKind kind, const Operand &a, bool date1904) {
  if (const Scalar *s = std::get_if<Scalar>(&a))
    return toFormulaValue(applyUnary(kind, *s, date1904));
  ScalarArray out = std::get<ScalarArray>(a);
  for (Scalar &v : out.values)
    v = applyUnary(kind, v, date1904);
  return out;
}

FormulaValue toFormulaValue(Scalar value) {
  return std::visit([](auto &&v) -> FormulaValue { return std::forward<decltype(v)>(v); },
                    std::move(value));
}

Scalar toScalar(FormulaValue value) {
  switch (value.index()) {
  case 0:
    return Blank{};
  case 1:
    return std::get<double>(value);
  case 2:
    return std::move(std::get<std::string>(value));
  case 3:
    return std::get<bool>(value);
  case 4:
    return std::get<FormulaError>(value);
  default:
    return FormulaError::Value;
  }
}

} // namespace brevant
