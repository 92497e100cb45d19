// Logic: IF, IFS, AND, OR, XOR, NOT, IFERROR, IFNA, SWITCH, TRUE, FALSE. The branches are
// computed before the call; IF and its kin hand back the chosen one as it is, a reference
// included.

#include "engine/components/spreadsheet/formulas/functions/argument_values.h"
#include "engine/components/spreadsheet/formulas/functions/function_families.h"
#include "engine/components/spreadsheet/formulas/functions/value_compare.h"

namespace brevant::formulas {
namespace {

FormulaValue ifFunction(bool condition, const FormulaValue *yes, const FormulaValue *no) {
  return condition ? *yes : *no;
}

FormulaValue ifs(const FunctionCall &call) {
  if (call.size() % 2 != 0)
    return FormulaError::NA;
  for (size_t i = 0; i + 1 < call.size(); i += 2) {
    auto condition = booleanArgument(call, i);
    if (!condition.ok())
      return condition.error();
    if (*condition)
      return call.argument(i + 1);
  }
  return FormulaError::NA;
}

// The truth values of every argument: booleans and numbers (texts and blanks in references and
// arrays skipped, typed text an error). #VALUE! when there are none.
enum class Combine { All, Any, Odd };
template <Combine How> FormulaValue combine(const FunctionCall &call) {
  size_t seen = 0;
  size_t trues = 0;
  std::optional<FormulaError> error;
  for (size_t i = 0; i < call.size() && !error; ++i)
    forEachValue(call.context(), call.argument(i), [&](const Scalar &v, Origin origin) {
      if (const auto *e = std::get_if<FormulaError>(&v)) {
        error = *e;
        return false;
      }
      if (origin != Origin::Direct &&
          (std::holds_alternative<std::string>(v) || std::holds_alternative<Blank>(v)))
        return true;
      if (std::holds_alternative<std::string>(v)) {
        error = FormulaError::Value; // typed text, even "TRUE"
        return false;
      }
      auto b = toBoolean(v);
      if (!b.ok()) {
        error = b.error();
        return false;
      }
      ++seen;
      trues += *b ? 1 : 0;
      return true;
    });
  if (error)
    return *error;
  if (seen == 0)
    return FormulaError::Value;
  if constexpr (How == Combine::All)
    return trues == seen;
  else if constexpr (How == Combine::Any)
    return trues > 0;
  else
    return trues % 2 == 1;
}

FormulaValue notFunction(bool b) { return !b; }

// IFERROR and IFNA: the value unless it is an error (#N/A only, for IFNA).
template <bool OnlyNA>
FormulaValue ifError(const FunctionCall &call, const FormulaValue *value,
                     const FormulaValue *fallback) {
  Scalar v = toScalar(call.context(), *value);
  if (const auto *e = std::get_if<FormulaError>(&v))
    if (!OnlyNA || *e == FormulaError::NA)
      return *fallback;
  if (std::holds_alternative<CellReference>(*value) || std::holds_alternative<ScalarArray>(*value))
    return fromScalar(v);
  return *value;
}

// SWITCH compares like "=": values of one type, texts in any case; an empty cell is 0, ""
// or FALSE as the other side needs.
bool switchMatches(const Scalar &value, const Scalar &candidate) {
  if (std::holds_alternative<Blank>(value)) {
    if (const auto *d = std::get_if<double>(&candidate))
      return *d == 0;
    if (const auto *s = std::get_if<std::string>(&candidate))
      return s->empty();
    if (const auto *b = std::get_if<bool>(&candidate))
      return !*b;
  }
  return sameValue(value, candidate);
}

// SWITCH(value, match1, result1, ..., [default]).
FormulaValue switchFunction(const FunctionCall &call) {
  Scalar value = scalarArgument(call, 0);
  if (const auto *e = std::get_if<FormulaError>(&value))
    return *e;
  size_t i = 1;
  for (; i + 1 < call.size(); i += 2) {
    Scalar candidate = scalarArgument(call, i);
    if (const auto *e = std::get_if<FormulaError>(&candidate))
      return *e;
    if (switchMatches(value, candidate))
      return call.argument(i + 1);
  }
  if (i < call.size())
    return call.argument(i);
  return FormulaError::NA;
}

FormulaValue trueFunction(const FunctionCall &) { return true; }
FormulaValue falseFunction(const FunctionCall &) { return false; }

constexpr FunctionSpec kFunctions[] = {
    {"IF", 1, 3, withArguments<ifFunction, booleanArgument, valueOr<true>, valueOr<false>>},
    {"IFS", 2, 254, ifs},
    {"AND", 1, 255, combine<Combine::All>},
    {"OR", 1, 255, combine<Combine::Any>},
    {"XOR", 1, 255, combine<Combine::Odd>},
    {"NOT", 1, 1, withArguments<notFunction, booleanArgument>},
    {"IFERROR", 2, 2, withArguments<ifError<false>, valueOr<false>, valueOr<false>>},
    {"IFNA", 2, 2, withArguments<ifError<true>, valueOr<false>, valueOr<false>>},
    {"SWITCH", 3, 254, switchFunction},
    {"TRUE", 0, 0, trueFunction},
    {"FALSE", 0, 0, falseFunction},
};

} // namespace

std::span<const FunctionSpec> logicFunctions() { return kFunctions; }

} // namespace brevant::formulas
