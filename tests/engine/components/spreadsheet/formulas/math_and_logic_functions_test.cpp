// Rounding, remainders, multiples and the logic functions at their documented edges.

#include <gtest/gtest.h>

#include "engine/components/spreadsheet/formulas/fake_formula_context.h"
#include "engine/components/spreadsheet/formulas/formula_test_values.h"

namespace brevant::testing {
namespace {

TEST(MathFunctions, RoundGoesHalfAwayFromZeroOnTheDecimalValue) {
  FakeFormulaContext cx;
  EXPECT_TRUE(isNumber(call(cx, "ROUND", {2.675, 2.0}), 2.68));
  EXPECT_TRUE(isNumber(call(cx, "ROUND", {-2.5, 0.0}), -3));
  EXPECT_TRUE(isNumber(call(cx, "ROUND", {1234.5, -2.0}), 1200));
  EXPECT_TRUE(isNumber(call(cx, "ROUND", {1.005, 2.0}), 1.01));
  EXPECT_TRUE(isNumber(call(cx, "ROUNDUP", {-3.14159, 1.0}), -3.2));
  EXPECT_TRUE(isNumber(call(cx, "ROUNDUP", {0.1 + 0.2, 1.0}), 0.3));
  EXPECT_TRUE(isNumber(call(cx, "ROUNDDOWN", {-3.99, 0.0}), -3));
  EXPECT_TRUE(isNumber(call(cx, "TRUNC", {-8.9}), -8));
  EXPECT_TRUE(isNumber(call(cx, "INT", {-8.1}), -9));
  EXPECT_TRUE(isNumber(call(cx, "ROUND", {2.5, 0.7}), 3)); // digits truncated to 0
}

TEST(MathFunctions, ModTakesTheSignOfTheDivisor) {
  FakeFormulaContext cx;
  EXPECT_TRUE(isNumber(call(cx, "MOD", {-3.0, 2.0}), 1));
  EXPECT_TRUE(isNumber(call(cx, "MOD", {3.0, -2.0}), -1));
  EXPECT_TRUE(isNumber(call(cx, "MOD", {5.5, 2.0}), 1.5));
  EXPECT_TRUE(isNumber(call(cx, "MOD", {0.3, 0.1}), 0, 1e-12));
  EXPECT_TRUE(isError(call(cx, "MOD", {1.0, 0.0}), FormulaError::Div0));
}

TEST(MathFunctions, CeilingAndFloorFollowTheSignRules) {
  FakeFormulaContext cx;
  EXPECT_TRUE(isNumber(call(cx, "CEILING", {2.5, 1.0}), 3));
  EXPECT_TRUE(isNumber(call(cx, "CEILING", {-2.5, 2.0}), -2));
  EXPECT_TRUE(isNumber(call(cx, "CEILING", {-2.5, -2.0}), -4));
  EXPECT_TRUE(isError(call(cx, "CEILING", {2.5, -2.0}), FormulaError::Num));
  EXPECT_TRUE(isNumber(call(cx, "CEILING", {0.3, 0.1}), 0.3));
  EXPECT_TRUE(isNumber(call(cx, "FLOOR", {-2.5, 2.0}), -4));
  EXPECT_TRUE(isNumber(call(cx, "FLOOR", {-2.5, -2.0}), -2));
  EXPECT_TRUE(isError(call(cx, "FLOOR", {2.5, -2.0}), FormulaError::Num));
  EXPECT_TRUE(isError(call(cx, "FLOOR", {2.5, 0.0}), FormulaError::Div0));
  EXPECT_TRUE(isNumber(call(cx, "MROUND", {10.0, 3.0}), 9));
  EXPECT_TRUE(isNumber(call(cx, "MROUND", {-10.0, -3.0}), -9));
  EXPECT_TRUE(isNumber(call(cx, "MROUND", {1.3, 0.2}), 1.4));
  EXPECT_TRUE(isError(call(cx, "MROUND", {5.0, -2.0}), FormulaError::Num));
}

TEST(MathFunctions, PowerAndSqrtReportTheirDomainErrors) {
  FakeFormulaContext cx;
  EXPECT_TRUE(isError(call(cx, "POWER", {0.0, 0.0}), FormulaError::Num));
  EXPECT_TRUE(isError(call(cx, "POWER", {0.0, -1.0}), FormulaError::Div0));
  EXPECT_TRUE(isError(call(cx, "POWER", {-4.0, 0.5}), FormulaError::Num));
  EXPECT_TRUE(isNumber(call(cx, "POWER", {-8.0, 1.0 / 3}), -2));
  EXPECT_TRUE(isError(call(cx, "SQRT", {-1.0}), FormulaError::Num));
  EXPECT_TRUE(isError(call(cx, "POWER", {10.0, 400.0}), FormulaError::Num));
}

TEST(MathFunctions, SumProductMultipliesArraysOfOneShape) {
  FakeFormulaContext cx;
  cx.column_("A1", {1.0, 2.0, std::string("x")});
  cx.column_("B1", {4.0, 5.0, 6.0});
  EXPECT_TRUE(isNumber(call(cx, "SUMPRODUCT", {ref("A1:A3"), ref("B1:B3")}), 14));
  EXPECT_TRUE(isError(call(cx, "SUMPRODUCT", {ref("A1:A3"), ref("B1:B2")}), FormulaError::Value));
  EXPECT_TRUE(isNumber(call(cx, "SUMPRODUCT", {array(1, 2, {true, 3.0})}), 3));
  EXPECT_TRUE(isNumber(call(cx, "PRODUCT", {ref("A1:A3"), 3.0}), 6));
}

TEST(LogicFunctions, IfHandsBackTheChosenBranchAndDefaultsToBooleans) {
  FakeFormulaContext cx;
  EXPECT_TRUE(isText(call(cx, "IF", {true, std::string("y"), std::string("n")}), "y"));
  EXPECT_TRUE(isBool(call(cx, "IF", {0.0, 1.0}), false));
  EXPECT_TRUE(isError(call(cx, "IF", {std::string("maybe"), 1.0}), FormulaError::Value));
  EXPECT_TRUE(isNumber(call(cx, "IF", {std::string("TRUE"), 1.0, 2.0}), 1));
  // A reference comes back as one, for INDEX-like use.
  EXPECT_EQ(call(cx, "IF", {true, ref("A1:A3")}), FormulaValue(ref("A1:A3")));
  EXPECT_TRUE(isError(call(cx, "IFS", {false, 1.0, false, 2.0}), FormulaError::NA));
  EXPECT_TRUE(isNumber(call(cx, "IFS", {false, 1.0, true, 2.0}), 2));
}

TEST(LogicFunctions, AndOrXorSkipTextInRangesAndNeedAtLeastOneValue) {
  FakeFormulaContext cx;
  cx.column_("A1", {true, std::string("text"), 1.0});
  EXPECT_TRUE(isBool(call(cx, "AND", {ref("A1:A3")}), true));
  EXPECT_TRUE(isBool(call(cx, "XOR", {ref("A1:A3")}), false));
  EXPECT_TRUE(isError(call(cx, "AND", {ref("A2")}), FormulaError::Value));
  EXPECT_TRUE(isError(call(cx, "OR", {std::string("text")}), FormulaError::Value));
  EXPECT_TRUE(isBool(call(cx, "OR", {false, 0.0, ref("A1")}), true));
  EXPECT_TRUE(isError(call(cx, "OR", {true, FormulaError::Div0}), FormulaError::Div0));
  EXPECT_TRUE(isBool(call(cx, "NOT", {0.0}), true));
}

TEST(LogicFunctions, IfErrorIfNaAndSwitch) {
  FakeFormulaContext cx;
  cx.set("A1", FormulaError::NA);
  EXPECT_TRUE(isText(call(cx, "IFERROR", {ref("A1"), std::string("none")}), "none"));
  EXPECT_TRUE(isText(call(cx, "IFNA", {ref("A1"), std::string("none")}), "none"));
  EXPECT_TRUE(isError(call(cx, "IFNA", {FormulaError::Div0, 1.0}), FormulaError::Div0));
  EXPECT_TRUE(std::holds_alternative<Blank>(call(cx, "IFERROR", {ref("B1"), 1.0})));
  EXPECT_TRUE(isText(call(cx, "SWITCH",
                          {std::string("b"), std::string("A"), std::string("1"), std::string("B"),
                           std::string("2")}),
                     "2"));
  EXPECT_TRUE(
      isText(call(cx, "SWITCH", {3.0, 1.0, std::string("one"), std::string("other")}), "other"));
  EXPECT_TRUE(isError(call(cx, "SWITCH", {3.0, 1.0, std::string("one")}), FormulaError::NA));
  // The number 1 and the text "1" are different values.
  EXPECT_TRUE(isError(call(cx, "SWITCH", {1.0, std::string("1"), 2.0}), FormulaError::NA));
}

} // namespace
} // namespace brevant::testing
