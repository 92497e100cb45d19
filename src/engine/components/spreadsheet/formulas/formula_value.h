#pragma once
// What a formula computes: a blank, a number, a text, a boolean, an error, a reference to cells
// (one or more rectangles, possibly across a range of sheets) or an array of scalars. The
// evaluator passes references to functions unresolved, so that a function such as ROW, OFFSET,
// SUBTOTAL or COUNTBLANK sees the cells themselves; most functions read them through the call's
// helpers in function_call.h.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "engine/components/spreadsheet/cells/cell_address.h"

namespace brevant {

// The spreadsheet's error values, in the order of ERROR.TYPE (1 = #NULL!).
enum class FormulaError : uint8_t {
  Null,
  Div0,
  Value,
  Ref,
  Name,
  Num,
  NA,
  GettingData,
  Spill,
  Calc
};

// "#NULL!", "#DIV/0!", "#VALUE!", "#REF!", "#NAME?", "#NUM!", "#N/A", "#GETTING_DATA",
// "#SPILL!", "#CALC!".
std::string_view errorText(FormulaError error);
// The error an error text names (any letter case); nullopt for any other text.
[[nodiscard]] std::optional<FormulaError> parseErrorText(std::string_view text);

// An empty cell, or an argument left out ("=IF(A1,,2)"): 0 for arithmetic, "" for text.
struct Blank {
  bool operator==(const Blank &) const = default;
};

using Scalar = std::variant<Blank, double, std::string, bool, FormulaError>;

// A rectangle of cells on the worksheets firstSheet..lastSheet (0-based positions among the
// workbook's worksheets; equal unless the reference is 3-D, as in Sheet1:Sheet3!A1).
struct SheetArea {
  int32_t firstSheet = 0;
  int32_t lastSheet = 0;
  CellRect rect;
  bool operator==(const SheetArea &) const = default;
};

// A reference: one area, or several joined by the union operator ("(A1:A3,C1)").
struct CellReference {
  std::vector<SheetArea> areas;
  bool operator==(const CellReference &) const = default;
};

// An array constant or an array result, row by row.
struct ScalarArray {
  int32_t rows = 0;
  int32_t columns = 0;
  std::vector<Scalar> values;                           // rows * columns, row-major
  const Scalar &at(int32_t row, int32_t column) const { // 0-based
    return values[static_cast<size_t>(row) * static_cast<size_t>(columns) +
                  static_cast<size_t>(column)];
  }
  bool operator==(const ScalarArray &) const = default;
};

// An array of rows x columns with room for its values, to be filled row by row.
inline ScalarArray arrayOfSize(int32_t rows, int32_t columns) {
  ScalarArray out{rows, columns, {}};
  out.values.reserve(static_cast<size_t>(rows) * static_cast<size_t>(columns));
  return out;
}

// The element of `a` at (row, column) of a larger result: a one-row or one-column array
// repeats along the result; nullptr past a smaller array (where the result holds #N/A).
inline const Scalar *stretchedAt(const ScalarArray &a, int32_t row, int32_t column) {
  int32_t r = a.rows == 1 ? 0 : row;
  int32_t c = a.columns == 1 ? 0 : column;
  return r < a.rows && c < a.columns ? &a.at(r, c) : nullptr;
}

using FormulaValue =
    std::variant<Blank, double, std::string, bool, FormulaError, CellReference, ScalarArray>;

[[nodiscard]] inline bool isError(const Scalar &v) {
  return std::holds_alternative<FormulaError>(v);
}

} // namespace brevant
