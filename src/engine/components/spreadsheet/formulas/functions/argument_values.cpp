#include "engine/components/spreadsheet/formulas/functions/argument_values.h"

#include <cmath>
#include <memory>

#include "base/strings.h"
#include "engine/components/spreadsheet/formulas/functions/value_text.h"

namespace brevant::formulas {
namespace {

Scalar intersect(FormulaContext &context, const CellReference &ref) {
  if (ref.areas.size() != 1)
    return FormulaError::Value;
  const SheetArea &area = ref.areas.front();
  if (area.firstSheet != area.lastSheet)
    return FormulaError::Value;
  const CellRect &r = area.rect;
  if (r.rowCount() == 1 && r.columnCount() == 1)
    return context.cellValue(area.firstSheet, r.firstRow, r.firstColumn);
  if (context.hostSheet() < 0)
    return FormulaError::Value;
  if (r.columnCount() == 1 && context.hostRow() >= r.firstRow && context.hostRow() <= r.lastRow)
    return context.cellValue(area.firstSheet, context.hostRow(), r.firstColumn);
  if (r.rowCount() == 1 && context.hostColumn() >= r.firstColumn &&
      context.hostColumn() <= r.lastColumn)
    return context.cellValue(area.firstSheet, r.firstRow, context.hostColumn());
  return FormulaError::Value;
}

} // namespace

std::optional<FormulaValue> elementwise(const FunctionCall &call, uint32_t oneValue,
                                        FormulaValue (*compute)(const FunctionCall &)) {
  auto several = [&](size_t i) {
    if (i >= 32 || !(oneValue & (1u << i)))
      return false;
    const FormulaValue &v = call.argument(i);
    if (const auto *ref = std::get_if<CellReference>(&v))
      return cellCount(*ref) > 1;
    const auto *array = std::get_if<ScalarArray>(&v);
    return array && array->values.size() > 1;
  };
  // The usual call (single values only) costs this loop and nothing more.
  size_t first = 0;
  while (first < call.size() && !several(first))
    ++first;
  if (first == call.size())
    return std::nullopt;
  FormulaContext &context = call.context();
  std::vector<FormulaValue> arguments(call.size());
  std::vector<size_t> spread; // the arguments read element by element
  int32_t rows = 1;
  int32_t columns = 1;
  for (size_t i = 0; i < call.size(); ++i) {
    const FormulaValue &v = call.argument(i);
    if (i >= first && several(i)) {
      auto array = toArray(context, v);
      if (!array.ok())
        return std::nullopt;
      rows = std::max(rows, array->rows);
      columns = std::max(columns, array->columns);
      arguments[i] = *array;
      spread.push_back(i);
    } else {
      arguments[i] = v;
    }
  }
  if (spread.empty())
    return std::nullopt;
  std::vector<ScalarArray> arrays;
  arrays.reserve(spread.size());
  for (size_t i : spread)
    arrays.push_back(std::move(std::get<ScalarArray>(arguments[i])));
  std::unique_ptr<bool[]> omitted(new bool[call.size() + 1]);
  for (size_t i = 0; i < call.size(); ++i)
    omitted[i] = call.omitted(i);
  ScalarArray out = arrayOfSize(rows, columns);
  for (int32_t r = 0; r < rows; ++r)
    for (int32_t c = 0; c < columns; ++c) {
      bool inside = true;
      for (size_t k = 0; k < spread.size() && inside; ++k) {
        const Scalar *element = stretchedAt(arrays[k], r, c);
        inside = element != nullptr;
        if (inside)
          arguments[spread[k]] = fromScalar(*element);
      }
      if (!inside) {
        out.values.emplace_back(FormulaError::NA);
        continue;
      }
      FunctionCall element(context, arguments, std::span<const bool>(omitted.get(), call.size()));
      out.values.push_back(toScalar(context, compute(element)));
    }
  return out;
}

Scalar toScalar(FormulaContext &context, const FormulaValue &value) {
  return std::visit(
      [&](const auto &v) -> Scalar {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, CellReference>)
          return intersect(context, v);
        else if constexpr (std::is_same_v<T, ScalarArray>)
          return v.values.empty() ? Scalar{FormulaError::Value} : v.values.front();
        else
          return v;
      },
      value);
}

Scalar scalarArgument(const FunctionCall &call, size_t index) {
  if (index >= call.size())
    return Blank{};
  return toScalar(call.context(), call.argument(index));
}

Or<double> toNumber(const Scalar &value, bool date1904) {
  if (const auto *d = std::get_if<double>(&value))
    return *d;
  if (std::holds_alternative<Blank>(value))
    return 0.0;
  if (const auto *b = std::get_if<bool>(&value))
    return *b ? 1.0 : 0.0;
  if (const auto *e = std::get_if<FormulaError>(&value))
    return *e;
  const auto &text = std::get<std::string>(value);
  if (auto v = parseNumberText(text, date1904))
    return *v;
  return FormulaError::Value;
}

Or<std::string> toText(const Scalar &value) {
  if (const auto *s = std::get_if<std::string>(&value))
    return *s;
  if (const auto *d = std::get_if<double>(&value))
    return numberToText(*d);
  if (const auto *b = std::get_if<bool>(&value))
    return std::string(*b ? "TRUE" : "FALSE");
  if (const auto *e = std::get_if<FormulaError>(&value))
    return *e;
  return std::string();
}

