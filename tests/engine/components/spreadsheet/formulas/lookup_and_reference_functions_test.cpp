// Lookups (exact with wildcards, approximate by binary search), INDEX/OFFSET/INDIRECT/CHOOSE
// handing back references, SUBTOTAL and AGGREGATE with hidden rows.

#include <gtest/gtest.h>

#include "engine/components/spreadsheet/formulas/fake_formula_context.h"
#include "engine/components/spreadsheet/formulas/formula_test_values.h"

namespace brevant::testing {
namespace {

class Lookups : public ::testing::Test {
protected:
  void SetUp() override {
    cx.column_("A1", {1.0, 3.0, 5.0, 7.0, 9.0});
    cx.column_("B1", {std::string("one"), std::string("three"), std::string("five"),
                      std::string("seven"), std::string("nine")});
  }
  FakeFormulaContext cx;
};

TEST_F(Lookups, ApproximateVlookupTakesTheLastKeyNotAboveTheValue) {
  EXPECT_TRUE(isText(call(cx, "VLOOKUP", {6.0, ref("A1:B5"), 2.0}), "five"));
  EXPECT_TRUE(isText(call(cx, "VLOOKUP", {100.0, ref("A1:B5"), 2.0}), "nine"));
  EXPECT_TRUE(isError(call(cx, "VLOOKUP", {0.0, ref("A1:B5"), 2.0}), FormulaError::NA));
  EXPECT_TRUE(isError(call(cx, "VLOOKUP", {6.0, ref("A1:B5"), 2.0, false}), FormulaError::NA));
  EXPECT_TRUE(isError(call(cx, "VLOOKUP", {6.0, ref("A1:B5"), 3.0}), FormulaError::Ref));
  EXPECT_TRUE(isError(call(cx, "VLOOKUP", {6.0, ref("A1:B5"), 0.0}), FormulaError::Value));
  // A text key is not a number: exact lookup of "5" finds nothing.
  EXPECT_TRUE(
      isError(call(cx, "VLOOKUP", {std::string("5"), ref("A1:B5"), 2.0, false}), FormulaError::NA));
  // A whole column is searched over what it holds.
  EXPECT_TRUE(isText(call(cx, "VLOOKUP", {8.0, ref("A:B"), 2.0}), "seven"));
}

TEST_F(Lookups, ExactMatchesTakeWildcardsAndIgnoreCase) {
  EXPECT_TRUE(isNumber(call(cx, "MATCH", {std::string("S*"), ref("B1:B5"), 0.0}), 4));
  EXPECT_TRUE(isNumber(call(cx, "MATCH", {std::string("FIVE"), ref("B1:B5"), 0.0}), 3));
  EXPECT_TRUE(isNumber(call(cx, "MATCH", {std::string("?i?e"), ref("B1:B5"), 0.0}), 3));
  EXPECT_TRUE(isNumber(call(cx, "MATCH", {4.0, ref("A1:A5")}), 2));
  EXPECT_TRUE(isNumber(call(cx, "MATCH", {4.0, array(1, 3, {9.0, 5.0, 1.0}), -1.0}), 2));
  EXPECT_TRUE(isError(call(cx, "MATCH", {1.0, ref("A1:B5"), 0.0}), FormulaError::NA));
  // XMATCH matches exactly without wildcards unless asked.
  EXPECT_TRUE(isError(call(cx, "XMATCH", {std::string("s*"), ref("B1:B5")}), FormulaError::NA));
  EXPECT_TRUE(isNumber(call(cx, "XMATCH", {std::string("s*"), ref("B1:B5"), 2.0}), 4));
  EXPECT_TRUE(isNumber(call(cx, "XMATCH", {4.0, ref("A1:A5"), 1.0}), 3));
  EXPECT_TRUE(isNumber(call(cx, "XMATCH", {4.0, ref("A1:A5"), -1.0}), 2));
}

TEST_F(Lookups, XlookupReturnsTheMatchingRowOrTheFallback) {
  EXPECT_EQ(call(cx, "XLOOKUP", {7.0, ref("A1:A5"), ref("B1:B5")}), FormulaValue(ref("B4")));
  EXPECT_TRUE(
      isText(call(cx, "XLOOKUP", {8.0, ref("A1:A5"), ref("B1:B5"), std::string("none")}), "none"));
  EXPECT_EQ(call(cx, "XLOOKUP", {8.0, ref("A1:A5"), ref("B1:B5"), Blank{}, 1.0},
                 {false, false, false, true}),
            FormulaValue(ref("B5")));
  EXPECT_TRUE(isError(call(cx, "XLOOKUP", {8.0, ref("A1:A5"), ref("B1:B4")}), FormulaError::Value));
}

TEST_F(Lookups, IndexOffsetChooseAndIndirectGiveReferences) {
  EXPECT_EQ(call(cx, "INDEX", {ref("A1:B5"), 2.0, 2.0}), FormulaValue(ref("B2")));
  EXPECT_EQ(call(cx, "INDEX", {ref("A1:B5"), 0.0, 2.0}), FormulaValue(ref("B1:B5")));
  EXPECT_EQ(call(cx, "INDEX", {ref("A1:E1"), 3.0}), FormulaValue(ref("C1")));
  EXPECT_TRUE(isError(call(cx, "INDEX", {ref("A1:B5"), 6.0, 1.0}), FormulaError::Ref));
  EXPECT_TRUE(isNumber(call(cx, "INDEX", {array(2, 2, {1.0, 2.0, 3.0, 4.0}), 2.0, 1.0}), 3));
  EXPECT_EQ(call(cx, "OFFSET", {ref("A1"), 1.0, 1.0, 2.0, 1.0}), FormulaValue(ref("B2:B3")));
  EXPECT_EQ(call(cx, "OFFSET", {ref("A5"), 0.0, 0.0, -2.0}), FormulaValue(ref("A4:A5")));
  EXPECT_TRUE(isError(call(cx, "OFFSET", {ref("A1"), -1.0, 0.0}), FormulaError::Ref));
  EXPECT_TRUE(isError(call(cx, "OFFSET", {ref("A1"), 0.0, 0.0, 0.0}), FormulaError::Ref));
  EXPECT_EQ(call(cx, "CHOOSE", {2.0, ref("A1"), ref("A2")}), FormulaValue(ref("A2")));
  EXPECT_TRUE(isError(call(cx, "CHOOSE", {3.0, 1.0, 2.0}), FormulaError::Value));
  EXPECT_EQ(call(cx, "INDIRECT", {std::string("Sheet2!B3")}), FormulaValue(ref("B3", 1)));
  EXPECT_TRUE(isError(call(cx, "INDIRECT", {std::string("nowhere!A1")}), FormulaError::Ref));
}

TEST_F(Lookups, RowColumnAndAddress) {
  cx.row = 7;
  cx.column = 3;
  EXPECT_TRUE(isNumber(call(cx, "ROW", {}), 7));
  EXPECT_TRUE(isNumber(call(cx, "COLUMN", {ref("D2:F9")}), 4));
  EXPECT_TRUE(isNumber(call(cx, "ROWS", {ref("A:A")}), kMaxRows));
  EXPECT_TRUE(isNumber(call(cx, "COLUMNS", {array(2, 3, std::vector<Scalar>(6, 0.0))}), 3));
  EXPECT_TRUE(isText(call(cx, "ADDRESS", {2.0, 28.0}), "$AB$2"));
  EXPECT_TRUE(isText(call(cx, "ADDRESS", {2.0, 3.0, 3.0}), "$C2"));
  EXPECT_TRUE(isText(call(cx, "ADDRESS", {2.0, 3.0, 4.0, false}), "R[2]C[3]"));
  EXPECT_TRUE(isText(call(cx, "ADDRESS", {1.0, 1.0, 1.0, true, std::string("My Sheet")}),
                     "'My Sheet'!$A$1"));
  EXPECT_TRUE(isError(call(cx, "ADDRESS", {0.0, 1.0}), FormulaError::Value));
}

TEST(SubtotalFunctions, FilteredRowsAlwaysAndHiddenRowsFrom101AreLeftOut) {
  FakeFormulaContext cx;
  cx.column_("A1", {1.0, 2.0, 4.0, 8.0, 16.0});
  cx.rows[{0, 2}] = RowVisibility::Hidden;
  cx.rows[{0, 3}] = RowVisibility::Filtered;
  cx.subtotals.insert({0, 5, 1});
  EXPECT_TRUE(isNumber(call(cx, "SUBTOTAL", {9.0, ref("A1:A5")}), 11));
  EXPECT_TRUE(isNumber(call(cx, "SUBTOTAL", {109.0, ref("A1:A5")}), 9));
  EXPECT_TRUE(isNumber(call(cx, "SUBTOTAL", {103.0, ref("A1:A5")}), 2));
  EXPECT_TRUE(isError(call(cx, "SUBTOTAL", {12.0, ref("A1:A5")}), FormulaError::Value));
  EXPECT_TRUE(isError(call(cx, "SUBTOTAL", {9.0, 3.0}), FormulaError::Value));
  // AGGREGATE: option 4 ignores nothing, 5 hidden rows only, 6 errors only.
  cx.set("A6", FormulaError::Div0);
  EXPECT_TRUE(isError(call(cx, "AGGREGATE", {9.0, 4.0, ref("A1:A6")}), FormulaError::Div0));
  EXPECT_TRUE(isNumber(call(cx, "AGGREGATE", {9.0, 6.0, ref("A1:A6")}), 31));
  EXPECT_TRUE(isNumber(call(cx, "AGGREGATE", {9.0, 7.0, ref("A1:A6")}), 25));
  EXPECT_TRUE(isNumber(call(cx, "AGGREGATE", {9.0, 3.0, ref("A1:A6")}), 9));
  EXPECT_TRUE(isNumber(call(cx, "AGGREGATE", {14.0, 6.0, ref("A1:A6"), 2.0}), 8));
  EXPECT_TRUE(isNumber(call(cx, "AGGREGATE", {12.0, 6.0, ref("A1:A6")}), 4));
}

} // namespace
} // namespace brevant::testing
