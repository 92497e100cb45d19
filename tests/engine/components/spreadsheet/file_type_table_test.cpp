#include "engine/components/spreadsheet/file_type_table.h"

#include <gtest/gtest.h>

#include "engine/components/spreadsheet/file_formats.h"

namespace brevant {
namespace {

TEST(FileTypeTable, SkipsCommentsAndShortLinesAndKeepsOrder) {
  auto table = parseFileTypeTable("; comment\tx\ty\tz\n"
                                  "XLSX\t51\tExcel Workbook\txlsx\r\n"
                                  "short\t1\tonly three\n"
                                  "Odd\tabc\tNot numeric\tx\textra\tcolumns\n"
                                  "csv\t6\tCSV\tcsv\n");
  ASSERT_EQ(table.size(), 3u);
  EXPECT_EQ(table[0].typeName, "XLSX");
  EXPECT_EQ(table[0].extensions, "xlsx");
  EXPECT_EQ(table[1].formatCode, 0); // not numeric
  EXPECT_EQ(table[2].formatCode, 6);
}

TEST(FileTypeTable, FindsByCodeThenByNameWithoutCase) {
  auto table = parseFileTypeTable("A\t6\tfirst\tcsv\nB\t6\tsecond\tcsv\nTxt\t-4158\tt\ttxt\n");
  EXPECT_EQ(findFileType(table, "6"), 0);
  EXPECT_EQ(findFileType(table, " -4158 "), 2);
  EXPECT_EQ(findFileType(table, "b"), 1);
  EXPECT_EQ(findFileType(table, "TXT"), 2);
  EXPECT_EQ(findFileType(table, ""), -1);
  EXPECT_EQ(findFileType(table, "51"), -1);
  EXPECT_EQ(findFileType(table, "unknown"), -1);
}

TEST(FileTypeTable, IntegerValueIsAWholeNumberInRangeOrNothing) {
  EXPECT_EQ(integerValue("51"), 51);
  EXPECT_EQ(integerValue(" -4158 "), -4158);
  EXPECT_EQ(integerValue("6.0"), 6);
  EXPECT_EQ(integerValue("2.5"), 2); // halves to even
  EXPECT_EQ(integerValue("3.5"), 4);
  EXPECT_EQ(integerValue("1e2"), 100);
  EXPECT_EQ(integerValue("-2147483648"), INT32_MIN);
  for (const char *text : {"", "  ", "abc", "12abc", "0x10", "2147483648", "1e10", "1e999", "-"})
    EXPECT_EQ(integerValue(text), std::nullopt) << text;
}

TEST(FileTypeTable, KeepsAtMost257Rows) {
  std::string text;
  for (int i = 0; i < 300; ++i)
    text += "T" + std::to_string(i) + "\t" + std::to_string(i) + "\td\tx\n";
  auto table = parseFileTypeTable(text);
  EXPECT_EQ(table.size(), kMaxFileTypes);
  EXPECT_EQ(findFileType(table, "260"), -1);
}

TEST(FileTypeTable, ShippedTableListsTheWrittenFormatsFirst) {
  auto table = loadFileTypeTable(std::string(BREVANT_SOURCE_DIR) + "/resources/kvdconv.cfg");
  ASSERT_GE(table.size(), 15u);
  size_t i = 0;
  for (; i < table.size() && saveFormat(table[i].formatCode); ++i) {
  }
  for (size_t k = i; k < table.size(); ++k)
    EXPECT_FALSE(saveFormat(table[k].formatCode)) << table[k].typeName;
  EXPECT_GE(findFileType(table, "xlsx"), 0);
  EXPECT_GE(findFileType(table, "56"), 0);
  EXPECT_TRUE(loadFileTypeTable("/nonexistent/kvdconv.cfg").empty());
}

} // namespace
} // namespace brevant
