#include "engine/components/spreadsheet/formulas/functions/aggregates.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "engine/components/spreadsheet/formulas/functions/argument_values.h"

namespace brevant::formulas {

FormulaValue averageOf(const std::vector<double> &numbers) {
  if (numbers.empty())
    return FormulaError::Div0;
  double total = 0;
  for (double v : numbers)
    total += v;
  return numberResult(total / static_cast<double>(numbers.size()));
}

FormulaValue minOf(const std::vector<double> &numbers) {
  if (numbers.empty())
    return 0.0;
  return *std::min_element(numbers.begin(), numbers.end());
}

FormulaValue maxOf(const std::vector<double> &numbers) {
  if (numbers.empty())
    return 0.0;
  return *std::max_element(numbers.begin(), numbers.end());
}

FormulaValue sumOf(const std::vector<double> &numbers) {
  double total = 0;
  for (double v : numbers)
    total += v;
  return numberResult(total);
}

FormulaValue productOf(const std::vector<double> &numbers) {
  if (numbers.empty())
    return 0.0;
  double total = 1;
  for (double v : numbers)
    total *= v;
  return numberResult(total);
}

FormulaValue varianceOf(const std::vector<double> &numbers, bool sample) {
  size_t n = numbers.size();
  if (n == 0 || (sample && n < 2))
    return FormulaError::Div0;
  double mean = 0;
  for (double v : numbers)
    mean += v;
  mean /= static_cast<double>(n);
  double squares = 0;
  for (double v : numbers)
    squares += (v - mean) * (v - mean);
  return numberResult(squares / static_cast<double>(sample ? n - 1 : n));
}

FormulaValue deviationOf(const std::vector<double> &numbers, bool sample) {
  FormulaValue v = varianceOf(numbers, sample);
  if (const auto *d = std::get_if<double>(&v))
    return std::sqrt(*d);
  return v;
}

FormulaValue medianOf(std::vector<double> numbers) {
  if (numbers.empty())
    return FormulaError::Num;
  size_t n = numbers.size();
  std::sort(numbers.begin(), numbers.end());
  if (n % 2 == 1)
    return numbers[n / 2];
  return numberResult((numbers[n / 2 - 1] + numbers[n / 2]) / 2);
}

FormulaValue largestOf(std::vector<double> numbers, double k, bool largest) {
  double rank = std::trunc(k);
  if (numbers.empty() || rank < 1 || rank > static_cast<double>(numbers.size()))
    return FormulaError::Num;
  auto index = static_cast<size_t>(rank) - 1;
  if (largest)
    std::nth_element(numbers.begin(), numbers.begin() + static_cast<long>(index), numbers.end(),
                     std::greater<>());
  else
    std::nth_element(numbers.begin(), numbers.begin() + static_cast<long>(index), numbers.end());
  return numbers[index];
}

FormulaValue modeOf(const std::vector<double> &numbers) {
  std::map<double, size_t> counts;
  for (double v : numbers)
    ++counts[v];
  size_t best = 1;
  double mode = 0;
  for (double v : numbers) {
    size_t c = counts[v];
    if (c > best) {
      best = c;
      mode = v;
    }
  }
  if (best < 2)
    return FormulaError::NA;
  return mode;
}

FormulaValue percentileOf(std::vector<double> numbers, double p, bool inclusive) {
  size_t n = numbers.size();
  if (n == 0 || p < 0 || p > 1)
    return FormulaError::Num;
  std::sort(numbers.begin(), numbers.end());
  double position; // 0-based
  if (inclusive) {
    position = p * static_cast<double>(n - 1);
  } else {
    position = p * static_cast<double>(n + 1) - 1;
    if (position < 0 || position > static_cast<double>(n - 1))
      return FormulaError::Num;
  }
  auto low = static_cast<size_t>(std::floor(position));
  double fraction = position - static_cast<double>(low);
  if (low + 1 >= n)
    return numbers[n - 1];
  return numbers[low] + fraction * (numbers[low + 1] - numbers[low]);
}

} // namespace brevant::formulas
