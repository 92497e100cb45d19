// The same SQLite file read natively and through the SQLite ODBC driver gives the same values.

#include "database_test_support.h"

namespace brevant {
namespace {

using test::TempFolder;

std::string sqliteOdbcDriver() {
  std::string path = test::env("BREVANT_SQLITE_ODBC_DRIVER");
  if (path.empty())
    path = "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";
  return std::filesystem::exists(path) ? path : "";
}

class SqliteOdbcTest : public ::testing::Test {
protected:
  void SetUp() override {
    driver = sqliteOdbcDriver();
    if (driver.empty())
      GTEST_SKIP() << "the SQLite ODBC driver is not installed";
    db = folder.file("sales.db");
    test::sqliteExec(db, R"(
      CREATE TABLE sales (id INTEGER, region VARCHAR(20), amount REAL, sold DATE,
                          at_time TIME, stamp TIMESTAMP, note TEXT, photo BLOB);
      INSERT INTO sales VALUES (1, 'Grüße 日本 😀', 12.5, '2024-03-05', '14:30:15',
                                '2024-03-05 14:30:15', 'first', x'00FF10');
      INSERT INTO sales VALUES (2, NULL, NULL, NULL, NULL, NULL, NULL, NULL);
    )");
  }

  // Every field of every record, read the way a fill reads them.
  std::vector<Variant> readAll(const std::string &connectionString) {
    Connection c;
    c.BaseFolder = folder.path().string();
    c.Open(connectionString);
    Recordset rs;
    rs.Open("SELECT id, region, amount, sold, at_time, stamp, note, photo FROM sales "
            "ORDER BY id",
            c);
    std::vector<Variant> values;
    for (; !rs.Eof(); rs.MoveNext())
      for (int i = 0; i < rs.GetFields().Count(); ++i)
        values.push_back(rs.GetFields().Item(i).Value());
    return values;
  }

  TempFolder folder;
  std::string db, driver;
};

TEST_F(SqliteOdbcTest, DriverAndEmbeddedSqliteGiveTheSameValues) {
  std::vector<Variant> native = readAll("Driver=SQLite3;Database=sales.db");
  std::vector<Variant> odbc = readAll("Driver=" + driver + ";Database=" + db);
  ASSERT_EQ(native.size(), 16u);
  ASSERT_EQ(odbc.size(), native.size());
  EXPECT_EQ(native[1], Variant(std::string("Grüße 日本 😀")));
  EXPECT_EQ(native[3], Variant(DateValue{2024, 3, 5}));
  for (size_t i = 0; i < native.size(); ++i)
    EXPECT_EQ(odbc[i].index(), native[i].index()) << "value " << i;
  // Numbers may differ in width (REAL as float), everything else is equal.
  EXPECT_EQ(odbc[0], native[0]);
  EXPECT_EQ(odbc[1], native[1]);
  for (size_t i = 3; i < native.size(); ++i)
    EXPECT_EQ(odbc[i], native[i]) << "value " << i;
}

TEST_F(SqliteOdbcTest, DataSourceNameReachesTheDriver) {
  if (test::env("ODBCINI").empty())
    GTEST_SKIP() << "no private odbc.ini (source tests/support/start-postgres.sh)";
  std::vector<Variant> values = readAll("DSN=BrevantSqlite;Database=" + db);
  ASSERT_EQ(values.size(), 16u);
  EXPECT_EQ(values[0], Variant(int64_t{1}));
  EXPECT_EQ(values[5], Variant(DateTimeValue{{2024, 3, 5}, {14, 30, 15, 0}}));
}

} // namespace
} // namespace brevant
