#include "engine/components/spreadsheet/formulas/formula_value.h"

#include <array>

#include "base/case_folding.h"

namespace brevant {

namespace {

constexpr std::array<std::string_view, 10> kErrorTexts = {
    "#NULL!", "#DIV/0!", "#VALUE!",       "#REF!",   "#NAME?",
    "#NUM!",  "#N/A",    "#GETTING_DATA", "#SPILL!", "#CALC!"};

} // namespace

std::string_view errorText(FormulaError error) { return kErrorTexts[static_cast<size_t>(error)]; }

std::optional<FormulaError> parseErrorText(std::string_view text) {
  for (size_t i = 0; i < kErrorTexts.size(); ++i)
    if (equalsIgnoringCase(text, kErrorTexts[i]))
      return static_cast<FormulaError>(i);
  return std::nullopt;
}

} // namespace brevant
