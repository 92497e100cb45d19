#pragma once
// How functions read their arguments: one value from an argument (a reference to one cell, or
// the cell of a row or column range that shares the formula's row or column), conversions
// between numbers, texts and booleans, and walks over every value of references and arrays.
//
// The conversions differ by where a value comes from, as in the spreadsheet: a value typed as
// an argument ("3", TRUE) is converted, while texts and booleans inside a reference or an
// array are skipped by the aggregating functions (SUM, AVERAGE, ...).

#include <cmath>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "engine/components/spreadsheet/formulas/function_call.h"

namespace brevant::formulas {

// A value or the error that took its place.
template <class T> class Or {
public:
  Or(T value) : value_(std::move(value)) {}
  Or(FormulaError error) : value_(error) {}
  bool ok() const { return value_.index() == 0; }
  const T &operator*() const { return std::get<0>(value_); }
  const T *operator->() const { return &std::get<0>(value_); }
  FormulaError error() const { return std::get<1>(value_); }

private:
  std::variant<T, FormulaError> value_;
};

// Where a value came from.
enum class Origin : uint8_t { Direct, Reference, Array };

// A scalar argument: a one-cell reference gives its cell; a one-column (one-row) range gives
// the cell in the formula's row (column), #VALUE! when there is none; an array its first item.
Scalar toScalar(FormulaContext &context, const FormulaValue &value);
Scalar scalarArgument(const FunctionCall &call, size_t index);

// Conversions of a single value as an argument gets it: a blank is 0, "" or FALSE; a text
// must read as a number (or TRUE/FALSE) or gives #VALUE!; errors pass through.
Or<double> toNumber(const Scalar &value, bool date1904 = false);
Or<std::string> toText(const Scalar &value);
Or<bool> toBoolean(const Scalar &value);

Or<double> numberArgument(const FunctionCall &call, size_t index);
// The number truncated toward zero (counts and positions: LEFT(x, 2.9) takes 2).
Or<double> integerArgument(const FunctionCall &call, size_t index);
Or<std::string> textArgument(const FunctionCall &call, size_t index);
Or<bool> booleanArgument(const FunctionCall &call, size_t index);
// The argument, or `fallback` when it is missing or left empty.
Or<double> numberArgumentOr(const FunctionCall &call, size_t index, double fallback);
Or<bool> booleanArgumentOr(const FunctionCall &call, size_t index, bool fallback);

// A reference argument; #VALUE! for any other value.
Or<const CellReference *> referenceArgument(const FunctionCall &call, size_t index);

// Readers of an optional trailing argument with a fixed fallback, for withArguments.
template <int Fallback> Or<double> numberOr(const FunctionCall &call, size_t index) {
  return numberArgumentOr(call, index, static_cast<double>(Fallback));
}
// Truncated toward zero, like integerArgument (a type, a mode, a count of digits).
template <int Fallback> Or<double> integerOr(const FunctionCall &call, size_t index) {
  auto v = numberArgumentOr(call, index, static_cast<double>(Fallback));
  if (!v.ok())
    return v;
  return std::trunc(*v);
}
template <bool Fallback> Or<bool> booleanOr(const FunctionCall &call, size_t index) {
  return booleanArgumentOr(call, index, Fallback);
}

// The first error among values read in argument order, if any.
template <class... T> std::optional<FormulaError> firstError(const Or<T> &...values) {
  std::optional<FormulaError> error;
  ((error || values.ok() ? void() : void(error = values.error())), ...);
  return error;
}

// Single values: the arguments a function applies element by element over arrays.
template <class T> struct TakesOneValue : std::false_type {};
template <> struct TakesOneValue<Or<double>> : std::true_type {};
template <> struct TakesOneValue<Or<std::string>> : std::true_type {};
template <> struct TakesOneValue<Or<bool>> : std::true_type {};
template <> struct TakesOneValue<Or<size_t>> : std::true_type {};
template <> struct TakesOneValue<Or<Scalar>> : std::true_type {};
template <> struct TakesOneValue<Or<const FormulaValue *>> : std::true_type {};

// In an array context, `compute` once per element when an argument of `oneValue` (bit i for
// argument i) is an array or a range of several cells: the arrays stretch as the operators'
// do (one row or column over the other's size; past a smaller one, #N/A). nullopt when no
// such argument is an array, or outside an array context.
std::optional<FormulaValue> elementwise(const FunctionCall &call, uint32_t oneValue,
                                        FormulaValue (*compute)(const FunctionCall &));

// A function whose arguments 0, 1, ... are read by `Read...` (each `Or<T>(call, index)`, such
// as numberArgument or textArgument): `Compute(call, values...)` (or `Compute(values...)`) runs
// only when every argument has read, else the first argument's error is the result.
template <auto Compute, auto... Read> FormulaValue withArguments(const FunctionCall &call) {
  if (call.arrayContext()) {
    constexpr uint32_t oneValue = [] {
      uint32_t bits = 0;
      uint32_t bit = 1;
      ((bits |=
        TakesOneValue<decltype(Read(std::declval<const FunctionCall &>(), 0))>::value ? bit : 0,
        bit <<= 1),
       ...);
      return bits;
    }();
    if constexpr (oneValue != 0)
      if (auto result = elementwise(call, oneValue, &withArguments<Compute, Read...>))
        return std::move(*result);
  }
  return [&]<size_t... I>(std::index_sequence<I...>)->FormulaValue {
    std::tuple values{Read(call, I)...};
    if (auto error = firstError(std::get<I>(values)...))
      return *error;
    if constexpr (std::is_invocable_v<decltype(Compute), const FunctionCall &,
                                      decltype(*std::get<I>(values))...>)
      return Compute(call, *std::get<I>(values)...);
    else
      return Compute(*std::get<I>(values)...);
  }
  (std::index_sequence_for<decltype(Read)...>{});
}

// Calls `visit` for every value of an argument: each non-empty cell of a reference, each item
// of an array, or the scalar itself. `visit` returns false to stop.
using ValueVisitor = std::function<bool(const Scalar &value, Origin origin)>;
void forEachValue(FormulaContext &context, const FormulaValue &value, const ValueVisitor &visit);

// The numbers of the arguments from `first` to `last` (all that follow by default), as SUM and its
// kin read them: numbers in references and arrays (texts, booleans and blanks skipped), typed
// arguments converted. The first error met wins.
Or<std::vector<double>> collectNumbers(const FunctionCall &call, size_t first = 0,
                                       size_t last = SIZE_MAX);

// The argument as it is (an error too), or `Fallback` when there is none: IF's branches.
template <bool Fallback> Or<const FormulaValue *> valueOr(const FunctionCall &call, size_t index) {
  static const FormulaValue fallback = Fallback;
  return index < call.size() ? &call.argument(index) : &fallback;
}
// The single value of an argument, an error too (ISNUMBER, N, ...).
inline Or<Scalar> scalarValue(const FunctionCall &call, size_t index) {
  return scalarArgument(call, index);
}
// The single value of an argument of any type; an error value is the argument's error.
inline Or<Scalar> valueArgument(const FunctionCall &call, size_t index) {
  Scalar v = scalarArgument(call, index);
  if (const auto *e = std::get_if<FormulaError>(&v))
    return *e;
  return v;
}

// collectNumbers from argument `first` on, as a reader for withArguments.
inline Or<std::vector<double>> numbersFrom(const FunctionCall &call, size_t first) {
  return collectNumbers(call, first);
}

// A rectangle of values: a reference's one area read cell by cell, an array, or a scalar as a
// 1x1 array. #VALUE! for a reference of several areas or sheets.
Or<ScalarArray> toArray(FormulaContext &context, const FormulaValue &value);

// The number of cells of a reference (all its areas and sheets).
int64_t cellCount(const CellReference &reference);

// A scalar as a function result.
FormulaValue fromScalar(const Scalar &value);

// A function result for a computed number: #NUM! when it is not finite.
FormulaValue numberResult(double value);

} // namespace brevant::formulas
