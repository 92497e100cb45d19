#pragma once
// How a worksheet function meets the evaluator. The evaluator computes the arguments (a
// reference stays a CellReference, an array constant a ScalarArray), then calls the function's
// `compute` with a FunctionCall. The function reads cells and the workbook through the
// FormulaContext, which the evaluator implements: a cell it reads is computed first if it holds
// a formula. The library of functions is found by name through findFunction().

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "engine/components/spreadsheet/formulas/formula_value.h"

namespace brevant {

// Whether a row counts for SUBTOTAL and AGGREGATE: hidden by the user, or hidden because an
// auto-filter left it out.
enum class RowVisibility : uint8_t { Visible, Hidden, Filtered };

class FormulaContext {
public:
  virtual ~FormulaContext() = default;

  // The computed value of one cell; Blank for an empty cell or one beyond the sheet.
  virtual Scalar cellValue(int32_t sheet, int32_t row, int32_t column) = 0;
  // Calls `visit` for every cell of the area that holds a value or a formula, sheet by sheet,
  // row by row, left to right: empty cells are skipped, so a whole column costs what it holds.
  // `visit` returns false to stop early.
  virtual void forEachCell(const SheetArea &area,
                           const std::function<bool(int32_t sheet, int32_t row, int32_t column,
                                                    const Scalar &value)> &visit) = 0;
  virtual RowVisibility rowVisibility(int32_t sheet, int32_t row) = 0;
  [[nodiscard]] virtual bool columnHidden(int32_t sheet, int32_t column) = 0;
  // True when the cell's formula is a SUBTOTAL or AGGREGATE (which SUBTOTAL and AGGREGATE skip).
  [[nodiscard]] virtual bool holdsSubtotal(int32_t sheet, int32_t row, int32_t column) = 0;

  // The cell whose formula is being computed (for ROW(), COLUMN() and implicit intersection).
  virtual int32_t hostSheet() const = 0;
  virtual int32_t hostRow() const = 0;
  virtual int32_t hostColumn() const = 0;

  virtual int32_t sheetCount() const = 0;
  virtual std::string sheetName(int32_t sheet) const = 0;
  // The 0-based position of a worksheet named so (any letter case); nullopt when none is.
  [[nodiscard]] virtual std::optional<int32_t> findSheet(std::string_view name) const = 0;
  // The text of a reference for INDIRECT: A1 or R1C1 style, with or without a sheet, or a
  // defined name that holds a reference; nullopt when it is none of these.
  [[nodiscard]] virtual std::optional<CellReference> parseReferenceText(std::string_view text,
                                                                        bool a1) = 0;

  // The number rendered through a number format code, as a cell with that format shows it.
  [[nodiscard]] virtual std::string formatNumber(double value, std::string_view formatCode) = 0;
  // The date system of the workbook.
  [[nodiscard]] virtual bool date1904() const = 0;
  // The local date and time the workbook is saved at, as a date serial (TODAY, NOW).
  virtual double now() const = 0;
};

class FunctionCall {
public:
  // `arrayContext`: the call is computed as an array (an array formula, or an argument that
  // takes an array such as SUMPRODUCT's), so a function of single values given an array or a
  // range computes one result per element.
  FunctionCall(FormulaContext &context, std::span<const FormulaValue> arguments,
               std::span<const bool> omitted, bool arrayContext = false)
      : context_(context), arguments_(arguments), omitted_(omitted), arrayContext_(arrayContext) {}

  FormulaContext &context() const { return context_; }
  size_t size() const { return arguments_.size(); }
  const FormulaValue &argument(size_t index) const { return arguments_[index]; }
  // True for an argument left empty ("=ROUND(A1,)"): such an argument is a Blank.
  [[nodiscard]] bool omitted(size_t index) const { return omitted_[index]; }
  [[nodiscard]] bool arrayContext() const { return arrayContext_; }

private:
  FormulaContext &context_;
  std::span<const FormulaValue> arguments_;
  std::span<const bool> omitted_;
  bool arrayContext_ = false;
};

struct FunctionSpec {
  std::string_view name; // upper case, without the "_xlfn." or "_xlws." prefix
  int minArguments = 0;
  int maxArguments = 255;
  FormulaValue (*compute)(const FunctionCall &call) = nullptr;
  // Arguments computed as arrays: an operator over ranges gives an array of results instead
  // of the value in the host's row or column (SUMPRODUCT's, for one). Bit i is argument i; the
  // highest set bit among 0..30 also covers every argument after it when bit 31 is set.
  uint32_t arrayArguments = 0;
  bool isVolatile = false; // recomputed at every save (TODAY, NOW, OFFSET, INDIRECT)
};

// The function of that name (any letter case, with or without "_xlfn."/"_xlws."), nullptr when
// the library does not have it.
[[nodiscard]] const FunctionSpec *findFunction(std::string_view name);

} // namespace brevant
