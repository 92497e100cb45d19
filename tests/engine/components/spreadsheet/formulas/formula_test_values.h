#pragma once
// Readable checks on function results.

#include <gtest/gtest.h>

#include "engine/components/spreadsheet/formulas/formula_value.h"

namespace brevant::testing {

inline ::testing::AssertionResult isNumber(const FormulaValue &v, double expected,
                                           double tolerance = 1e-9) {
  if (const auto *d = std::get_if<double>(&v)) {
    if (std::abs(*d - expected) <= tolerance * std::max(1.0, std::abs(expected)))
      return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << *d << ", want " << expected;
  }
  return ::testing::AssertionFailure() << "not a number (variant index " << v.index() << ")";
}

inline ::testing::AssertionResult isText(const FormulaValue &v, const std::string &expected) {
  if (const auto *s = std::get_if<std::string>(&v)) {
    if (*s == expected)
      return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got \"" << *s << "\", want \"" << expected << "\"";
  }
  return ::testing::AssertionFailure() << "not a text (variant index " << v.index() << ")";
}

inline ::testing::AssertionResult isError(const FormulaValue &v, FormulaError expected) {
  if (const auto *e = std::get_if<FormulaError>(&v)) {
    if (*e == expected)
      return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "got error " << static_cast<int>(*e) << ", want " << static_cast<int>(expected);
  }
  return ::testing::AssertionFailure() << "not an error (variant index " << v.index() << ")";
}

inline ::testing::AssertionResult isBool(const FormulaValue &v, bool expected) {
  if (const auto *b = std::get_if<bool>(&v)) {
    if (*b == expected)
      return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << *b;
  }
  return ::testing::AssertionFailure() << "not a boolean (variant index " << v.index() << ")";
}

} // namespace brevant::testing
