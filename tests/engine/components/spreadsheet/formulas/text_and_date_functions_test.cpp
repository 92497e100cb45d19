// Text functions (UTF-16 lengths, Windows-1252 CHAR/CODE, TEXT through the number formats) and
// date functions around the 1900 system's phantom leap day.

#include <gtest/gtest.h>

#include "engine/components/spreadsheet/formulas/fake_formula_context.h"
#include "engine/components/spreadsheet/formulas/formula_test_values.h"

namespace brevant::testing {
namespace {

TEST(TextFunctions, LengthsAndPositionsCountUtf16Units) {
  FakeFormulaContext cx;
  EXPECT_TRUE(isNumber(call(cx, "LEN", {std::string("straße")}), 6));
  EXPECT_TRUE(isNumber(call(cx, "LEN", {std::string("😀a")}), 3));
  EXPECT_TRUE(isText(call(cx, "MID", {std::string("ÄÖÜ straße"), 5.0, 3.0}), "str"));
  EXPECT_TRUE(isText(call(cx, "LEFT", {std::string("héllo"), 2.0}), "hé"));
  EXPECT_TRUE(isText(call(cx, "RIGHT", {std::string("héllo")}), "o"));
  EXPECT_TRUE(isError(call(cx, "LEFT", {std::string("x"), -1.0}), FormulaError::Value));
  EXPECT_TRUE(isError(call(cx, "MID", {std::string("x"), 0.0, 1.0}), FormulaError::Value));
  EXPECT_TRUE(isText(call(cx, "MID", {std::string("abc"), 5.0, 1.0}), ""));
  EXPECT_TRUE(isNumber(call(cx, "FIND", {std::string("ß"), std::string("straße")}), 5));
  EXPECT_TRUE(
      isText(call(cx, "REPLACE", {std::string("abcdef"), 2.0, 3.0, std::string("X")}), "aXef"));
}

TEST(TextFunctions, FindIsExactSearchTakesWildcards) {
  FakeFormulaContext cx;
  EXPECT_TRUE(
      isError(call(cx, "FIND", {std::string("O"), std::string("Hello")}), FormulaError::Value));
  EXPECT_TRUE(isNumber(call(cx, "SEARCH", {std::string("O"), std::string("Hello")}), 5));
  EXPECT_TRUE(isNumber(call(cx, "SEARCH", {std::string("l?o"), std::string("Hello")}), 3));
  EXPECT_TRUE(isNumber(call(cx, "SEARCH", {std::string("~?"), std::string("a?b")}), 2));
  EXPECT_TRUE(isNumber(call(cx, "FIND", {std::string(""), std::string("abc"), 3.0}), 3));
  EXPECT_TRUE(
      isError(call(cx, "FIND", {std::string("a"), std::string("abc"), 5.0}), FormulaError::Value));
}

TEST(TextFunctions, CaseTrimSubstituteAndRepeat) {
  FakeFormulaContext cx;
  EXPECT_TRUE(
      isText(call(cx, "PROPER", {std::string("o'neil mc-donald 2nd")}), "O'Neil Mc-Donald 2Nd"));
  EXPECT_TRUE(isText(call(cx, "UPPER", {std::string("straße äö")}), "STRAßE ÄÖ"));
  EXPECT_TRUE(isText(call(cx, "TRIM", {std::string("  a   b  ")}), "a b"));
  EXPECT_TRUE(isText(
      call(cx, "SUBSTITUTE", {std::string("banana"), std::string("a"), std::string("o"), 2.0}),
      "banona"));
  EXPECT_TRUE(isText(
      call(cx, "SUBSTITUTE", {std::string("aaa"), std::string("aa"), std::string("b")}), "ba"));
  EXPECT_TRUE(isError(call(cx, "REPT", {std::string("ab"), 20000.0}), FormulaError::Value));
  EXPECT_TRUE(isText(call(cx, "REPT", {std::string("ab"), 2.9}), "abab"));
  EXPECT_TRUE(isText(call(cx, "CONCATENATE", {1.5, true, Blank{}, std::string("x")}), "1.5TRUEx"));
  cx.column_("A1", {1.0, Blank{}, std::string("c")});
  EXPECT_TRUE(isText(call(cx, "TEXTJOIN", {std::string(","), false, ref("A1:A3")}), "1,,c"));
  EXPECT_TRUE(isText(call(cx, "TEXTJOIN", {std::string(","), true, ref("A1:A3")}), "1,c"));
  EXPECT_TRUE(isText(call(cx, "CONCAT", {ref("A1:A3"), 2.0}), "1c2"));
}

TEST(TextFunctions, CharAndCodeUseWindows1252) {
  FakeFormulaContext cx;
  EXPECT_TRUE(isText(call(cx, "CHAR", {128.0}), "€"));
  EXPECT_TRUE(isText(call(cx, "CHAR", {233.0}), "é"));
  EXPECT_TRUE(isError(call(cx, "CHAR", {256.0}), FormulaError::Value));
  EXPECT_TRUE(isNumber(call(cx, "CODE", {std::string("€uro")}), 128));
  EXPECT_TRUE(isNumber(call(cx, "CODE", {std::string("Ω")}), 63));
  EXPECT_TRUE(isError(call(cx, "CODE", {std::string("")}), FormulaError::Value));
}

TEST(TextFunctions, TextValueAndFixed) {
  FakeFormulaContext cx;
  EXPECT_TRUE(isText(call(cx, "TEXT", {1234.567, std::string("#,##0.00")}), "1,234.57"));
  EXPECT_TRUE(isText(call(cx, "TEXT", {45366.0, std::string("yyyy-mm-dd")}), "2024-03-15"));
  EXPECT_TRUE(isText(call(cx, "TEXT", {std::string("12"), std::string("0.0")}), "12.0"));
  EXPECT_TRUE(isText(call(cx, "TEXT", {std::string("abc"), std::string("0.0")}), "abc"));
  EXPECT_TRUE(isNumber(call(cx, "VALUE", {std::string("$1,000")}), 1000));
  EXPECT_TRUE(isError(call(cx, "VALUE", {true}), FormulaError::Value));
  EXPECT_TRUE(isText(call(cx, "FIXED", {1234.567}), "1,234.57"));
  EXPECT_TRUE(isText(call(cx, "FIXED", {-1234.567, -2.0, true}), "-1200"));
  EXPECT_TRUE(isText(call(cx, "FIXED", {2.675, 2.0}), "2.68"));
  EXPECT_TRUE(isBool(call(cx, "EXACT", {std::string("a"), std::string("A")}), false));
}

TEST(DateFunctions, ThePhantomLeapDayOf1900) {
  FakeFormulaContext cx;
  EXPECT_TRUE(isNumber(call(cx, "DATE", {1900.0, 2.0, 29.0}), 60));
  EXPECT_TRUE(isNumber(call(cx, "DATE", {1900.0, 3.0, 1.0}), 61));
  EXPECT_TRUE(isNumber(call(cx, "DATE", {2024.0, 1.0, 15.0}), 45306));
  EXPECT_TRUE(isNumber(call(cx, "DATE", {2024.0, 14.0, 0.0}), 45688)); // 2025-01-31
  EXPECT_TRUE(isNumber(call(cx, "DATE", {99.0, 1.0, 1.0}), 36161));    // 1999
  EXPECT_TRUE(isError(call(cx, "DATE", {10000.0, 1.0, 1.0}), FormulaError::Num));
  EXPECT_TRUE(isNumber(call(cx, "DAY", {60.0}), 29));
  EXPECT_TRUE(isNumber(call(cx, "MONTH", {60.0}), 2));
  EXPECT_TRUE(isNumber(call(cx, "DAY", {0.0}), 0));
  EXPECT_TRUE(isNumber(call(cx, "WEEKDAY", {1.0}), 1)); // counted as a Sunday
  EXPECT_TRUE(isNumber(call(cx, "WEEKDAY", {45366.0, 2.0}), 5));
  EXPECT_TRUE(isError(call(cx, "YEAR", {-1.0}), FormulaError::Num));
  cx.use1904 = true;
  EXPECT_TRUE(isNumber(call(cx, "DATE", {1904.0, 1.0, 2.0}), 1));
  EXPECT_TRUE(isNumber(call(cx, "WEEKDAY", {0.0}), 6)); // 1 January 1904 was a Friday
}

TEST(DateFunctions, MonthArithmeticAndDifferences) {
  FakeFormulaContext cx;
  double jan31 = 45322;                                             // 2024-01-31
  EXPECT_TRUE(isNumber(call(cx, "EDATE", {jan31, 1.0}), 45351));    // 2024-02-29
  EXPECT_TRUE(isNumber(call(cx, "EOMONTH", {jan31, -1.0}), 45291)); // 2023-12-31
  EXPECT_TRUE(isNumber(call(cx, "DATEDIF", {44985.0, 45351.0, std::string("Y")}), 1));
  EXPECT_TRUE(isError(call(cx, "DATEDIF", {2.0, 1.0, std::string("d")}), FormulaError::Num));
  EXPECT_TRUE(isNumber(call(cx, "YEARFRAC", {45322.0, 45351.0, 0.0}), 29.0 / 360));
  EXPECT_TRUE(isNumber(call(cx, "YEARFRAC", {45292.0, 45658.0, 1.0}), 1));
  EXPECT_TRUE(isNumber(call(cx, "NETWORKDAYS", {45292.0, 45322.0}), 23));
  cx.column_("A1", {45292.0, 45306.0});
  EXPECT_TRUE(isNumber(call(cx, "NETWORKDAYS", {45292.0, 45322.0, ref("A1:A2")}), 21));
  EXPECT_TRUE(isNumber(call(cx, "NETWORKDAYS", {45322.0, 45292.0}), -23));
  EXPECT_TRUE(isNumber(call(cx, "WORKDAY", {45366.0, 1.0}), 45369)); // Friday to Monday
  EXPECT_TRUE(isNumber(call(cx, "WORKDAY", {45369.0, -1.0}), 45366));
  EXPECT_TRUE(isNumber(call(cx, "WEEKNUM", {45292.0, 21.0}), 1));
  EXPECT_TRUE(isNumber(call(cx, "WEEKNUM", {45657.0, 21.0}), 1)); // 2024-12-31: ISO week 1
  EXPECT_TRUE(isNumber(call(cx, "TODAY", {}), 45000));
  EXPECT_TRUE(isNumber(call(cx, "MINUTE", {std::string("6:30 PM")}), 30));
}

} // namespace
} // namespace brevant::testing
