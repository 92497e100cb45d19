// Arithmetic and rounding: SUM, PRODUCT, SUMPRODUCT, ROUND and its kin, INT, TRUNC, MOD, ABS,
// SIGN, SQRT, POWER, CEILING, FLOOR, MROUND.

#include <cmath>

#include "engine/components/spreadsheet/formulas/functions/argument_values.h"
#include "engine/components/spreadsheet/formulas/functions/function_families.h"
#include "engine/components/spreadsheet/formulas/functions/rounding.h"

namespace brevant::formulas {
namespace {

FormulaValue sum(const FunctionCall &call) {
  auto numbers = collectNumbers(call);
  if (!numbers.ok())
    return numbers.error();
  double total = 0;
  for (double v : *numbers)
    total += v;
  return numberResult(total);
}

FormulaValue product(const FunctionCall &call) {
  auto numbers = collectNumbers(call);
  if (!numbers.ok())
    return numbers.error();
  if (numbers->empty())
    return 0.0;
  double total = 1;
  for (double v : *numbers)
    total *= v;
  return numberResult(total);
}

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

template <double (*Round)(double, int)> FormulaValue roundFunction(const FunctionCall &call) {
  auto value = numberArgument(call, 0);
  if (!value.ok())
    return value.error();
  auto digits = integerArgument(call, 1);
  if (!digits.ok())
    return digits.error();
  return numberResult(Round(*value, static_cast<int>(std::clamp(*digits, -400.0, 400.0))));
}

FormulaValue trunc(const FunctionCall &call) {
  auto value = numberArgument(call, 0);
  if (!value.ok())
    return value.error();
  auto digits = numberArgumentOr(call, 1, 0);
  if (!digits.ok())
    return digits.error();
  return numberResult(
      roundTowardZero(*value, static_cast<int>(std::clamp(std::trunc(*digits), -400.0, 400.0))));
}

template <class F> FormulaValue unary(const FunctionCall &call, F f) {
  auto value = numberArgument(call, 0);
  if (!value.ok())
    return value.error();
  return f(*value);
}

FormulaValue intFunction(const FunctionCall &call) {
  return unary(call, [](double v) -> FormulaValue { return std::floor(v); });
}

FormulaValue absFunction(const FunctionCall &call) {
  return unary(call, [](double v) -> FormulaValue { return std::fabs(v); });
}

FormulaValue sign(const FunctionCall &call) {
  return unary(call, [](double v) -> FormulaValue { return v > 0 ? 1.0 : v < 0 ? -1.0 : 0.0; });
}

FormulaValue sqrtFunction(const FunctionCall &call) {
  return unary(call, [](double v) -> FormulaValue {
    if (v < 0)
      return FormulaError::Num;
    return std::sqrt(v);
  });
}

// The remainder with the sign of the divisor: MOD(-3, 2) is 1.
FormulaValue mod(const FunctionCall &call) {
  auto n = numberArgument(call, 0);
  if (!n.ok())
    return n.error();
  auto d = numberArgument(call, 1);
  if (!d.ok())
    return d.error();
  if (*d == 0)
    return FormulaError::Div0;
  double q = snapToWhole(*n / *d);
  double r = *n - *d * std::floor(q);
  if (r != 0 && std::fabs(r) < std::fabs(*d) * 1e-15)
    r = 0;
  return numberResult(r);
}

FormulaValue power(const FunctionCall &call) {
  auto base = numberArgument(call, 0);
  if (!base.ok())
    return base.error();
  auto exponent = numberArgument(call, 1);
  if (!exponent.ok())
    return exponent.error();
  if (*base == 0) {
    if (*exponent == 0)
      return FormulaError::Num;
    if (*exponent < 0)
      return FormulaError::Div0;
  }
  if (*base < 0 && *exponent != std::floor(*exponent)) {
    // An odd root of a negative number is real: (-8)^(1/3) is -2.
    double inverse = 1 / *exponent;
    if (std::fabs(inverse - std::round(inverse)) < 1e-12 &&
        static_cast<long long>(std::round(inverse)) % 2 != 0)
      return numberResult(-std::pow(-*base, *exponent));
    return FormulaError::Num;
  }
  return numberResult(std::pow(*base, *exponent));
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

FormulaValue mround(const FunctionCall &call) {
  auto n = numberArgument(call, 0);
  if (!n.ok())
    return n.error();
  auto m = numberArgument(call, 1);
  if (!m.ok())
    return m.error();
  if (*m == 0 || *n == 0)
    return 0.0;
  if ((*n > 0) != (*m > 0))
    return FormulaError::Num;
  double q = toSignificant15(*n / *m);
  return numberResult(toSignificant15(std::round(q) * *m));
}

constexpr FunctionSpec kFunctions[] = {
    {"SUM", 1, 255, sum},
    {"PRODUCT", 1, 255, product},
    {"SUMPRODUCT", 1, 255, sumProduct, kAllArrays},
    {"ROUND", 2, 2, roundFunction<roundHalfAway>},
    {"ROUNDUP", 2, 2, roundFunction<roundAwayFromZero>},
    {"ROUNDDOWN", 2, 2, roundFunction<roundTowardZero>},
    {"TRUNC", 1, 2, trunc},
    {"INT", 1, 1, intFunction},
    {"ABS", 1, 1, absFunction},
    {"SIGN", 1, 1, sign},
    {"SQRT", 1, 1, sqrtFunction},
    {"MOD", 2, 2, mod},
    {"POWER", 2, 2, power},
    {"CEILING", 2, 2, roundToMultiple<true>},
    {"FLOOR", 2, 2, roundToMultiple<false>},
    {"MROUND", 2, 2, mround},
};

} // namespace

std::span<const FunctionSpec> mathFunctions() { return kFunctions; }

} // namespace brevant::formulas
