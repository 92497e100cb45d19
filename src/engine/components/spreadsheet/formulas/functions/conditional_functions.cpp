// The conditional aggregates: SUMIF, SUMIFS, COUNTIF, COUNTIFS, AVERAGEIF, AVERAGEIFS, MINIFS,
// MAXIFS. Each pairs ranges of one shape with criteria; a cell position counts when every
// range's cell at that position meets its criterion. Only cells that hold something are
// visited, so a whole-column criterion costs what the column holds.

#include <unordered_set>

#include "engine/components/spreadsheet/formulas/functions/aggregates.h"
#include "engine/components/spreadsheet/formulas/functions/argument_values.h"
#include "engine/components/spreadsheet/formulas/functions/criteria.h"
#include "engine/components/spreadsheet/formulas/functions/function_families.h"

namespace brevant::formulas {
namespace {

struct Condition {
  SheetArea area;
  Criterion criterion;
};

Or<SheetArea> singleArea(const FormulaValue &value) {
  const auto *ref = std::get_if<CellReference>(&value);
  if (!ref || ref->areas.size() != 1 || ref->areas[0].firstSheet != ref->areas[0].lastSheet)
    return FormulaError::Value;
  return ref->areas[0];
}

bool sameShape(const SheetArea &a, const SheetArea &b) {
  return a.rect.rowCount() == b.rect.rowCount() && a.rect.columnCount() == b.rect.columnCount();
}

// The area of `value` from its top-left cell, resized to the shape of `shape` (SUMIF's sum
// range), kept within the sheet.
Or<SheetArea> resizedLike(const FormulaValue &value, const SheetArea &shape) {
  auto area = singleArea(value);
  if (!area.ok())
    return area;
  SheetArea out = *area;
  out.rect.lastRow = std::min(kMaxRows, out.rect.firstRow + shape.rect.rowCount() - 1);
  out.rect.lastColumn = std::min(kMaxColumns, out.rect.firstColumn + shape.rect.columnCount() - 1);
  return out;
}

// Whether every condition holds at the offset (dr, dc) from the areas' top-left cells.
bool allHold(FormulaContext &context, const std::vector<Condition> &conditions, int32_t dr,
             int32_t dc, const Condition *skip = nullptr) {
  for (const Condition &c : conditions) {
    if (&c == skip)
      continue;
    int32_t row = c.area.rect.firstRow + dr;
    int32_t column = c.area.rect.firstColumn + dc;
    Scalar v = row <= kMaxRows && column <= kMaxColumns
                   ? context.cellValue(c.area.firstSheet, row, column)
                   : Scalar{Blank{}};
    if (!c.criterion.matches(v))
      return false;
  }
  return true;
}

// Reads range/criterion pairs from argument `first` on; every range must have the shape of
// `shape` when given (else of the first range).
Or<std::vector<Condition>> readConditions(const FunctionCall &call, size_t first,
                                          const SheetArea *shape) {
  std::vector<Condition> conditions;
  if ((call.size() - first) % 2 != 0)
    return FormulaError::Value;
  for (size_t i = first; i + 1 < call.size(); i += 2) {
    auto area = singleArea(call.argument(i));
    if (!area.ok())
      return area.error();
    const SheetArea &reference = shape ? *shape : conditions.empty() ? *area : conditions[0].area;
    if (!sameShape(*area, reference))
      return FormulaError::Value;
    conditions.push_back(
        {*area, Criterion(scalarArgument(call, i + 1), call.context().date1904())});
  }
  return conditions;
}

// The numbers of `values` at the positions where every condition holds; the first error of a
// counted cell wins.
Or<std::vector<double>> matchingNumbers(FormulaContext &context, const SheetArea &values,
                                        const std::vector<Condition> &conditions) {
  std::vector<double> numbers;
  std::optional<FormulaError> error;
  context.forEachCell(values, [&](int32_t, int32_t row, int32_t column, const Scalar &v) {
    bool number = std::holds_alternative<double>(v);
    if (!number && !isError(v))
      return true;
    if (!allHold(context, conditions, row - values.rect.firstRow, column - values.rect.firstColumn))
      return true;
    if (!number) {
      error = std::get<FormulaError>(v);
      return false;
    }
    numbers.push_back(std::get<double>(v));
    return true;
  });
  if (error)
    return *error;
  return numbers;
}

// The number of positions where every condition holds.
double countMatches(FormulaContext &context, const std::vector<Condition> &conditions) {
  for (const Condition &driver : conditions) {
    if (driver.criterion.matchesBlank())
      continue;
    // Only positions where this range holds something can count.
    double n = 0;
    const CellRect &r = driver.area.rect;
    context.forEachCell(driver.area, [&](int32_t, int32_t row, int32_t column, const Scalar &v) {
      if (driver.criterion.matches(v) &&
          allHold(context, conditions, row - r.firstRow, column - r.firstColumn, &driver))
        ++n;
      return true;
    });
    return n;
  }
  // Every criterion takes empty cells: count the positions where some cell fails.
  std::unordered_set<int64_t> failing;
  const CellRect &shape = conditions[0].area.rect;
  for (const Condition &c : conditions)
    context.forEachCell(c.area, [&](int32_t, int32_t row, int32_t column, const Scalar &v) {
      if (!c.criterion.matches(v))
        failing.insert(static_cast<int64_t>(row - c.area.rect.firstRow) * kMaxColumns +
                       (column - c.area.rect.firstColumn));
      return true;
    });
  return static_cast<double>(static_cast<int64_t>(shape.rowCount()) * shape.columnCount() -
                             static_cast<int64_t>(failing.size()));
}

// SUMIF and AVERAGEIF: (range, criterion, [values]).
template <FormulaValue (*Aggregate)(const std::vector<double> &)>
FormulaValue ifFunction(const FunctionCall &call) {
  auto range = singleArea(call.argument(0));
  if (!range.ok())
    return range.error();
  std::vector<Condition> conditions{
      {*range, Criterion(scalarArgument(call, 1), call.context().date1904())}};
  SheetArea values = *range;
  if (call.size() > 2 && !call.omitted(2)) {
    auto v = resizedLike(call.argument(2), *range);
    if (!v.ok())
      return v.error();
    values = *v;
  }
  auto numbers = matchingNumbers(call.context(), values, conditions);
  if (!numbers.ok())
    return numbers.error();
  return Aggregate(*numbers);
}

// SUMIFS, AVERAGEIFS, MINIFS, MAXIFS: (values, range1, criterion1, ...).
template <FormulaValue (*Aggregate)(const std::vector<double> &)>
FormulaValue ifsFunction(const FunctionCall &call) {
  auto values = singleArea(call.argument(0));
  if (!values.ok())
    return values.error();
  auto conditions = readConditions(call, 1, &*values);
  if (!conditions.ok())
    return conditions.error();
  auto numbers = matchingNumbers(call.context(), *values, *conditions);
  if (!numbers.ok())
    return numbers.error();
  return Aggregate(*numbers);
}

FormulaValue countIfs(const FunctionCall &call) {
  auto conditions = readConditions(call, 0, nullptr);
  if (!conditions.ok())
    return conditions.error();
  return countMatches(call.context(), *conditions);
}

constexpr FunctionSpec kFunctions[] = {
    {"SUMIF", 2, 3, ifFunction<sumOf>},
    {"AVERAGEIF", 2, 3, ifFunction<averageOf>},
    {"COUNTIF", 2, 2, countIfs},
    {"COUNTIFS", 2, 254, countIfs},
    {"SUMIFS", 3, 255, ifsFunction<sumOf>},
    {"AVERAGEIFS", 3, 255, ifsFunction<averageOf>},
    {"MINIFS", 3, 255, ifsFunction<minOf>},
    {"MAXIFS", 3, 255, ifsFunction<maxOf>},
};

} // namespace

std::span<const FunctionSpec> conditionalFunctions() { return kFunctions; }

} // namespace brevant::formulas
