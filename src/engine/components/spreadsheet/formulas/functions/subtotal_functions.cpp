// SUBTOTAL and AGGREGATE: statistics over references that leave out the rows an auto-filter
// hides (SUBTOTAL 1-11), rows hidden any way (SUBTOTAL 101-111, AGGREGATE by option), and the
// cells that hold a SUBTOTAL or AGGREGATE themselves, so that nested subtotals are not counted
// twice.

#include <cmath>

#include "engine/components/spreadsheet/formulas/functions/aggregates.h"
#include "engine/components/spreadsheet/formulas/functions/argument_values.h"
#include "engine/components/spreadsheet/formulas/functions/function_families.h"

namespace brevant::formulas {
namespace {

struct Skipping {
  bool hiddenRows = false;   // rows hidden by the user too (filtered rows always go with it)
  bool filteredRows = false; // rows an auto-filter hides
  bool nested = true;        // SUBTOTAL and AGGREGATE cells
  bool errors = false;       // error values (AGGREGATE options 2, 3, 6, 7)
};

struct Gathered {
  std::vector<double> numbers;
  double filled = 0;                 // non-empty cells, for COUNTA
  std::optional<FormulaError> error; // the first error value met
};

std::span<const FormulaValue> arguments(const FunctionCall &call, size_t first) {
  if (first >= call.size())
    return {};
  return std::span(&call.argument(first), call.size() - first);
}

bool skippedRow(FormulaContext &context, const Skipping &skip, int32_t sheet, int32_t row) {
  if (!skip.hiddenRows && !skip.filteredRows)
    return false;
  RowVisibility v = context.rowVisibility(sheet, row);
  return (v == RowVisibility::Filtered && skip.filteredRows) ||
         (v != RowVisibility::Visible && skip.hiddenRows);
}

// The numbers and the count of values of references.
Or<Gathered> gather(FormulaContext &context, std::span<const FormulaValue> references,
                    const Skipping &skip) {
  Gathered out;
  std::optional<FormulaError> error;
  for (const FormulaValue &value : references) {
    const auto *ref = std::get_if<CellReference>(&value);
    if (!ref)
      return FormulaError::Value;
    for (const SheetArea &area : ref->areas) {
      context.forEachCell(area, [&](int32_t sheet, int32_t row, int32_t column, const Scalar &v) {
        if (std::holds_alternative<Blank>(v) || skippedRow(context, skip, sheet, row))
          return true;
        if (skip.nested && context.holdsSubtotal(sheet, row, column))
          return true;
        if (const auto *e = std::get_if<FormulaError>(&v)) {
          if (skip.errors)
            return true;
          if (!out.error)
            out.error = *e;
        }
        ++out.filled;
        if (const auto *d = std::get_if<double>(&v))
          out.numbers.push_back(*d);
        return true;
      });
      if (error)
        return *error;
    }
  }
  return out;
}

// The statistic numbered as SUBTOTAL and AGGREGATE number them (1 AVERAGE ... 11 VAR.P, then
// AGGREGATE's 12 MEDIAN, 13 MODE.SNGL).
FormulaValue statistic(int function, const Gathered &g) {
  // COUNT passes over errors and COUNTA counts them; the rest fail with the first.
  if (g.error && function != 2 && function != 3)
    return *g.error;
  switch (function) {
  case 1:
    return averageOf(g.numbers);
  case 2:
    return static_cast<double>(g.numbers.size());
  case 3:
    return g.filled;
  case 4:
    return maxOf(g.numbers);
  case 5:
    return minOf(g.numbers);
  case 6:
    return productOf(g.numbers);
  case 7:
    return deviationOf(g.numbers, true);
  case 8:
    return deviationOf(g.numbers, false);
  case 9:
    return sumOf(g.numbers);
  case 10:
    return varianceOf(g.numbers, true);
  case 11:
    return varianceOf(g.numbers, false);
  case 12:
    return medianOf(g.numbers);
  case 13:
    return modeOf(g.numbers);
  default:
    return FormulaError::Value;
  }
}

FormulaValue subtotal(const FunctionCall &call) {
  auto function = integerArgument(call, 0);
  if (!function.ok())
    return function.error();
  int f = static_cast<int>(*function);
  Skipping skip;
  skip.filteredRows = true;
  if (f >= 101 && f <= 111) {
    skip.hiddenRows = true;
    f -= 100;
  }
  if (f < 1 || f > 11)
    return FormulaError::Value;
  auto g = gather(call.context(), arguments(call, 1), skip);
  if (!g.ok())
    return g.error();
  return statistic(f, *g);
}

// AGGREGATE's options 0-7: what to leave out besides nothing.
Skipping aggregateOptions(int option) {
  Skipping s;
  s.nested = option <= 3;
  s.hiddenRows = option == 1 || option == 3 || option == 5 || option == 7;
  s.filteredRows = s.hiddenRows;
  s.errors = option == 2 || option == 3 || option == 6 || option == 7;
  return s;
}

// AGGREGATE(function 14-19, option, array, k): LARGE, SMALL, PERCENTILE.INC, QUARTILE.INC,
// PERCENTILE.EXC, QUARTILE.EXC over a reference or an array.
FormulaValue aggregateWithK(const FunctionCall &call, int f, const Skipping &skip) {
  if (call.size() < 4)
    return FormulaError::Value;
  std::vector<double> numbers;
  if (std::holds_alternative<CellReference>(call.argument(2))) {
    auto g = gather(call.context(), std::span(&call.argument(2), 1), skip);
    if (!g.ok())
      return g.error();
    if (g->error)
      return *g->error;
    numbers = g->numbers;
  } else {
    std::optional<FormulaError> error;
    forEachValue(call.context(), call.argument(2), [&](const Scalar &v, Origin) {
      if (const auto *e = std::get_if<FormulaError>(&v)) {
        if (!skip.errors) {
          error = *e;
          return false;
        }
      } else if (const auto *d = std::get_if<double>(&v)) {
        numbers.push_back(*d);
      }
      return true;
    });
    if (error)
      return *error;
  }
  auto k = numberArgument(call, 3);
  if (!k.ok())
    return k.error();
  switch (f) {
  case 14:
    return largestOf(std::move(numbers), *k, true);
  case 15:
    return largestOf(std::move(numbers), *k, false);
  case 16:
    return percentileOf(std::move(numbers), *k, true);
  case 17:
    if (*k < 0 || *k > 4)
      return FormulaError::Num;
    return percentileOf(std::move(numbers), std::trunc(*k) / 4, true);
  case 18:
    return percentileOf(std::move(numbers), *k, false);
  default:
    if (*k <= 0 || *k >= 4)
      return FormulaError::Num;
    return percentileOf(std::move(numbers), std::trunc(*k) / 4, false);
  }
}

FormulaValue aggregate(const FunctionCall &call) {
  auto function = integerArgument(call, 0);
  if (!function.ok())
    return function.error();
  auto option = numberArgumentOr(call, 1, 0);
  if (!option.ok())
    return option.error();
  int f = static_cast<int>(*function);
  int o = static_cast<int>(std::trunc(*option));
  if (f < 1 || f > 19 || o < 0 || o > 7)
    return FormulaError::Value;
  Skipping skip = aggregateOptions(o);
  if (f >= 14)
    return aggregateWithK(call, f, skip);
  auto g = gather(call.context(), arguments(call, 2), skip);
  if (!g.ok())
    return g.error();
  return statistic(f, *g);
}

constexpr FunctionSpec kFunctions[] = {
    {"SUBTOTAL", 2, 255, subtotal},
    {"AGGREGATE", 3, 255, aggregate, 1u << 2},
};

} // namespace

std::span<const FunctionSpec> subtotalFunctions() { return kFunctions; }

} // namespace brevant::formulas
