// How references in formula text follow inserted and deleted rows and columns, and copies.

#include <gtest/gtest.h>

#include "engine/components/spreadsheet/formulas/reference_shifter.h"

namespace brevant {
namespace {

std::string shifted(std::string f, const SheetShift &s, std::string host = "Data",
                    std::string target = "Data") {
  shiftFormula(f, host, target, s);
  return f;
}

TEST(ReferenceShifter, InsertedRowsGrowSpanningRangesAndMoveThoseBelow) {
  auto s = SheetShift::rows(6, 2);
  EXPECT_EQ(shifted("SUM(A5:A6)", s), "SUM(A5:A8)");
  EXPECT_EQ(shifted("SUM($A$5:$A$6)", s), "SUM($A$5:$A$8)");
  EXPECT_EQ(shifted("A4+B5", s), "A4+B5");
  EXPECT_EQ(shifted("A6*$B$10", s), "A8*$B$12");
  EXPECT_EQ(shifted("SUM(A1:A5)", s), "SUM(A1:A5)"); // ends above the insertion
  EXPECT_EQ(shifted("SUM(6:7)+SUM(B:B)", s), "SUM(8:9)+SUM(B:B)");
}

TEST(ReferenceShifter, DeletedCellsShrinkRangesOrBecomeRefErrors) {
  auto s = SheetShift::rows(5, -2); // rows 5 and 6
  EXPECT_EQ(shifted("A5", s), "#REF!");
  EXPECT_EQ(shifted("SUM(A5:B6)", s), "SUM(#REF!)");
  EXPECT_EQ(shifted("SUM(A3:A10)", s), "SUM(A3:A8)");
  EXPECT_EQ(shifted("SUM(A6:A9)", s), "SUM(A5:A7)");
  EXPECT_EQ(shifted("SUM(A2:A5)", s), "SUM(A2:A4)");
  EXPECT_EQ(shifted("A7+A4", s), "A5+A4");
  EXPECT_EQ(shifted("Data!A5", s, "Other"), "Data!#REF!");
}

TEST(ReferenceShifter, OnlyReferencesToTheChangedSheetMove) {
  auto s = SheetShift::rows(2, 1);
  EXPECT_EQ(shifted("A2+Other!A2+'My Data'!B3", s, "Data", "My Data"), "A2+Other!A2+'My Data'!B4");
  EXPECT_EQ(shifted("'it''s'!A2", s, "Data", "it's"), "'it''s'!A3");
  EXPECT_EQ(shifted("A2", s, "Other", "Data"), "A2");
  EXPECT_EQ(shifted("Data!A2", s, "", "Data"), "Data!A3"); // a defined name or chart series
  EXPECT_EQ(shifted("A2", s, "", "Data"), "A2");
  EXPECT_EQ(shifted("SUM(Jan:Dec!A2)", s, "Data", "Jan"), "SUM(Jan:Dec!A2)");
  EXPECT_EQ(shifted("[1]Data!A2", s), "[1]Data!A2"); // another workbook
}

TEST(ReferenceShifter, TextNamesFunctionsAndNumbersAreNotReferences) {
  auto s = SheetShift::rows(1, 1);
  EXPECT_EQ(shifted("\"A1\"&LOG10(A1)&Total_A1&1E5&1.5", s), "\"A1\"&LOG10(A2)&Total_A1&1E5&1.5");
  EXPECT_EQ(shifted("Sales[[#This Row],[A1]]+A1", s), "Sales[[#This Row],[A1]]+A2");
  EXPECT_EQ(shifted("IF(#REF!,A1,TRUE)", s), "IF(#REF!,A2,TRUE)");
  EXPECT_EQ(shifted("_xlfn.STDEV.S(A1:A3)", s), "_xlfn.STDEV.S(A2:A4)");
}

TEST(ReferenceShifter, ColumnsAndBandsMoveOnlyWhatLiesInside) {
  EXPECT_EQ(shifted("SUM(B1:D1)+E:E+2:2", SheetShift::cols(3, 2)), "SUM(B1:F1)+G:G+2:2");
  EXPECT_EQ(shifted("C1+$C$1", SheetShift::cols(3, -1)), "#REF!+#REF!");
  // Cells B5:C5 deleted, the cells below them moving up: only ranges within B:C follow.
  SheetShift band{false, 5, -1, 2, 3};
  EXPECT_EQ(shifted("B9+SUM(B6:C8)+SUM(A6:C8)+D9", band), "B8+SUM(B5:C7)+SUM(A6:C8)+D9");
}

TEST(ReferenceShifter, CopiesMoveRelativePartsOnly) {
  EXPECT_EQ(moveFormula("A1+$A1+A$1+$A$1", 2, 1), "B3+$A3+B$1+$A$1");
  EXPECT_EQ(moveFormula("SUM(B:B)+SUM(3:3)+Other!C4", 1, 1), "SUM(C:C)+SUM(4:4)+Other!D5");
  EXPECT_EQ(moveFormula("A1+B2", -1, 0), "#REF!+B1");
  EXPECT_EQ(moveFormula("\"B2\"", 5, 5), "\"B2\"");
}

TEST(ReferenceShifter, ACopierFindingReferencesOnceWritesWhatEachMoveWould) {
  const char *formulas[] = {"A1+$A1+A$1+$A$1",
                            "SUM(B:B)+SUM(3:3)+Other!C4+'My Sheet'!$D5:E$9",
                            "\"B2\"&LOG10(C3)&x1",
                            "[1]Book!A1+A1",
                            "Sheet1:Sheet3!B2+#REF!+A1048576",
                            "IF(TRUE,1.5E+3,XFD1)",
                            "no references at all",
                            ""};
  const std::pair<int32_t, int32_t> moves[] = {{0, 0}, {1, 0}, {0, 1}, {-1, -1}, {999999, 3}};
  for (const char *formula : formulas) {
    const FormulaCopier copier(formula);
    for (auto [rows, columns] : moves)
      EXPECT_EQ(copier.moved(rows, columns), moveFormula(formula, rows, columns))
          << formula << " moved " << rows << ", " << columns;
  }
}

TEST(ReferenceShifter, ReachNamesTheLastRowAndOtherSheets) {
  auto r = formulaReach("SUM(A2:B9)+Other!Z100+C3", "Data");
  EXPECT_EQ(r.maxRow, 9);
  EXPECT_TRUE(r.otherSheets);
  EXPECT_EQ(formulaReach("SUM(A:A)", "Data").maxRow, 0);
}

TEST(ReferenceShifter, IntervalsAtTheEdgeOfTheSheet) {
  int32_t a = kMaxRows, b = kMaxRows;
  EXPECT_EQ(shiftInterval(a, b, SheetShift::rows(5, 1)), ShiftOutcome::Deleted);
  a = 3;
  b = kMaxRows;
  EXPECT_EQ(shiftInterval(a, b, SheetShift::rows(5, 10)), ShiftOutcome::Changed);
  EXPECT_EQ(b, kMaxRows);
}

} // namespace
} // namespace brevant
