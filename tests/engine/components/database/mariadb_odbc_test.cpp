// MariaDB through its Connector/ODBC driver, on the private server of
// tests/support/start-mariadb.sh: the same ground as the PostgreSQL tests, in MariaDB's SQL.

#include "database_test_support.h"

#include "engine/components/database/database_error.h"

#include <chrono>

namespace brevant {
namespace {

using test::env;
using test::errorOf;

bool contains(const std::string &text, const std::string &part) {
  return text.find(part) != std::string::npos;
}

class MariaDbOdbcTest : public ::testing::Test {
protected:
  void SetUp() override {
    if (env("BREVANT_MARIADB_DSN").empty())
      GTEST_SKIP() << "no MariaDB server (source tests/support/start-mariadb.sh)";
  }
  static void openDsn(Connection &c) {
    c.ConnectionString = "User ID=" + env("BREVANT_MARIADB_USER") +
                         ";Password=;Data Source=" + env("BREVANT_MARIADB_DSN");
    c.Open("", env("BREVANT_MARIADB_USER"), env("BREVANT_MARIADB_PASSWORD"));
  }
};

TEST_F(MariaDbOdbcTest, TypesAndNullsThroughADataSourceName) {
  Connection c;
  openDsn(c);
  ASSERT_EQ(c.State(), adStateOpen);
  const std::string table = "t_types_" + std::to_string(getpid());
  c.Execute("CREATE TEMPORARY TABLE " + table +
            " (n INT PRIMARY KEY, i INT, big BIGINT, price DECIMAL(12,2), d DOUBLE, "
            "name VARCHAR(30), t LONGTEXT, day DATE, at TIME(2), stamp DATETIME(6), "
            "raw VARBINARY(3))");
  c.Execute("INSERT INTO " + table +
            " VALUES (1, 42, 9000000000, 1234.50, 2.5, 'Grüße 日本 😀', 'long', '2024-03-05', "
            "'14:30:15.25', '2024-03-05 14:30:15.123456', X'00FF10'), "
            "(2, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL)");
  Recordset rs;
  rs.Open("SELECT i, big, price, d, name, t, day, at, stamp, raw FROM " + table + " ORDER BY n", c);
  Fields &f = rs.GetFields();
  ASSERT_EQ(f.Count(), 10);
  EXPECT_EQ(f.Item(0).Name(), "i");
  EXPECT_EQ(f.Item(9).Name(), "raw");
  EXPECT_EQ(f.Item(0).Value(), Variant(int64_t{42}));
  EXPECT_EQ(f.Item(1).Value(), Variant(int64_t{9000000000}));
  EXPECT_EQ(f.Item(2).Value(), Variant(DecimalValue{"1234.50"}));
  EXPECT_EQ(f.Item(3).Value(), Variant(2.5));
  EXPECT_EQ(f.Item(4).Value(), Variant(std::string("Grüße 日本 😀")));
  EXPECT_EQ(f.Item(4).Attributes() & adFldLong, 0);
  EXPECT_EQ(f.Item(5).Value(), Variant(std::string("long")));
  EXPECT_EQ(f.Item(5).Attributes() & adFldLong, adFldLong);
  EXPECT_EQ(f.Item(6).Value(), Variant(DateValue{2024, 3, 5}));
  EXPECT_EQ(f.Item(7).Value(), Variant(TimeValue{14, 30, 15, 250000000}));
  EXPECT_EQ(f.Item(8).Value(), Variant(DateTimeValue{{2024, 3, 5}, {14, 30, 15, 123456000}}));
  EXPECT_EQ(f.Item(9).Value(), Variant(BinaryValue{std::string("\x00\xff\x10", 3)}));
  rs.MoveNext();
  for (int i = 0; i < f.Count(); ++i)
    EXPECT_TRUE(isNull(f.Item(i).Value())) << "field " << i;
  rs.MoveNext();
  EXPECT_TRUE(rs.Eof());
}

TEST_F(MariaDbOdbcTest, HugeValuesArriveWholeThroughAConnectionString) {
  Connection c;
  c.Open(env("BREVANT_MARIADB_CONNSTR"));
  std::string text;
  for (int i = 0; i < 100000; ++i)
    text += static_cast<char>('a' + i % 26);
  const std::string bytes = test::binaryPattern(1 << 20);
  // A table of the values, filled from the same patterns on the server.
  const std::string table = "t_huge_" + std::to_string(getpid());
  c.Execute("CREATE TEMPORARY TABLE " + table + " (t LONGTEXT, b LONGBLOB)");
  c.Execute("INSERT INTO " + table + " SELECT REPEAT('abcdefghijklmnopqrstuvwxyz', 3847), NULL");
  c.Execute("UPDATE " + table + " SET t = LEFT(t, 100000)");
  // The bytes: i*7 + i/256, modulo 256, built 256 bytes at a time from a sequence table.
  c.Execute("SET SESSION group_concat_max_len = 4194304");
  c.Execute("UPDATE " + table +
            " SET b = (SELECT UNHEX(GROUP_CONCAT(LPAD(HEX((seq * 7 + seq DIV 256) % 256), 2, '0') "
            "ORDER BY seq SEPARATOR '')) FROM seq_0_to_1048575)");
  Recordset rs;
  rs.Open("SELECT t, b FROM " + table, c);
  Field &t = rs.GetFields().Item(0);
  Field &b = rs.GetFields().Item(1);
  EXPECT_EQ(std::get<std::string>(t.Value()).size(), text.size());
  EXPECT_TRUE(std::get<std::string>(t.Value()) == text);
  EXPECT_TRUE(test::readLong(t) == text);
  EXPECT_EQ(std::get<BinaryValue>(b.Value()).bytes.size(), bytes.size());
  EXPECT_TRUE(std::get<BinaryValue>(b.Value()).bytes == bytes);
}

TEST_F(MariaDbOdbcTest, ExecuteChangesTheDatabaseAndDiscardsRows) {
  Connection c;
  openDsn(c);
  const std::string table = "t_exec_" + std::to_string(getpid());
  c.Execute("CREATE TEMPORARY TABLE " + table + " (a int)");
  c.Execute("INSERT INTO " + table + " SELECT seq FROM seq_1_to_10");
  c.Execute("SELECT * FROM " + table);
  Recordset rs;
  rs.Open("SELECT sum(a) FROM " + table, c);
  EXPECT_EQ(rs.GetFields().Item(0).Value(), Variant(DecimalValue{"55"}));
  EXPECT_EQ(test::countRecords(rs), 1);
  rs.Close();
  rs.Open("UPDATE " + table + " SET a = 0 WHERE a > 100", c);
  EXPECT_TRUE(rs.Eof());
}

TEST_F(MariaDbOdbcTest, FailuresCarryTheServersMessageAndTheProcessGoesOn) {
  Connection wrongPassword;
  std::string message = errorOf([&] {
    wrongPassword.ConnectionString = "User ID=" + env("BREVANT_MARIADB_USER") +
                                     ";Password=wrong;Data Source=" + env("BREVANT_MARIADB_DSN");
    wrongPassword.Open();
  });
  EXPECT_TRUE(contains(message, "Access denied for user 'brevant'")) << message;
  EXPECT_EQ(wrongPassword.State(), adStateClosed);

  Connection down;
  down.ConnectionTimeout = 5;
  message = errorOf([&] {
    down.Open("Driver={MariaDB Unicode};Server=127.0.0.1;Port=1;Database=x;UID=a;PWD=b");
  });
  EXPECT_TRUE(contains(message, "Can't connect to server on '127.0.0.1'")) << message;

  Connection c;
  openDsn(c);
  Recordset rs;
  message = errorOf([&] { rs.Open("SELEC 1", c); });
  EXPECT_TRUE(contains(message, "You have an error in your SQL syntax")) << message;
  message = errorOf([&] { c.Execute("INSERT INTO no_such_table VALUES (1)"); });
  EXPECT_TRUE(contains(message, "Table 'brevant_test.no_such_table' doesn't exist")) << message;

  rs.Open("SELECT 'still here'", c);
  EXPECT_EQ(rs.GetFields().Item(0).Value(), Variant(std::string("still here")));
}

// The driver does not keep the query time-out it is given; the statement is cancelled anyway.
TEST_F(MariaDbOdbcTest, CommandTimeoutCancelsTheStatement) {
  Connection c;
  c.CommandTimeout = 1;
  openDsn(c);
  Recordset rs;
  const auto start = std::chrono::steady_clock::now();
  const std::string message = errorOf([&] { rs.Open("SELECT SLEEP(30)", c); });
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
  EXPECT_TRUE(contains(message, "cancelled after the command time-out of 1 s")) << message;
  EXPECT_TRUE(contains(message, "Query execution was interrupted")) << message;
  // The connection goes on, and a quick statement is not touched by the watch.
  rs.Open("SELECT 1", c);
  EXPECT_FALSE(rs.Eof());
  rs.Close();
  c.CommandTimeout = 0;
  rs.Open("SELECT SLEEP(1.5)", c);
  EXPECT_EQ(rs.GetFields().Item(0).Value(), Variant(int64_t{0})) << "no limit: the sleep ends";
}

} // namespace
} // namespace brevant
