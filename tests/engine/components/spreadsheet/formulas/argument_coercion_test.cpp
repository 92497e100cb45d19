// How the library reads arguments: typed values converted, values in references and arrays
// skipped by the aggregates, implicit intersection, and the registry's names.

#include <gtest/gtest.h>

#include "engine/components/spreadsheet/cells/number_format.h"
#include "engine/components/spreadsheet/formulas/fake_formula_context.h"
#include "engine/components/spreadsheet/formulas/formula_operators.h"
#include "engine/components/spreadsheet/formulas/formula_test_values.h"
#include "engine/components/spreadsheet/formulas/functions/value_text.h"

namespace brevant::testing {
namespace {

TEST(FunctionRegistry, FindsNamesInAnyCaseWithOrWithoutTheFutureFunctionPrefixes) {
  EXPECT_NE(findFunction("sum"), nullptr);
  EXPECT_EQ(findFunction("_xlfn.STDEV.S"), findFunction("stdev.s"));
  EXPECT_EQ(findFunction("_xlfn._xlws.SUM"), findFunction("SUM"));
  EXPECT_EQ(findFunction("CUBEVALUE"), nullptr);
  EXPECT_EQ(findFunction("_xlfn."), nullptr);
  EXPECT_TRUE(findFunction("TODAY")->isVolatile);
  EXPECT_TRUE(findFunction("INDIRECT")->isVolatile);
  EXPECT_TRUE(findFunction("OFFSET")->isVolatile);
  EXPECT_FALSE(findFunction("SUM")->isVolatile);
  EXPECT_NE(findFunction("SUMPRODUCT")->arrayArguments, 0u);
}

TEST(ArgumentCoercion, SumConvertsTypedTextAndBooleansButSkipsThemInRanges) {
  FakeFormulaContext cx;
  cx.column_("A1", {1.0, std::string("3"), true, Blank{}, 5.0});
  EXPECT_TRUE(isNumber(call(cx, "SUM", {ref("A1:A5")}), 6));
  EXPECT_TRUE(isNumber(call(cx, "SUM", {std::string("3"), true, 1.0}), 5));
  EXPECT_TRUE(isError(call(cx, "SUM", {std::string("abc")}), FormulaError::Value));
  // Arrays are like ranges: only their numbers count.
  EXPECT_TRUE(isNumber(call(cx, "SUM", {array(1, 3, {1.0, std::string("2"), true})}), 1));
  EXPECT_TRUE(isNumber(call(cx, "COUNT", {ref("A1:A5"), std::string("7"), std::string("x")}), 3));
  EXPECT_TRUE(isNumber(call(cx, "COUNTA", {ref("A1:A5")}), 4));
  EXPECT_TRUE(isNumber(call(cx, "AVERAGE", {ref("A1:A5")}), 3));
  EXPECT_TRUE(isError(call(cx, "AVERAGE", {ref("B1:B5")}), FormulaError::Div0));
  EXPECT_TRUE(isNumber(call(cx, "MAX", {ref("B1:B5")}), 0));
  EXPECT_TRUE(isNumber(call(cx, "MIN", {ref("A1:A5"), -2.0}), -2));
}

TEST(ArgumentCoercion, TheFirstErrorInARangeWinsButCountSkipsErrors) {
  FakeFormulaContext cx;
  cx.column_("A1", {1.0, FormulaError::Div0, FormulaError::NA});
  EXPECT_TRUE(isError(call(cx, "SUM", {ref("A1:A3")}), FormulaError::Div0));
  EXPECT_TRUE(isError(call(cx, "MAX", {ref("A1:A3")}), FormulaError::Div0));
  EXPECT_TRUE(isNumber(call(cx, "COUNT", {ref("A1:A3")}), 1));
  EXPECT_TRUE(isNumber(call(cx, "COUNTA", {ref("A1:A3")}), 3));
}

TEST(ArgumentCoercion, ARangeInAScalarPlaceTakesTheCellInTheFormulasRowOrColumn) {
  FakeFormulaContext cx;
  cx.column_("A1", {10.0, 20.0, 30.0});
  cx.row = 2;
  cx.column = 5;
  EXPECT_TRUE(isNumber(call(cx, "ROUND", {ref("A1:A3"), 0.0}), 20));
  cx.row = 7;
  EXPECT_TRUE(isError(call(cx, "ROUND", {ref("A1:A3"), 0.0}), FormulaError::Value));
  cx.set("B9", 4.0);
  cx.set("E9", 5.0);
  cx.row = 1;
  EXPECT_TRUE(isNumber(call(cx, "ABS", {ref("A9:F9")}), 5));
  EXPECT_TRUE(isError(call(cx, "ABS", {ref("A1:B2")}), FormulaError::Value));
}

TEST(ValueText, ReadsNumbersDatesAndTimesTheWaySpreadsheetCellsDo) {
  using formulas::parseNumberText;
  EXPECT_EQ(parseNumberText(" 1,234.5 "), 1234.5);
  EXPECT_EQ(parseNumberText("12%"), 0.12);
  EXPECT_EQ(parseNumberText("$5"), 5);
  EXPECT_EQ(parseNumberText("-$5"), -5);
  EXPECT_EQ(parseNumberText("(3)"), -3);
  EXPECT_EQ(parseNumberText("1e3"), 1000);
  EXPECT_EQ(parseNumberText("2024-03-15"), 45366);
  EXPECT_EQ(parseNumberText("3/15/2024"), 45366);
  EXPECT_EQ(parseNumberText("15-Mar-2024"), 45366);
  EXPECT_EQ(parseNumberText("March 15, 2024"), 45366);
  EXPECT_EQ(parseNumberText("2/29/1900"), 60);
  EXPECT_EQ(parseNumberText("12:00"), 0.5);
  EXPECT_EQ(parseNumberText("6:00 PM"), 0.75);
  EXPECT_EQ(parseNumberText("2024-03-15 12:00"), 45366.5);
  EXPECT_EQ(parseNumberText("1,23"), std::nullopt);
  EXPECT_EQ(parseNumberText("2/30/2024"), std::nullopt);
  EXPECT_EQ(parseNumberText("abc"), std::nullopt);
  EXPECT_EQ(parseNumberText(""), std::nullopt);
  EXPECT_EQ(parseNumberText("2024-03-15", true), 45366 - 1462);
}

TEST(ValueText, WritesNumbersWithFifteenSignificantDigits) {
  using formulas::numberToText;
  EXPECT_EQ(numberToText(0.1 + 0.2), "0.3");
  EXPECT_EQ(numberToText(-2.5), "-2.5");
  EXPECT_EQ(numberToText(123456789012345.0), "123456789012345");
  EXPECT_EQ(numberToText(1e20), "1E+20");
  EXPECT_EQ(numberToText(1234567890123456.0), "1.23456789012346E+15");
  EXPECT_EQ(numberToText(1.5e-10), "1.5E-10");
  EXPECT_EQ(numberToText(0.000000001), "0.000000001");
}

// The operators and the functions read and write numbers in text through one parser and one
// writer: what VALUE takes, "+" takes, and "&" writes what a text function writes.
TEST(ValueText, OperatorsReadAndWriteNumbersAsFunctionsDo) {
  FakeFormulaContext cx;
  auto plus = [](Scalar a, Scalar b) { return applyBinary(BinaryOp::Add, a, b, false); };
  EXPECT_EQ(plus(std::string(" 1,234.5 "), 1.0), Scalar(1235.5));
  EXPECT_EQ(plus(std::string("15-Mar-2024"), 0.0), Scalar(45366.0));
  EXPECT_EQ(plus(std::string("March 15, 2024"), 0.0), Scalar(45366.0));
  EXPECT_EQ(plus(std::string("(3)"), 0.0), Scalar(-3.0));
  // Thousands separators only in groups of three, as VALUE has them.
  EXPECT_EQ(plus(std::string("1,23"), 1.0), Scalar(FormulaError::Value));
  EXPECT_TRUE(isError(call(cx, "VALUE", {std::string("1,23")}), FormulaError::Value));
  // "&" keeps 15 significant digits, as a cell's General format does not.
  EXPECT_EQ(
      applyBinary(BinaryOp::Concat, Scalar(std::string("x")), Scalar(1234567890123456.0), false),
      Scalar(std::string("x1.23456789012346E+15")));
  EXPECT_EQ(formatGeneral(1234567890123456.0), "1.23457E+15");
  EXPECT_TRUE(isText(call(cx, "CONCATENATE", {std::string("x"), 1234567890123456.0}),
                     "x1.23456789012346E+15"));
}

// Texts compare without regard to case by one rule: the operators, lookups, criteria and the
// registry all fold letters beyond Latin-1 ("Ā" and "ā") the same way; LOWER and UPPER still
// change only the letters they map, and leave a final sigma as it is.
TEST(ValueText, OneCaseFoldingRuleForComparisons) {
  FakeFormulaContext cx;
  const std::string upper = "\xC4\x80x"; // Āx
  const std::string lower = "\xC4\x81X"; // āX
  EXPECT_EQ(applyBinary(BinaryOp::Equal, Scalar(upper), Scalar(lower), false), Scalar(true));
  EXPECT_TRUE(isNumber(call(cx, "MATCH", {lower, array(1, 2, {std::string("b"), upper}), 0.0}), 2));
  EXPECT_TRUE(isNumber(call(cx, "SEARCH", {lower, "a" + upper}), 2));
  EXPECT_TRUE(isBool(call(cx, "EXACT", {upper, lower}), false));
  EXPECT_TRUE(isNumber(call(cx, "DATEDIF", {1.0, 400.0, std::string("Y")}), 1));
  EXPECT_TRUE(isText(call(cx, "LOWER", {std::string("\xCE\xA3\xCF\x82")}), "\xCF\x83\xCF\x82"));
  EXPECT_TRUE(isText(call(cx, "UPPER", {std::string("\xCF\x83")}), "\xCE\xA3"));
  EXPECT_EQ(findFunction("_XLFN.Stdev.S"), findFunction("STDEV.S"));
  EXPECT_EQ(parseErrorText("#n/a"), FormulaError::NA);
}

} // namespace
} // namespace brevant::testing
