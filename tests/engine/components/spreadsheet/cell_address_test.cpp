#include "engine/components/spreadsheet/cells/cell_address.h"

#include <gtest/gtest.h>

namespace brevant {
namespace {

TEST(CellAddress, ColumnLettersRoundTripAtTheEdges) {
  for (int32_t c : {1, 26, 27, 52, 702, 703, 16384}) {
    auto back = columnNumber(columnName(c));
    ASSERT_TRUE(back) << c;
    EXPECT_EQ(*back, c);
  }
  EXPECT_EQ(columnName(28), "AB");
  EXPECT_EQ(columnNumber("xfd"), 16384);
  EXPECT_FALSE(columnNumber("XFE"));
  EXPECT_FALSE(columnNumber("ABCD"));
}

TEST(CellAddress, ParsesCellsRectanglesRowsAndColumns) {
  EXPECT_EQ(parseReference("B3"), (CellRect{3, 2, 3, 2}));
  EXPECT_EQ(parseReference(" $B$3:F4 "), (CellRect{3, 2, 4, 6}));
  EXPECT_EQ(parseReference("F4:B3"), (CellRect{3, 2, 4, 6})); // corners in any order
  EXPECT_EQ(parseReference("$E:$E"), (CellRect{1, 5, kMaxRows, 5}));
  EXPECT_EQ(parseReference("5:7"), (CellRect{5, 1, 7, kMaxColumns}));
  EXPECT_EQ(parseReference("$E:$E:$M:$M"), (CellRect{1, 5, kMaxRows, 13}));
  EXPECT_EQ(parseReference("A1:B2:C3"), (CellRect{1, 1, 3, 3}));
}

TEST(CellAddress, RefusesWhatTheSpreadsheetRefuses) {
  for (const char *bad : {"", "E", "5", "A0", "A1048577", "XFE1", "A1:", ":A1", "A:1", "A1:C",
                          "$$A1", "A$", "A1,B2", "Sheet1", "1A"})
    EXPECT_FALSE(parseReference(bad)) << bad;
}

TEST(CellAddress, SplitsSheetNamesIncludingQuotedOnes) {
  auto q = splitSheetName("'My ''data'''!$A$1:$B$2");
  ASSERT_TRUE(q);
  EXPECT_EQ(q->sheetName, "My 'data'");
  EXPECT_EQ(q->reference, "$A$1:$B$2");
  auto plain = splitSheetName("Sheet1!A1");
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->sheetName, "Sheet1");
  EXPECT_FALSE(splitSheetName("'unclosed!A1"));
  EXPECT_TRUE(splitSheetName("A1")->sheetName.empty());
}

TEST(CellAddress, FormatsAddressesAsTheSpreadsheetDoes) {
  EXPECT_EQ(formatAddress({3, 2, 4, 6}, false, false), "B3:F4");
  EXPECT_EQ(formatAddress({3, 2, 4, 6}), "$B$3:$F$4");
  EXPECT_EQ(formatAddress({3, 2, 3, 2}), "$B$3");
  EXPECT_EQ(formatAddress({1, 5, kMaxRows, 5}), "$E:$E");
  EXPECT_EQ(formatAddress({1, 5, kMaxRows, 13}, false, false), "E:M");
  EXPECT_EQ(formatAddress({5, 1, 7, kMaxColumns}), "$5:$7");
  EXPECT_EQ(quoteSheetName("Sheet1"), "Sheet1");
  EXPECT_EQ(quoteSheetName("My data"), "'My data'");
  EXPECT_EQ(quoteSheetName("O'Neil"), "'O''Neil'");
  EXPECT_EQ(quoteSheetName("A1"), "'A1'");
}

} // namespace
} // namespace brevant
