#pragma once
// Statistics over a list of numbers, shared by the worksheet functions and by SUBTOTAL and
// AGGREGATE.

#include <vector>

#include "engine/components/spreadsheet/formulas/formula_value.h"

namespace brevant::formulas {

FormulaValue averageOf(const std::vector<double> &numbers);
FormulaValue minOf(const std::vector<double> &numbers); // 0 for none
FormulaValue maxOf(const std::vector<double> &numbers);
FormulaValue sumOf(const std::vector<double> &numbers);
FormulaValue productOf(const std::vector<double> &numbers);
// Variance and standard deviation of a sample (n - 1) or of the population (n).
FormulaValue varianceOf(const std::vector<double> &numbers, bool sample);
FormulaValue deviationOf(const std::vector<double> &numbers, bool sample);
FormulaValue medianOf(std::vector<double> numbers);
// The k-th largest (smallest) number, k from 1 (truncated); #NUM! outside the list.
FormulaValue largestOf(std::vector<double> numbers, double k, bool largest);
// The most frequent number (the first to reach the count); #N/A when none repeats.
FormulaValue modeOf(const std::vector<double> &numbers);
// The percentile p (0..1) interpolated inclusively or exclusively.
FormulaValue percentileOf(std::vector<double> numbers, double p, bool inclusive);

} // namespace brevant::formulas
