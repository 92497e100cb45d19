#pragma once
// How the spreadsheet converts values between types in operators: text that reads as a number
// (or a date, a time, a percentage) counts as one in arithmetic, booleans count 1 and 0, an empty
// cell counts 0 or "", and comparisons order numbers before text before booleans, text without
// regard to letter case.

#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "engine/components/spreadsheet/formulas/formula_value.h"

namespace brevant {

// The number a text stands for: " 1,234.5 ", "-1e3", "50%", "$12", "(7)", "2024-03-31",
// "3/31/2024", "13:45", "3/31/2024 13:45"; nullopt for any other text.
std::optional<double> textToNumber(std::string_view text, bool date1904 = false);

// A number as "&" and text functions write it: the General format, up to 15 significant digits.
std::string numberToText(double value);

// The operand of an arithmetic operator as a number, or the error it gives (#VALUE! for text
// that is not a number; an error value passes through).
std::variant<double, FormulaError> toNumber(const Scalar &value, bool date1904 = false);
// The operand of "&" as text, or the error it carries.
std::variant<std::string, FormulaError> toText(const Scalar &value);

// The order of two values for the comparison operators: negative, zero or positive. Neither may
// be an error. Numbers equal to 15 significant digits compare equal.
int compareScalars(const Scalar &a, const Scalar &b);

// Text compared without regard to letter case (ASCII letters folded; other bytes as they are).
int compareTextNoCase(std::string_view a, std::string_view b);

} // namespace brevant
