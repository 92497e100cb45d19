// Arithmetic and rounding: SUM, PRODUCT, SUMPRODUCT, ROUND and its kin, INT, TRUNC, MOD, ABS,
// SIGN, SQRT, POWER, CEILING, FLOOR, MROUND.

#include <cmath>

#include "engine/components/spreadsheet/formulas/functions/aggregates.h"
#include "engine/components/spreadsheet/formulas/functions/argument_values.h"
#include "engine/components/spreadsheet/formulas/functions/function_families.h"
#include "engine/components/spreadsheet/formulas/functions/rounding.h"

namespace brevant::formulas {
namespace {

// Arrays of one shape multiplied item by item and added up; items that are not numbers count
// as 0.
FormulaValue sumProduct(const FunctionCall &call) {
  std::vector<ScalarArray> arrays;
  for (size_t i = 0; i < call.size(); ++i) {
    auto a = toArray(call.context(), call.argument(i));
    if (!a.ok())
      return a.error();
    if (!arrays.empty() && (a->rows != arrays[0].rows || a->columns != arrays[0].columns))
      return FormulaError::Value;
    arrays.push_back(*a);
  }
  double total = 0;
  size_t n = arrays[0].values.size();
  for (size_t k = 0; k < n; ++k) {
    double term = 1;
    for (const ScalarArray &a : arrays) {
      const Scalar &v = a.values[k];
      if (const auto *e = std::get_if<FormulaError>(&v))
        return *e;
      const auto *d = std::get_if<double>(&v);
      term *= d ? *d : 0.0;
    }
    total += term;
  }
  return numberResult(total);
}

// Digits for the rounding functions, within what a double can hold.
int clampDigits(double digits) { return static_cast<int>(std::clamp(digits, -400.0, 400.0)); }

template <double (*Round)(double, int)> FormulaValue roundFunction(double value, double digits) {
  return numberResult(Round(value, clampDigits(digits)));
}

FormulaValue intFunction(double v) { return std::floor(v); }
FormulaValue absFunction(double v) { return std::fabs(v); }
FormulaValue sign(double v) { return v > 0 ? 1.0 : v < 0 ? -1.0 : 0.0; }

FormulaValue sqrtFunction(double v) {
  if (v < 0)
    return FormulaError::Num;
  return std::sqrt(v);
}

// The remainder with the sign of the divisor: MOD(-3, 2) is 1.
FormulaValue mod(double n, double d) {
  if (d == 0)
    return FormulaError::Div0;
  double q = snapToWhole(n / d);
  double r = n - d * std::floor(q);
  if (r != 0 && std::fabs(r) < std::fabs(d) * 1e-15)
    r = 0;
  return numberResult(r);
}

FormulaValue power(double base, double exponent) {
  if (base == 0) {
    if (exponent == 0)
      return FormulaError::Num;
    if (exponent < 0)
      return FormulaError::Div0;
  }
  if (base < 0 && exponent != std::floor(exponent)) {
    // An odd root of a negative number is real: (-8)^(1/3) is -2.
    double inverse = 1 / exponent;
    if (std::fabs(inverse - std::round(inverse)) < 1e-12 &&
        static_cast<long long>(std::round(inverse)) % 2 != 0)
      return numberResult(-std::pow(-base, exponent));
    return FormulaError::Num;
  }
  return numberResult(std::pow(base, exponent));
}

// CEILING and FLOOR: a positive number with a negative significance is #NUM!; a negative
// number with a positive significance rounds up (CEILING) or down (FLOOR).
template <bool Up> FormulaValue roundToMultiple(const FunctionCall &call) {
  auto n = numberArgument(call, 0);
  if (!n.ok())
    return n.error();
  auto s = numberArgumentOr(call, 1, *n < 0 ? -1.0 : 1.0);
  if (!s.ok())
    return s.error();
  if (*n == 0)
    return 0.0;
  if (*s == 0)
    return Up ? FormulaValue(0.0) : FormulaValue(FormulaError::Div0);
  if (*n > 0 && *s < 0)
    return FormulaError::Num;
  double q = snapToWhole(*n / *s);
  double r = (Up ? std::ceil(q) : std::floor(q)) * *s;
  return numberResult(toSignificant15(r));
}

FormulaValue mround(double n, double m) {
  if (m == 0 || n == 0)
    return 0.0;
  if ((n > 0) != (m > 0))
    return FormulaError::Num;
  double q = toSignificant15(n / m);
  return numberResult(toSignificant15(std::round(q) * m));
}

constexpr FunctionSpec kFunctions[] = {
    {"SUM", 1, 255, withArguments<sumOf, numbersFrom>},
    {"PRODUCT", 1, 255, withArguments<productOf, numbersFrom>},
    {"SUMPRODUCT", 1, 255, sumProduct, kAllArrays},
    {"ROUND", 2, 2, withArguments<roundFunction<roundHalfAway>, numberArgument, integerArgument>},
    {"ROUNDUP", 2, 2,
     withArguments<roundFunction<roundAwayFromZero>, numberArgument, integerArgument>},
    {"ROUNDDOWN", 2, 2,
     withArguments<roundFunction<roundTowardZero>, numberArgument, integerArgument>},
    {"TRUNC", 1, 2, withArguments<roundFunction<roundTowardZero>, numberArgument, integerOr<0>>},
    {"INT", 1, 1, withArguments<intFunction, numberArgument>},
    {"ABS", 1, 1, withArguments<absFunction, numberArgument>},
    {"SIGN", 1, 1, withArguments<sign, numberArgument>},
    {"SQRT", 1, 1, withArguments<sqrtFunction, numberArgument>},
    {"MOD", 2, 2, withArguments<mod, numberArgument, numberArgument>},
    {"POWER", 2, 2, withArguments<power, numberArgument, numberArgument>},
    {"CEILING", 2, 2, roundToMultiple<true>},
    {"FLOOR", 2, 2, roundToMultiple<false>},
    {"MROUND", 2, 2, withArguments<mround, numberArgument, numberArgument>},
};

} // namespace

std::span<const FunctionSpec> mathFunctions() { return kFunctions; }

} // namespace brevant::formulas