Or<bool> toBoolean(const Scalar &value) {
  if (const auto *b = std::get_if<bool>(&value))
    return *b;
  if (const auto *d = std::get_if<double>(&value))
    return *d != 0;
  if (std::holds_alternative<Blank>(value))
    return false;
  if (const auto *e = std::get_if<FormulaError>(&value))
    return *e;
  const auto &text = std::get<std::string>(value);
  if (equalsAsciiNoCase(text, "TRUE"))
    return true;
  if (equalsAsciiNoCase(text, "FALSE"))
    return false;
  return FormulaError::Value;
}

Or<double> numberArgument(const FunctionCall &call, size_t index) {
  return toNumber(scalarArgument(call, index), call.context().date1904());
}

Or<double> integerArgument(const FunctionCall &call, size_t index) {
  return integerOr<0>(call, index);
}

Or<std::string> textArgument(const FunctionCall &call, size_t index) {
  return toText(scalarArgument(call, index));
}

Or<bool> booleanArgument(const FunctionCall &call, size_t index) {
  return toBoolean(scalarArgument(call, index));
}

Or<const CellReference *> referenceArgument(const FunctionCall &call, size_t index) {
  const auto *ref =
      index < call.size() ? std::get_if<CellReference>(&call.argument(index)) : nullptr;
  if (!ref)
    return FormulaError::Value;
  return ref;
}

Or<double> numberArgumentOr(const FunctionCall &call, size_t index, double fallback) {
  if (index >= call.size() || call.omitted(index))
    return fallback;
  return numberArgument(call, index);
}

Or<bool> booleanArgumentOr(const FunctionCall &call, size_t index, bool fallback) {
  if (index >= call.size() || call.omitted(index))
    return fallback;
  return booleanArgument(call, index);
}

void forEachValue(FormulaContext &context, const FormulaValue &value, const ValueVisitor &visit) {
  if (const auto *ref = std::get_if<CellReference>(&value)) {
    bool go = true;
    for (const SheetArea &area : ref->areas) {
      context.forEachCell(area, [&](int32_t, int32_t, int32_t, const Scalar &v) {
        go = visit(v, Origin::Reference);
        return go;
      });
      if (!go)
        return;
    }
    return;
  }
  if (const auto *array = std::get_if<ScalarArray>(&value)) {
    for (const Scalar &v : array->values)
      if (!visit(v, Origin::Array))
        return;
    return;
  }
  visit(toScalar(context, value), Origin::Direct);
}

Or<std::vector<double>> collectNumbers(const FunctionCall &call, size_t first, size_t last) {
  std::vector<double> numbers;
  std::optional<FormulaError> error;
  bool date1904 = call.context().date1904();
  for (size_t i = first; i < call.size() && i <= last && !error; ++i) {
    forEachValue(call.context(), call.argument(i), [&](const Scalar &v, Origin origin) {
      if (const auto *e = std::get_if<FormulaError>(&v)) {
        error = *e;
        return false;
      }
      if (const auto *d = std::get_if<double>(&v)) {
        numbers.push_back(*d);
        return true;
      }
      if (origin != Origin::Direct)
        return true;
      auto n = toNumber(v, date1904);
      if (!n.ok()) {
        error = n.error();
        return false;
      }
      numbers.push_back(*n);
      return true;
    });
  }
  if (error)
    return *error;
  return numbers;
}

Or<ScalarArray> toArray(FormulaContext &context, const FormulaValue &value) {
  if (const auto *array = std::get_if<ScalarArray>(&value))
    return *array;
  if (const auto *ref = std::get_if<CellReference>(&value)) {
    if (ref->areas.size() != 1 || ref->areas[0].firstSheet != ref->areas[0].lastSheet)
      return FormulaError::Value;
    const SheetArea &area = ref->areas[0];
    ScalarArray out;
    out.rows = area.rect.rowCount();
    out.columns = area.rect.columnCount();
    out.values.assign(static_cast<size_t>(out.rows) * static_cast<size_t>(out.columns), Blank{});
    context.forEachCell(area, [&](int32_t, int32_t row, int32_t column, const Scalar &v) {
      out.values[static_cast<size_t>(row - area.rect.firstRow) * out.columns +
                 static_cast<size_t>(column - area.rect.firstColumn)] = v;
      return true;
    });
    return out;
  }
  ScalarArray out;
  out.rows = 1;
  out.columns = 1;
  out.values.push_back(toScalar(context, value));
  return out;
}

int64_t cellCount(const CellReference &reference) {
  int64_t n = 0;
  for (const SheetArea &a : reference.areas)
    n += static_cast<int64_t>(a.lastSheet - a.firstSheet + 1) * a.rect.rowCount() *
         a.rect.columnCount();
  return n;
}

FormulaValue fromScalar(const Scalar &value) {
  return std::visit([](const auto &v) -> FormulaValue { return v; }, value);
}

FormulaValue numberResult(double value) {
  if (!std::isfinite(value))
    return FormulaError::Num;
  return value;
}

} // namespace brevant::formulas
