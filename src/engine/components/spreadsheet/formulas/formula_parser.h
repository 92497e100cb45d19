#pragma once
// Reads formula text as a workbook stores it (without the leading '=') into a FormulaTree:
// numbers, strings, booleans, error literals, A1 references with '$', ranges, whole rows and
// columns, sheet-qualified and 3-D references, defined names, table references, the operators
// with the spreadsheet's precedence, array constants, function calls with arguments left out,
// and the "_xlfn."/"_xlws." prefixes of newer functions.

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "engine/components/spreadsheet/formulas/formula_tree.h"

namespace brevant {

// The 0-based position of the worksheet of that name (any letter case), nullopt when none.
using SheetFinder = std::function<std::optional<int32_t>(std::string_view name)>;

// Fills `tree` (cleared first) with the formula; references without a sheet point at
// `hostSheet`. False when the text is not a formula the spreadsheet would accept.
[[nodiscard]] bool parseFormula(std::string_view text, int32_t hostSheet,
                                const SheetFinder &findSheet, FormulaTree &tree);

} // namespace brevant
