// The levels of a grouped fill: which fields each group names, which level writes each field,
// the nested blocks with their range checks, and when two group values keep records together.
#include "components/spreadsheet/spreadsheet_test_support.h"
#include "engine/components/database/connection.h"
#include "engine/components/database/recordset.h"
#include "engine/components/spreadsheet/application.h"
#include "engine/components/spreadsheet/workbook.h"
#include "engine/components/spreadsheet/workbooks.h"
#include "engine/group_levels.h"

#include <gtest/gtest.h>

namespace brevant {
namespace {

class Levels : public ::testing::Test {
protected:
  void SetUp() override {
    connection.Open("Driver=SQLite3;Database=:memory:");
    records.Open("select 'r' as Region, 'c' as Customer, 'o' as Ord, 'i' as Item, 1 as Amount",
                 connection);
    const std::string path = tmp.file("t.xlsx");
    testing::runPython(tmp, "import openpyxl\nopenpyxl.Workbook().save('" + path + "')\n");
    sheet = &app.Workbooks().Open(path).Worksheets(1);
    // Region A1, customer B2, order C3, item D4, amount E4.
    for (const auto &[row, column] : {std::pair{1, 1}, {2, 2}, {3, 3}, {4, 4}, {4, 5}}) {
      FillField field;
      field.row = row;
      field.column = column;
      positions.push_back(field);
    }
    settings.targets = {"A1"};
    settings.cellCount = 1;
  }

  void group(std::vector<std::string> fields, std::string range = "") {
    const size_t g = size_t(settings.groupCount++);
    settings.groupFieldCount[g] = int16_t(fields.size());
    settings.groupFields[g] = std::move(fields);
    settings.groupRanges[g] = std::move(range);
  }

  testing::TempFolder tmp;
  Application app;
  Worksheet *sheet = nullptr;
  Connection connection;
  Recordset records;
  FunctionSettings settings;
  std::vector<FillField> positions;
};

TEST_F(Levels, EachListIsNumbersOrNamesByItsOwnFirstEntry) {
  Fields &fields = records.GetFields();
  EXPECT_EQ(groupFieldIndexes({"2", "1"}, fields, 1), (std::vector<int>{1, 0}));
  EXPECT_EQ(groupFieldIndexes({"customer", "REGION"}, fields, 2), (std::vector<int>{1, 0}));
  auto fails = [&](std::vector<std::string> entries, int group) {
    try {
      groupFieldIndexes(entries, fields, group);
    } catch (const FillError &e) {
      return std::string(e.what()) + " | " + e.detail();
    }
    return std::string("no failure");
  };
  EXPECT_EQ(fails({"6"}, 3), "Syntax error. Failed to parse group 3. | Can not find field \"6\".");
  EXPECT_EQ(fails({"0"}, 1), "Syntax error. Failed to parse group 1. | Can not find field \"0\".");
  EXPECT_EQ(fails({"Region", "Nope"}, 2),
            "Syntax error. Failed to parse group 2. | Can not find field \"Nope\".");
  EXPECT_EQ(fails({"1", "Region"}, 1).substr(0, 36), "Syntax error. Failed to parse group.");
}

TEST_F(Levels, BlocksNestFromTheInsideOutAndGroupRangesWidenThem) {
  group({"region"}, "A1:G6");
  group({"2"});
  group({"ord", "Region"}, "A3:F5");
  const auto levels = buildGroupLevels(*sheet, settings, positions, records.GetFields());
  ASSERT_EQ(levels.size(), 4u);
  // The region, named twice, is written by the outermost group; the inner group still breaks on
  // it.
  EXPECT_EQ(levels[0].fields, std::vector<int>{0});
  EXPECT_EQ(levels[2].fields, std::vector<int>{2});
  EXPECT_EQ(levels[2].breakFields, (std::vector<int>{2, 0}));
  EXPECT_EQ(levels[3].fields, (std::vector<int>{3, 4}));
  EXPECT_EQ(levels[3].block, (CellRect{4, 4, 4, 5}));
  EXPECT_EQ(levels[2].block, (CellRect{3, 1, 5, 6}));
  EXPECT_EQ(levels[1].block, (CellRect{2, 1, 5, 6})) << "the group range below, widened to B2";
  EXPECT_EQ(levels[0].block, (CellRect{1, 1, 6, 7}));
}

TEST_F(Levels, WithEveryFieldInAGroupTheInnermostGroupsCellsAreTheDetailBlock) {
  positions.resize(2);
  group({"1"});
  group({"2"});
  const auto levels = buildGroupLevels(*sheet, settings, positions, records.GetFields());
  EXPECT_TRUE(levels[2].fields.empty());
  EXPECT_EQ(levels[2].block, (CellRect{2, 2, 2, 2}));
  EXPECT_EQ(levels[0].block, (CellRect{1, 1, 2, 2}));
}

TEST(GroupValues, NullKeepsTheGroupAndNumbersCompareByValue) {
  EXPECT_TRUE(sameGroupValue(Variant{}, Variant{std::string("x")}));
  EXPECT_TRUE(sameGroupValue(Variant{int64_t(3)}, Variant{}));
  EXPECT_TRUE(sameGroupValue(Variant{int64_t(1)}, Variant{1.0}));
  EXPECT_TRUE(sameGroupValue(Variant{DecimalValue{"1.50"}}, Variant{1.5}));
  EXPECT_FALSE(sameGroupValue(Variant{std::string("a")}, Variant{std::string("A")}));
  EXPECT_FALSE(sameGroupValue(Variant{DateValue{2024, 1, 2}}, Variant{DateValue{2024, 1, 3}}));
  EXPECT_FALSE(sameGroupValue(Variant{int64_t(1)}, Variant{std::string("1")}));
}

} // namespace
} // namespace brevant
