// Information: ISBLANK, ISNUMBER, ISTEXT, ISLOGICAL, ISERROR, ISERR, ISNA, N, NA.

#include "engine/components/spreadsheet/formulas/functions/argument_values.h"
#include "engine/components/spreadsheet/formulas/functions/function_families.h"

namespace brevant::formulas {
namespace {

template <bool (*Test)(const Scalar &)> FormulaValue isFunction(const FunctionCall &call) {
  return Test(scalarArgument(call, 0));
}

bool blank(const Scalar &v) { return std::holds_alternative<Blank>(v); }
bool number(const Scalar &v) { return std::holds_alternative<double>(v); }
bool text(const Scalar &v) { return std::holds_alternative<std::string>(v); }
bool logical(const Scalar &v) { return std::holds_alternative<bool>(v); }
bool anyError(const Scalar &v) { return isError(v); }
bool errorButNA(const Scalar &v) {
  const auto *e = std::get_if<FormulaError>(&v);
  return e && *e != FormulaError::NA;
}
bool notAvailable(const Scalar &v) {
  const auto *e = std::get_if<FormulaError>(&v);
  return e && *e == FormulaError::NA;
}

// ISBLANK is true only for an empty cell: an argument left out or a typed "" is not one.
FormulaValue isBlank(const FunctionCall &call) {
  if (!std::holds_alternative<CellReference>(call.argument(0)))
    return false;
  return blank(scalarArgument(call, 0));
}

// N: a number as it is, TRUE as 1, anything else 0; errors pass through.
FormulaValue n(const FunctionCall &call) {
  Scalar v = scalarArgument(call, 0);
  if (const auto *d = std::get_if<double>(&v))
    return *d;
  if (const auto *b = std::get_if<bool>(&v))
    return *b ? 1.0 : 0.0;
  if (const auto *e = std::get_if<FormulaError>(&v))
    return *e;
  return 0.0;
}

FormulaValue na(const FunctionCall &) { return FormulaError::NA; }

constexpr FunctionSpec kFunctions[] = {
    {"ISBLANK", 1, 1, isBlank},
    {"ISNUMBER", 1, 1, isFunction<number>},
    {"ISTEXT", 1, 1, isFunction<text>},
    {"ISNONTEXT", 1, 1,
     [](const FunctionCall &c) -> FormulaValue { return !text(scalarArgument(c, 0)); }},
    {"ISLOGICAL", 1, 1, isFunction<logical>},
    {"ISERROR", 1, 1, isFunction<anyError>},
    {"ISERR", 1, 1, isFunction<errorButNA>},
    {"ISNA", 1, 1, isFunction<notAvailable>},
    {"N", 1, 1, n},
    {"NA", 0, 0, na},
};

} // namespace

std::span<const FunctionSpec> informationFunctions() { return kFunctions; }

} // namespace brevant::formulas
