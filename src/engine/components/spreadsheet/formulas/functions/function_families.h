#pragma once
// The function library by family; the registry gathers them for findFunction().

#include <span>

#include "engine/components/spreadsheet/formulas/function_call.h"

namespace brevant::formulas {

std::span<const FunctionSpec> mathFunctions();
std::span<const FunctionSpec> statisticsFunctions();
std::span<const FunctionSpec> conditionalFunctions(); // SUMIF, COUNTIFS, MAXIFS, ...
std::span<const FunctionSpec> subtotalFunctions();    // SUBTOTAL, AGGREGATE
std::span<const FunctionSpec> logicFunctions();
std::span<const FunctionSpec> lookupFunctions();
std::span<const FunctionSpec> referenceFunctions(); // OFFSET, INDIRECT, ROW, ADDRESS, ...
std::span<const FunctionSpec> textFunctions();
std::span<const FunctionSpec> dateFunctions();
std::span<const FunctionSpec> informationFunctions();

// Every argument from the first on is an array argument.
constexpr uint32_t kAllArrays = 0x80000001u;

} // namespace brevant::formulas
