// Lookups: VLOOKUP, HLOOKUP, LOOKUP, MATCH, XMATCH, XLOOKUP, INDEX, CHOOSE.

#include <cmath>

#include "engine/components/spreadsheet/formulas/functions/function_families.h"
#include "engine/components/spreadsheet/formulas/functions/lookup_table.h"
#include "engine/components/spreadsheet/formulas/functions/value_compare.h"

namespace brevant::formulas {
namespace {

// The lookup value: a scalar that is not an error; an empty cell finds nothing.
Or<Scalar> lookupValue(const FunctionCall &call, size_t index) {
  auto v = valueArgument(call, index);
  if (v.ok() && std::holds_alternative<Blank>(*v))
    return FormulaError::NA;
  return v;
}

Or<LookupTable> tableArgument(const FunctionCall &call, size_t index) {
  return LookupTable::of(call.context(), call.argument(index));
}

// VLOOKUP and HLOOKUP: the value in line `index` of the table at the position where the first
// line holds the lookup value.
template <bool Vertical>
FormulaValue tableLookup(const FunctionCall &call, const Scalar &wanted, const LookupTable &table,
                         double index, bool approximate) {
  if (index < 1)
    return FormulaError::Value;
  if (index > (Vertical ? table.columns() : table.rows()))
    return FormulaError::Ref;
  LookupLine first(table, Vertical, 0);
  auto found = approximate ? first.findSorted(call.context(), wanted)
                           : first.findExact(call.context(), wanted, true);
  if (!found)
    return FormulaError::NA;
  auto line = static_cast<int32_t>(index) - 1;
  return fromScalar(Vertical ? table.at(*found, line) : table.at(line, *found));
}

// A one-row or one-column table as a line; nullopt for a table of several of both.
std::optional<LookupLine> vectorOf(const LookupTable &table) {
  if (table.columns() == 1)
    return LookupLine(table, true, 0);
  if (table.rows() == 1)
    return LookupLine(table, false, 0);
  return std::nullopt;
}

FormulaValue match(const FunctionCall &call, const Scalar &wanted, const LookupTable &table,
                   double type) {
  auto line = vectorOf(table);
  if (!line)
    return FormulaError::NA;
  std::optional<int32_t> found;
  if (type == 0)
    found = line->findExact(call.context(), wanted, true);
  else
    found = line->findSorted(call.context(), wanted, type < 0);
  if (!found)
    return FormulaError::NA;
  return static_cast<double>(*found + 1);
}

// XMATCH and XLOOKUP's search: match mode 0 exact, -1 exact or next smaller, 1 exact or next
// larger, 2 wildcards; search mode 1 first to last, -1 last to first, 2 and -2 binary search
// over ascending and descending data.
Or<std::optional<int32_t>> xSearch(const FunctionCall &call, const LookupLine &line,
                                   const Scalar &wanted, size_t modeArgument) {
  auto matchMode = integerOr<0>(call, modeArgument);
  auto searchMode = integerOr<1>(call, modeArgument + 1);
  if (auto error = firstError(matchMode, searchMode))
    return *error;
  int m = static_cast<int>(*matchMode);
  int s = static_cast<int>(*searchMode);
  if (m < -1 || m > 2 || (s != 1 && s != -1 && s != 2 && s != -2))
    return FormulaError::Value;
  FormulaContext &context = call.context();
  if (s == 2 || s == -2) {
    if (m == 2)
      return FormulaError::Value;
    auto found = line.findSorted(context, wanted, s == -2);
    if (found && sameValue(line.at(*found), wanted))
      return found;
    if (m == 0)
      return std::optional<int32_t>();
    return line.findNearest(context, wanted, m == -1, false);
  }
  if (m == 0 || m == 2)
    return line.findExact(context, wanted, m == 2, s == -1);
  return line.findNearest(context, wanted, m == -1, s == -1);
}

FormulaValue xmatch(const FunctionCall &call, const Scalar &wanted, const LookupTable &table) {
  auto line = vectorOf(table);
  if (!line)
    return FormulaError::Value;
  auto found = xSearch(call, *line, wanted, 2);
  if (!found.ok())
    return found.error();
  if (!*found)
    return FormulaError::NA;
  return static_cast<double>(**found + 1);
}

// XLOOKUP(value, lookup array, return array, [if not found], [match mode], [search mode]).
FormulaValue xlookup(const FunctionCall &call, const Scalar &wanted, const LookupTable &table,
                     const LookupTable &results) {
  auto line = vectorOf(table);
  if (!line)
    return FormulaError::Value;
  bool vertical = table.columns() == 1 && table.rows() > 1;
  if (vertical ? results.rows() != table.rows() : results.columns() != table.columns())
    return FormulaError::Value;
  auto found = xSearch(call, *line, wanted, 4);
  if (!found.ok())
    return found.error();
  if (!*found) {
    if (call.size() > 3 && !call.omitted(3))
      return call.argument(3);
    return FormulaError::NA;
  }
  int32_t i = **found;
  return vertical ? results.part(i, 0, 1, results.columns())
                  : results.part(0, i, results.rows(), 1);
}

// LOOKUP(value, vector, [result vector]) or LOOKUP(value, table): approximate only.
FormulaValue lookup(const FunctionCall &call, const Scalar &wanted, const LookupTable &table) {
  if (call.size() < 3) {
    // The table form: search the first column (or row, for a wide table), take the last.
    bool vertical = table.rows() >= table.columns();
    LookupLine first(table, vertical, 0);
    auto found = first.findSorted(call.context(), wanted);
    if (!found)
      return FormulaError::NA;
    return fromScalar(vertical ? table.at(*found, table.columns() - 1)
                               : table.at(table.rows() - 1, *found));
  }
  auto line = vectorOf(table);
  if (!line)
    return FormulaError::NA;
  auto found = line->findSorted(call.context(), wanted);
  if (!found)
    return FormulaError::NA;
  auto results = tableArgument(call, 2);
  if (!results.ok())
    return results.error();
  bool vertical = results->columns() == 1;
  if (!vertical && results->rows() != 1)
    return FormulaError::NA;
  // A result vector shorter than the lookup vector is read past its end, as a reference.
  int32_t i = *found;
  if (const SheetArea *area = results->area()) {
    SheetArea cell = *area;
    cell.rect.firstRow = cell.rect.lastRow = area->rect.firstRow + (vertical ? i : 0);
    cell.rect.firstColumn = cell.rect.lastColumn = area->rect.firstColumn + (vertical ? 0 : i);
    if (cell.rect.lastRow > kMaxRows || cell.rect.lastColumn > kMaxColumns)
      return FormulaError::Ref;
    return CellReference{{cell}};
  }
  if (i >= (vertical ? results->rows() : results->columns()))
    return FormulaError::NA;
  return fromScalar(vertical ? results->at(i, 0) : results->at(0, i));
}

// INDEX(reference or array, row, [column], [area]): a cell, or a whole row or column when
// the row or column is 0.
FormulaValue index(const FunctionCall &call) {
  FormulaValue source = call.argument(0);
  if (const auto *ref = std::get_if<CellReference>(&source); ref && ref->areas.size() > 1) {
    auto areaNumber = numberArgumentOr(call, 3, 1);
    if (!areaNumber.ok())
      return areaNumber.error();
    double a = std::trunc(*areaNumber);
    if (a < 1 || a > static_cast<double>(ref->areas.size()))
      return FormulaError::Ref;
    source = CellReference{{ref->areas[static_cast<size_t>(a) - 1]}};
  }
  auto table = LookupTable::of(call.context(), source);
  auto row = integerOr<0>(call, 1);
  auto column = integerOr<0>(call, 2);
  if (auto error = firstError(table, row, column))
    return *error;
  double r = *row;
  double c = *column;
  bool oneIndex = call.size() < 3 || call.omitted(2);
  if (oneIndex && table->rows() == 1 && table->columns() > 1) {
    // INDEX(A1:E1, 3): the index runs along the row.
    c = r;
    r = 0;
  }
  if (r < 0 || c < 0)
    return FormulaError::Value;
  if (r > table->rows() || c > table->columns())
    return FormulaError::Ref;
  auto ri = static_cast<int32_t>(r);
  auto ci = static_cast<int32_t>(c);
  int32_t firstRow = ri == 0 ? 0 : ri - 1;
  int32_t rows = ri == 0 ? table->rows() : 1;
  int32_t firstColumn = ci == 0 ? 0 : ci - 1;
  int32_t columns = ci == 0 ? table->columns() : 1;
  return table->part(firstRow, firstColumn, rows, columns);
}

FormulaValue choose(const FunctionCall &call, double n) {
  if (n < 1 || n >= static_cast<double>(call.size()))
    return FormulaError::Value;
  return call.argument(static_cast<size_t>(n));
}

constexpr FunctionSpec kFunctions[] = {
    {"VLOOKUP", 3, 4,
     withArguments<tableLookup<true>, lookupValue, tableArgument, integerArgument,
                   booleanOr<true>>},
    {"HLOOKUP", 3, 4,
     withArguments<tableLookup<false>, lookupValue, tableArgument, integerArgument,
                   booleanOr<true>>},
    {"LOOKUP", 2, 3, withArguments<lookup, lookupValue, tableArgument>},
    {"MATCH", 2, 3, withArguments<match, lookupValue, tableArgument, numberOr<1>>, 1u << 1},
    {"XMATCH", 2, 4, withArguments<xmatch, lookupValue, tableArgument>, 1u << 1},
    {"XLOOKUP", 3, 6, withArguments<xlookup, lookupValue, tableArgument, tableArgument>,
     (1u << 1) | (1u << 2)},
    {"INDEX", 2, 4, index, 1u},
    {"CHOOSE", 2, 255, withArguments<choose, integerArgument>},
};

} // namespace

std::span<const FunctionSpec> lookupFunctions() { return kFunctions; }

} // namespace brevant::formulas
