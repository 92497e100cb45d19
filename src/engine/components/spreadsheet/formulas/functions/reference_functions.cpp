// References: OFFSET, INDIRECT, ROW, ROWS, COLUMN, COLUMNS, ADDRESS, AREAS.

#include <cmath>

#include "engine/components/spreadsheet/formulas/functions/argument_values.h"
#include "engine/components/spreadsheet/formulas/functions/function_families.h"

namespace brevant::formulas {
namespace {

// OFFSET(reference, rows, columns, [height], [width]): the rectangle moved and resized; a
// negative height or width extends up or left. #REF! when it leaves the sheet.
FormulaValue offset(const FunctionCall &call) {
  const auto *ref = std::get_if<CellReference>(&call.argument(0));
  if (!ref || ref->areas.size() != 1)
    return FormulaError::Value;
  SheetArea area = ref->areas[0];
  auto rows = integerArgument(call, 1);
  auto columns = integerArgument(call, 2);
  auto height = numberArgumentOr(call, 3, area.rect.rowCount());
  auto width = numberArgumentOr(call, 4, area.rect.columnCount());
  if (auto error = firstError(rows, columns, height, width))
    return *error;
  double h = std::trunc(*height);
  double w = std::trunc(*width);
  if (h == 0 || w == 0)
    return FormulaError::Ref;
  double top = area.rect.firstRow + *rows;
  double left = area.rect.firstColumn + *columns;
  double bottom = top + h - 1;
  double right = left + w - 1;
  if (h < 0) {
    bottom = top;
    top = top + h + 1;
  }
  if (w < 0) {
    right = left;
    left = left + w + 1;
  }
  if (top < 1 || left < 1 || bottom > kMaxRows || right > kMaxColumns)
    return FormulaError::Ref;
  area.rect = CellRect{static_cast<int32_t>(top), static_cast<int32_t>(left),
                       static_cast<int32_t>(bottom), static_cast<int32_t>(right)};
  return CellReference{{area}};
}

FormulaValue indirect(const FunctionCall &call, const std::string &text, bool a1) {
  auto ref = call.context().parseReferenceText(text, a1);
  if (!ref || ref->areas.empty())
    return FormulaError::Ref;
  return *ref;
}

// ROW and COLUMN: of the reference's first cell, or of the formula's cell without one.
template <bool Row> FormulaValue position(const FunctionCall &call) {
  if (call.size() == 0 || call.omitted(0))
    return static_cast<double>(Row ? call.context().hostRow() : call.context().hostColumn());
  const auto *ref = std::get_if<CellReference>(&call.argument(0));
  if (!ref || ref->areas.size() != 1)
    return FormulaError::Value;
  const CellRect &r = ref->areas[0].rect;
  return static_cast<double>(Row ? r.firstRow : r.firstColumn);
}

template <bool Rows> FormulaValue extent(const FunctionCall &call) {
  const FormulaValue &v = call.argument(0);
  if (const auto *ref = std::get_if<CellReference>(&v)) {
    if (ref->areas.size() != 1)
      return FormulaError::Ref;
    const CellRect &r = ref->areas[0].rect;
    return static_cast<double>(Rows ? r.rowCount() : r.columnCount());
  }
  if (const auto *array = std::get_if<ScalarArray>(&v))
    return static_cast<double>(Rows ? array->rows : array->columns);
  if (const auto *e = std::get_if<FormulaError>(&v))
    return *e;
  return FormulaError::Value;
}

FormulaValue areas(const CellReference *ref) { return static_cast<double>(ref->areas.size()); }

// ADDRESS(row, column, [kind 1-4], [a1], [sheet]): kind 1 absolute, 2 absolute row, 3
// absolute column, 4 relative.
FormulaValue address(const FunctionCall &call, double row, double column, double kind, bool a1) {
  int k = static_cast<int>(kind);
  if (k < 1 || k > 4 || row < 1 || row > kMaxRows || column < 1 || column > kMaxColumns)
    return FormulaError::Value;
  bool absRow = k == 1 || k == 2;
  bool absColumn = k == 1 || k == 3;
  auto r = static_cast<int32_t>(row);
  auto c = static_cast<int32_t>(column);
  std::string out;
  if (call.size() > 4 && !call.omitted(4)) {
    auto sheet = textArgument(call, 4);
    if (!sheet.ok())
      return sheet.error();
    if (!sheet->empty())
      out = quoteSheetName(*sheet) + "!";
  }
  if (a1) {
    out += (absColumn ? "$" : "") + columnName(c) + (absRow ? "$" : "") + std::to_string(r);
  } else {
    out += absRow ? "R" + std::to_string(r) : "R[" + std::to_string(r) + "]";
    out += absColumn ? "C" + std::to_string(c) : "C[" + std::to_string(c) + "]";
  }
  return out;
}

constexpr FunctionSpec kFunctions[] = {
    {"OFFSET", 3, 5, offset, 0, true},
    {"INDIRECT", 1, 2, withArguments<indirect, textArgument, booleanOr<true>>, 0, true},
    {"ROW", 0, 1, position<true>},
    {"COLUMN", 0, 1, position<false>},
    {"ROWS", 1, 1, extent<true>, 1u},
    {"COLUMNS", 1, 1, extent<false>, 1u},
    {"AREAS", 1, 1, withArguments<areas, referenceArgument>},
    {"ADDRESS", 2, 5,
     withArguments<address, integerArgument, integerArgument, integerOr<1>, booleanOr<true>>},
};

} // namespace

std::span<const FunctionSpec> referenceFunctions() { return kFunctions; }

} // namespace brevant::formulas
