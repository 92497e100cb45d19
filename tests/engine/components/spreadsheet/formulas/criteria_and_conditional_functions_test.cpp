// The criteria matcher and the *IF/*IFS functions built on it.

#include <gtest/gtest.h>

#include "engine/components/spreadsheet/formulas/fake_formula_context.h"
#include "engine/components/spreadsheet/formulas/formula_test_values.h"
#include "engine/components/spreadsheet/formulas/functions/criteria.h"

namespace brevant::testing {
namespace {

using formulas::Criterion;

bool matches(const Scalar &criterion, const Scalar &value) {
  return Criterion(criterion).matches(value);
}

TEST(Criteria, ComparisonsApplyToValuesOfTheCriterionsType) {
  EXPECT_TRUE(matches(std::string(">=10"), 10.0));
  EXPECT_FALSE(matches(std::string(">=10"), std::string("11")));
  EXPECT_FALSE(matches(std::string(">=10"), Blank{}));
  EXPECT_TRUE(matches(std::string("<>10"), Blank{}));
  EXPECT_TRUE(matches(std::string("<>10"), std::string("ten")));
  EXPECT_TRUE(matches(std::string(">b"), std::string("C")));
  EXPECT_FALSE(matches(std::string(">b"), 5.0));
  EXPECT_TRUE(matches(std::string("<=2024-01-31"), 45322.0));
  EXPECT_TRUE(matches(std::string("TRUE"), true));
  EXPECT_FALSE(matches(std::string("TRUE"), 1.0));
  EXPECT_TRUE(matches(std::string("#N/A"), FormulaError::NA));
  EXPECT_TRUE(matches(std::string("<>#N/A"), FormulaError::Div0));
}

TEST(Criteria, NumericEqualityAlsoMatchesTextThatReadsAsTheNumber) {
  EXPECT_TRUE(matches(1.0, std::string("1")));
  EXPECT_TRUE(matches(std::string("1"), 1.0));
  EXPECT_TRUE(matches(std::string("=1.0"), std::string(" 1 ")));
  EXPECT_FALSE(matches(0.0, Blank{}));
  // An empty criterion cell means 0.
  EXPECT_TRUE(matches(Blank{}, 0.0));
  EXPECT_FALSE(matches(Blank{}, Blank{}));
}

TEST(Criteria, EmptyCriteriaTellEmptyCellsFromEmptyTexts) {
  EXPECT_TRUE(matches(std::string(""), Blank{}));
  EXPECT_TRUE(matches(std::string(""), std::string("")));
  EXPECT_FALSE(matches(std::string(""), 0.0));
  EXPECT_TRUE(matches(std::string("="), Blank{}));
  EXPECT_FALSE(matches(std::string("="), std::string("")));
  EXPECT_TRUE(matches(std::string("<>"), std::string("")));
  EXPECT_TRUE(matches(std::string("<>"), 0.0));
  EXPECT_FALSE(matches(std::string("<>"), Blank{}));
}

TEST(Criteria, WildcardsMatchWholeTextsWithoutRegardToCase) {
  EXPECT_TRUE(matches(std::string("a*"), std::string("Apple")));
  EXPECT_FALSE(matches(std::string("a*"), std::string("banana")));
  EXPECT_TRUE(matches(std::string("?pple"), std::string("apple")));
  EXPECT_FALSE(matches(std::string("?pple"), std::string("pple")));
  EXPECT_TRUE(matches(std::string("*an*"), std::string("banana")));
  EXPECT_TRUE(matches(std::string("~*"), std::string("*")));
  EXPECT_FALSE(matches(std::string("~*"), std::string("x")));
  EXPECT_TRUE(matches(std::string("what~?"), std::string("what?")));
  EXPECT_FALSE(matches(std::string("what~?"), std::string("whats")));
  EXPECT_TRUE(matches(std::string("<>a*"), std::string("berry")));
  EXPECT_FALSE(matches(std::string("<>a*"), std::string("avocado")));
  EXPECT_FALSE(matches(std::string("1*"), 15.0)); // wildcards see texts only
  EXPECT_TRUE(matches(std::string("ÄPFEL"), std::string("äpfel")));
  EXPECT_TRUE(matches(std::string("?"), std::string("é")));
  EXPECT_TRUE(matches(std::string("*a*a*a*a*b"), std::string("aaaaaaaaaaaaaaaaab")));
}

TEST(ConditionalFunctions, SumIfSumsTheMatchingRowsOfTheSumRange) {
  FakeFormulaContext cx;
  cx.column_("A1", {std::string("apple"), std::string("pear"), std::string("Apricot"), Blank{},
                    std::string("apple")});
  cx.column_("B1", {1.0, 2.0, 4.0, 8.0, std::string("x")});
  EXPECT_TRUE(isNumber(call(cx, "SUMIF", {ref("A1:A5"), std::string("a*"), ref("B1:B5")}), 5));
  // The sum range takes the criteria range's shape from its top-left cell.
  EXPECT_TRUE(isNumber(call(cx, "SUMIF", {ref("A1:A5"), std::string("a*"), ref("B1")}), 5));
  EXPECT_TRUE(isNumber(call(cx, "SUMIF", {ref("A1:A5"), std::string(""), ref("B1:B5")}), 8));
  EXPECT_TRUE(isNumber(call(cx, "SUMIF", {ref("B1:B5"), std::string(">1")}), 14));
  EXPECT_TRUE(isNumber(call(cx, "COUNTIF", {ref("A1:A5"), std::string("<>apple")}), 3));
  EXPECT_TRUE(isNumber(call(cx, "COUNTIF", {ref("A1:A10"), std::string("")}), 6));
  EXPECT_TRUE(
      isNumber(call(cx, "AVERAGEIF", {ref("A1:A5"), std::string("*p*"), ref("B1:B5")}), 7.0 / 3));
  EXPECT_TRUE(isError(call(cx, "AVERAGEIF", {ref("A1:A5"), std::string("zz"), ref("B1:B5")}),
                      FormulaError::Div0));
}

TEST(ConditionalFunctions, IfsFunctionsNeedRangesOfOneShape) {
  FakeFormulaContext cx;
  cx.column_("A1", {std::string("east"), std::string("west"), std::string("east")});
  cx.column_("B1", {10.0, 20.0, 30.0});
  cx.column_("C1", {1.0, 2.0, 3.0});
  EXPECT_TRUE(isNumber(
      call(cx, "SUMIFS",
           {ref("C1:C3"), ref("A1:A3"), std::string("east"), ref("B1:B3"), std::string(">15")}),
      3));
  EXPECT_TRUE(isNumber(
      call(cx, "COUNTIFS", {ref("A1:A3"), std::string("east"), ref("B1:B3"), std::string("<>30")}),
      1));
  EXPECT_TRUE(isNumber(call(cx, "MAXIFS", {ref("B1:B3"), ref("A1:A3"), std::string("east")}), 30));
  EXPECT_TRUE(isNumber(call(cx, "MINIFS", {ref("B1:B3"), ref("A1:A3"), std::string("north")}), 0));
  EXPECT_TRUE(
      isNumber(call(cx, "AVERAGEIFS", {ref("B1:B3"), ref("A1:A3"), std::string("east")}), 20));
  EXPECT_TRUE(isError(call(cx, "SUMIFS", {ref("C1:C3"), ref("A1:A2"), std::string("east")}),
                      FormulaError::Value));
  // Every criterion takes empty cells: positions are counted over the whole range.
  EXPECT_TRUE(isNumber(
      call(cx, "COUNTIFS", {ref("A1:A6"), std::string("<>west"), ref("B1:B6"), std::string("")}),
      3));
}

TEST(ConditionalFunctions, AWholeColumnCostsWhatItHolds) {
  FakeFormulaContext cx;
  cx.column_("A1", {1.0, 2.0, 3.0});
  cx.reads = 0;
  EXPECT_TRUE(isNumber(call(cx, "COUNTIF", {ref("A:A"), std::string("<>2")}), kMaxRows - 1));
  EXPECT_TRUE(isNumber(call(cx, "SUMIF", {ref("A:A"), std::string(">1")}), 5));
  EXPECT_LT(cx.reads, 100);
}

} // namespace
} // namespace brevant::testing
