// The fills' shared set-up on a real record set: the count, the image list, the template folder.
#include "engine/components/database/connection.h"
#include "engine/components/database/recordset.h"
#include "engine/record_count.h"
#include "engine/report_fill.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brevant {
namespace {

class Records : public ::testing::Test {
protected:
  void SetUp() override {
    connection.Open("Driver=SQLite3;Database=:memory:");
    records.Open("select 1 as Id, 'a' as Name, 'p.png' as Picture union all select 2, 'b', "
                 "null union all select 3, 'c', 'q.png' order by 1",
                 connection);
  }
  Connection connection;
  Recordset records;
};

TEST_F(Records, CountingStepsThroughAndReturnsToTheFirstRecord) {
  EXPECT_EQ(GetRecordCount(records), 3);
  ASSERT_FALSE(records.Eof());
  EXPECT_EQ(std::get<int64_t>(records.GetFields().Item(0).Value()), 1);
  Recordset empty;
  empty.Open("select 1 where 0", connection);
  EXPECT_EQ(GetRecordCount(empty), 0);
  EXPECT_TRUE(empty.Eof());
}

TEST_F(Records, ImagesByNumberAndByNameSelectTheSameField) {
  Fields &fields = records.GetFields();
  EXPECT_EQ(imageFieldIndexes({"3"}, fields), std::vector<int>{2});
  EXPECT_EQ(imageFieldIndexes({"pICTURE"}, fields), std::vector<int>{2});
  EXPECT_EQ(imageFieldIndexes({"3", "1"}, fields), (std::vector<int>{2, 0}));
}

TEST(TemplateFolder, IsTheTemplatesOwnFolder) {
  EXPECT_EQ(imageFolderOf("/srv/reports/t.xlsx").folder, "/srv/reports");
  EXPECT_FALSE(imageFolderOf("/srv/reports/t.xlsx").network);
  EXPECT_EQ(imageFolderOf("/t.xlsx").folder, "/");
  const ImageFolder network = imageFolderOf("//server/share/t.xlsx");
  EXPECT_TRUE(network.network);
  EXPECT_EQ(network.folder, "//server/share");
}

} // namespace
} // namespace brevant
