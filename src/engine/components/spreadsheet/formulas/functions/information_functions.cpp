// Information: ISBLANK, ISNUMBER, ISTEXT, ISLOGICAL, ISERROR, ISERR, ISNA, N, NA.

#include "engine/components/spreadsheet/formulas/functions/argument_values.h"
#include "engine/components/spreadsheet/formulas/functions/function_families.h"

namespace brevant::formulas {
namespace {

template <bool (*Test)(const Scalar &)> FormulaValue isFunction(const Scalar &value) {
  return Test(value);
}

bool blank(const Scalar &v) { return std::holds_alternative<Blank>(v); }
bool number(const Scalar &v) { return std::holds_alternative<double>(v); }
bool text(const Scalar &v) { return std::holds_alternative<std::string>(v); }
bool notText(const Scalar &v) { return !text(v); }
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
FormulaValue n(const Scalar &v) {
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
    {"ISNUMBER", 1, 1, withArguments<isFunction<number>, scalarValue>},
    {"ISTEXT", 1, 1, withArguments<isFunction<text>, scalarValue>},
    {"ISNONTEXT", 1, 1, withArguments<isFunction<notText>, scalarValue>},
    {"ISLOGICAL", 1, 1, withArguments<isFunction<logical>, scalarValue>},
    {"ISERROR", 1, 1, withArguments<isFunction<anyError>, scalarValue>},
    {"ISERR", 1, 1, withArguments<isFunction<errorButNA>, scalarValue>},
    {"ISNA", 1, 1, withArguments<isFunction<notAvailable>, scalarValue>},
    {"N", 1, 1, withArguments<n, scalarValue>},
    {"NA", 0, 0, na},
};

} // namespace

std::span<const FunctionSpec> informationFunctions() { return kFunctions; }

} // namespace brevant::formulas
