// Counting and statistics over numbers: AVERAGE, COUNT, COUNTA, COUNTBLANK, MIN, MAX, MEDIAN,
// LARGE, SMALL, RANK, STDEV and VAR in their sample and population forms.

#include "engine/components/spreadsheet/formulas/functions/aggregates.h"
#include "engine/components/spreadsheet/formulas/functions/argument_values.h"
#include "engine/components/spreadsheet/formulas/functions/function_families.h"

namespace brevant::formulas {
namespace {

template <FormulaValue (*Aggregate)(const std::vector<double> &)>
constexpr auto overNumbers = withArguments<Aggregate, numbersFrom>;

FormulaValue median(const std::vector<double> &numbers) { return medianOf(numbers); }
FormulaValue sampleVariance(const std::vector<double> &n) { return varianceOf(n, true); }
FormulaValue populationVariance(const std::vector<double> &n) { return varianceOf(n, false); }
FormulaValue sampleDeviation(const std::vector<double> &n) { return deviationOf(n, true); }
FormulaValue populationDeviation(const std::vector<double> &n) { return deviationOf(n, false); }

// Numbers anywhere; typed arguments that convert to numbers; errors are not counted.
FormulaValue count(const FunctionCall &call) {
  double n = 0;
  bool date1904 = call.context().date1904();
  for (size_t i = 0; i < call.size(); ++i)
    forEachValue(call.context(), call.argument(i), [&](const Scalar &v, Origin origin) {
      if (std::holds_alternative<double>(v) ||
          (origin == Origin::Direct && !isError(v) && toNumber(v, date1904).ok()))
        ++n;
      return true;
    });
  return n;
}

FormulaValue countA(const FunctionCall &call) {
  double n = 0;
  for (size_t i = 0; i < call.size(); ++i)
    forEachValue(call.context(), call.argument(i), [&](const Scalar &v, Origin origin) {
      if (origin == Origin::Direct || !std::holds_alternative<Blank>(v))
        ++n;
      return true;
    });
  return n;
}

// Empty cells and cells showing "" in a range.
FormulaValue countBlank(const FunctionCall &call) {
  const auto *ref = std::get_if<CellReference>(&call.argument(0));
  if (!ref) {
    Scalar v = scalarArgument(call, 0);
    const auto *s = std::get_if<std::string>(&v);
    return std::holds_alternative<Blank>(v) || (s && s->empty()) ? 1.0 : 0.0;
  }
  int64_t filled = 0;
  forEachValue(call.context(), *ref, [&](const Scalar &v, Origin) {
    const auto *s = std::get_if<std::string>(&v);
    if (!std::holds_alternative<Blank>(v) && !(s && s->empty()))
      ++filled;
    return true;
  });
  return static_cast<double>(cellCount(*ref) - filled);
}

// LARGE and SMALL: the numbers of the first argument, the rank k.
Or<std::vector<double>> firstNumbers(const FunctionCall &call, size_t index) {
  return collectNumbers(call, index, index);
}

template <bool Largest> FormulaValue kth(std::vector<double> numbers, double k) {
  return largestOf(std::move(numbers), k, Largest);
}

// The position of a number among the numbers of a reference: 1 for the largest (order 0) or
// the smallest (any other order); ties share the best position.
FormulaValue rank(const FunctionCall &call, double number, const CellReference *numbers,
                  double ascending) {
  double before = 0;
  bool found = false;
  forEachValue(call.context(), *numbers, [&](const Scalar &v, Origin) {
    const auto *d = std::get_if<double>(&v);
    if (!d)
      return true;
    if (*d == number)
      found = true;
    else if (ascending != 0 ? *d < number : *d > number)
      ++before;
    return true;
  });
  if (!found)
    return FormulaError::NA;
  return before + 1;
}

constexpr FunctionSpec kFunctions[] = {
    {"AVERAGE", 1, 255, overNumbers<averageOf>},
    {"MIN", 1, 255, overNumbers<minOf>},
    {"MAX", 1, 255, overNumbers<maxOf>},
    {"MEDIAN", 1, 255, overNumbers<median>},
    {"COUNT", 1, 255, count},
    {"COUNTA", 1, 255, countA},
    {"COUNTBLANK", 1, 1, countBlank},
    {"LARGE", 2, 2, withArguments<kth<true>, firstNumbers, numberArgument>, 1},
    {"SMALL", 2, 2, withArguments<kth<false>, firstNumbers, numberArgument>, 1},
    {"RANK", 2, 3, withArguments<rank, numberArgument, referenceArgument, numberOr<0>>},
    {"RANK.EQ", 2, 3, withArguments<rank, numberArgument, referenceArgument, numberOr<0>>},
    {"STDEV", 1, 255, overNumbers<sampleDeviation>},
    {"STDEV.S", 1, 255, overNumbers<sampleDeviation>},
    {"STDEVP", 1, 255, overNumbers<populationDeviation>},
    {"STDEV.P", 1, 255, overNumbers<populationDeviation>},
    {"VAR", 1, 255, overNumbers<sampleVariance>},
    {"VAR.S", 1, 255, overNumbers<sampleVariance>},
    {"VARP", 1, 255, overNumbers<populationVariance>},
    {"VAR.P", 1, 255, overNumbers<populationVariance>},
};

} // namespace

std::span<const FunctionSpec> statisticsFunctions() { return kFunctions; }

} // namespace brevant::formulas
