// The database servers through their ODBC drivers, on the private servers of
// tests/support/start-postgres.sh and start-mariadb.sh: the same cases on both, each in the
// server's own SQL and with the server's own messages. A server that is not there is skipped.

#include "database_test_support.h"

#include "engine/components/database/database_error.h"

#include <chrono>
#include <vector>

namespace brevant {
namespace {

using test::env;
using test::errorOf;

bool contains(const std::string &text, const std::string &part) {
  return text.find(part) != std::string::npos;
}

// What differs between the servers. In the SQL, %T% stands for a table of the test's own.
struct OdbcServer {
  const char *name;
  const char *prefix; // of the variables its starter exports

  // Statements run first, then the query: a row of every kind of value and a row of Nulls.
  std::vector<std::string> typesSetup;
  std::string typesQuery;
  std::vector<std::string> typesNames; // of the first and the last field
  std::vector<Variant> typesRow;

  // 100,000 letters a-z repeating and 1 MiB of bytes (i * 7 + i / 256) mod 256, made on the server.
  std::vector<std::string> hugeSetup;
  std::string hugeQuery;

  std::string fillTenRows; // into %T% (a int): the numbers 1 to 10
  Variant sumOfTen;

  std::string refusedConnection; // a connection string to a port where nothing listens
  std::string wrongPassword, refused, syntaxError, noSuchTable; // parts of the messages

  std::string sleep30;
  std::vector<std::string> timedOut; // parts of the message of a cancelled statement
  std::string sleepBriefly;          // a second and a half, answering 0

  // The timestamp 1899-12-31 10:00:00.5 and the date 1900-01-01.
  std::string earlyDates;
};

const OdbcServer kServers[] = {
    {"PostgreSQL",
     "BREVANT_PG",
     {},
     R"(SELECT 42::int AS i, 9000000000::bigint AS big, 1234.50::numeric(12,2) AS price,
               2.5::float8 AS d, 'Grüße 日本 😀'::varchar(30) AS name, 'long'::text AS t,
               DATE '2024-03-05' AS day, TIME '14:30:15.25' AS at,
               TIMESTAMP '2024-03-05 14:30:15.123456' AS stamp, true AS yes,
               '\x00ff10'::bytea AS raw
        UNION ALL
        SELECT NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL)",
     {"i", "raw"},
     {int64_t{42}, int64_t{9000000000}, DecimalValue{"1234.50"}, 2.5, std::string("Grüße 日本 😀"),
      std::string("long"), DateValue{2024, 3, 5}, TimeValue{14, 30, 15, 250000000},
      DateTimeValue{{2024, 3, 5}, {14, 30, 15, 123456000}}, true,
      BinaryValue{std::string("\x00\xff\x10", 3)}},
     {},
     "SELECT (SELECT string_agg(chr(97 + (i % 26)), '' ORDER BY i) "
     "          FROM generate_series(0, 99999) i) AS t, "
     "       decode((SELECT string_agg(lpad(to_hex((i * 7 + i / 256) % 256), 2, '0'), '' "
     "               ORDER BY i) FROM generate_series(0, 1048575) i), 'hex') AS b",
     "INSERT INTO %T% SELECT generate_series(1, 10)",
     int64_t{55},
     "Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=1;Database=x;UID=a;PWD=b",
     "password authentication failed for user \"brevant\"",
     "Connection refused",
     "syntax error at or near \"SELEC\"",
     "relation \"no_such_table\" does not exist",
     "SELECT pg_sleep(30)",
     {"canceling statement due to statement timeout"},
     "SELECT 0 FROM pg_sleep(1.5)",
     "SELECT TIMESTAMP '1899-12-31 10:00:00.5', DATE '1900-01-01'"},
    {"MariaDB",
     "BREVANT_MARIADB",
     {"CREATE TEMPORARY TABLE %T% (n INT PRIMARY KEY, i INT, big BIGINT, price DECIMAL(12,2), "
      "d DOUBLE, name VARCHAR(30), t LONGTEXT, day DATE, at TIME(2), stamp DATETIME(6), "
      "raw VARBINARY(3))",
      "INSERT INTO %T% VALUES (1, 42, 9000000000, 1234.50, 2.5, 'Grüße 日本 😀', 'long', "
      "'2024-03-05', '14:30:15.25', '2024-03-05 14:30:15.123456', X'00FF10'), "
      "(2, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL)"},
     "SELECT i, big, price, d, name, t, day, at, stamp, raw FROM %T% ORDER BY n",
     {"i", "raw"},
     {int64_t{42}, int64_t{9000000000}, DecimalValue{"1234.50"}, 2.5, std::string("Grüße 日本 😀"),
      std::string("long"), DateValue{2024, 3, 5}, TimeValue{14, 30, 15, 250000000},
      DateTimeValue{{2024, 3, 5}, {14, 30, 15, 123456000}},
      BinaryValue{std::string("\x00\xff\x10", 3)}},
     {"CREATE TEMPORARY TABLE %T% (t LONGTEXT, b LONGBLOB)",
      "INSERT INTO %T% SELECT REPEAT('abcdefghijklmnopqrstuvwxyz', 3847), NULL",
      "UPDATE %T% SET t = LEFT(t, 100000)", "SET SESSION group_concat_max_len = 4194304",
      "UPDATE %T% SET b = (SELECT UNHEX(GROUP_CONCAT(LPAD(HEX((seq * 7 + seq DIV 256) % 256), 2, "
      "'0') ORDER BY seq SEPARATOR '')) FROM seq_0_to_1048575)"},
     "SELECT t, b FROM %T%",
     "INSERT INTO %T% SELECT seq FROM seq_1_to_10",
     DecimalValue{"55"},
     "Driver={MariaDB Unicode};Server=127.0.0.1;Port=1;Database=x;UID=a;PWD=b",
     "Access denied for user 'brevant'",
     "Can't connect to server on '127.0.0.1'",
     "You have an error in your SQL syntax",
     "Table 'brevant_test.no_such_table' doesn't exist",
     "SELECT SLEEP(30)",
     // The driver does not keep the query time-out it is given; the statement is cancelled anyway.
     {"cancelled after the command time-out of 1 s", "Query execution was interrupted"},
     "SELECT SLEEP(1.5)",
     "SELECT CAST('1899-12-31 10:00:00.5' AS DATETIME(1)), CAST('1900-01-01' AS DATE)"},
};

// Names the server in the test's name and messages, not its bytes.
void PrintTo(const OdbcServer &server, std::ostream *out) { *out << server.name; }

class OdbcServerTest : public ::testing::TestWithParam<OdbcServer> {
protected:
  void SetUp() override {
    if (var("DSN").empty())
      GTEST_SKIP() << "no " << server().name << " server (run through scripts/test)";
  }
  const OdbcServer &server() const { return GetParam(); }
  // A variable of the server's starter: var("DSN") is BREVANT_PG_DSN for PostgreSQL.
  std::string var(const std::string &name) const {
    return env((std::string(server().prefix) + "_" + name).c_str());
  }
  // `sql` with %T% replaced by a table name of this test's own.
  std::string sql(std::string text) const {
    const std::string table = "t_" + std::to_string(getpid());
    for (size_t at; (at = text.find("%T%")) != std::string::npos;)
      text.replace(at, 3, table);
    return text;
  }
  void openDsn(Connection &c, const std::string &password = "") const {
    c.ConnectionString =
        "User ID=" + var("USER") + ";Password=" + password + ";Data Source=" + var("DSN");
    if (password.empty())
      c.Open("", var("USER"), var("PASSWORD"));
    else
      c.Open();
  }
};

INSTANTIATE_TEST_SUITE_P(Servers, OdbcServerTest, ::testing::ValuesIn(kServers),
                         [](const ::testing::TestParamInfo<OdbcServer> &info) {
                           return std::string(info.param.name);
                         });

TEST_P(OdbcServerTest, TypesAndNullsThroughADataSourceName) {
  Connection c;
  openDsn(c);
  ASSERT_EQ(c.State(), adStateOpen);
  for (const std::string &statement : server().typesSetup)
    c.Execute(sql(statement));
  Recordset rs;
  rs.Open(sql(server().typesQuery), c);
  Fields &f = rs.GetFields();
  const auto &row = server().typesRow;
  ASSERT_EQ(f.Count(), static_cast<int>(row.size()));
  EXPECT_EQ(f.Item(0).Name(), server().typesNames.front());
  EXPECT_EQ(f.Item(f.Count() - 1).Name(), server().typesNames.back());
  for (int i = 0; i < f.Count(); ++i)
    EXPECT_EQ(f.Item(i).Value(), row[static_cast<size_t>(i)]) << "field " << i;
  // The varchar is a short field, the text a long one (read in pieces by a fill).
  EXPECT_EQ(f.Item(4).Attributes() & adFldLong, 0);
  EXPECT_EQ(f.Item(5).Attributes() & adFldLong, adFldLong);
  rs.MoveNext();
  for (int i = 0; i < f.Count(); ++i)
    EXPECT_TRUE(isNull(f.Item(i).Value())) << "field " << i;
  rs.MoveNext();
  EXPECT_TRUE(rs.Eof());
}

TEST_P(OdbcServerTest, HugeValuesArriveWholeThroughAConnectionString) {
  Connection c;
  c.Open(var("CONNSTR"));
  std::string text;
  for (int i = 0; i < 100000; ++i)
    text += static_cast<char>('a' + i % 26);
  const std::string bytes = test::binaryPattern(1 << 20);
  for (const std::string &statement : server().hugeSetup)
    c.Execute(sql(statement));
  Recordset rs;
  rs.Open(sql(server().hugeQuery), c);
  Field &t = rs.GetFields().Item(0);
  Field &b = rs.GetFields().Item(1);
  EXPECT_EQ(std::get<std::string>(t.Value()).size(), text.size());
  EXPECT_TRUE(std::get<std::string>(t.Value()) == text);
  EXPECT_TRUE(test::readLong(t) == text);
  EXPECT_EQ(std::get<BinaryValue>(b.Value()).bytes.size(), bytes.size());
  EXPECT_TRUE(std::get<BinaryValue>(b.Value()).bytes == bytes);
}

TEST_P(OdbcServerTest, ExecuteChangesTheDatabaseAndDiscardsRows) {
  Connection c;
  openDsn(c);
  c.Execute(sql("CREATE TEMPORARY TABLE %T% (a int)"));
  c.Execute(sql(server().fillTenRows));
  c.Execute(sql("SELECT * FROM %T%"));
  Recordset rs;
  rs.Open(sql("SELECT sum(a) FROM %T%"), c);
  EXPECT_EQ(rs.GetFields().Item(0).Value(), server().sumOfTen);
  EXPECT_EQ(test::countRecords(rs), 1);
  rs.Close();
  rs.Open(sql("UPDATE %T% SET a = 0 WHERE a > 100"), c);
  EXPECT_TRUE(rs.Eof());
}

TEST_P(OdbcServerTest, FailuresCarryTheServersMessageAndTheProcessGoesOn) {
  Connection wrongPassword;
  std::string message = errorOf([&] { openDsn(wrongPassword, "wrong"); });
  EXPECT_TRUE(contains(message, server().wrongPassword)) << message;
  EXPECT_EQ(wrongPassword.State(), adStateClosed);

  Connection unknownDsn;
  message = errorOf([&] { unknownDsn.Open("User ID=x;Password=y;Data Source=NoSuchDsn"); });
  EXPECT_TRUE(contains(message, "Data source name not found")) << message;

  Connection down;
  down.ConnectionTimeout = 5;
  message = errorOf([&] { down.Open(server().refusedConnection); });
  EXPECT_TRUE(contains(message, server().refused)) << message;

  Connection c;
  openDsn(c);
  Recordset rs;
  message = errorOf([&] { rs.Open("SELEC 1", c); });
  EXPECT_TRUE(contains(message, server().syntaxError)) << message;
  message = errorOf([&] { c.Execute("INSERT INTO no_such_table VALUES (1)"); });
  EXPECT_TRUE(contains(message, server().noSuchTable)) << message;

  rs.Open("SELECT 'still here'", c);
  EXPECT_EQ(rs.GetFields().Item(0).Value(), Variant(std::string("still here")));
}

TEST_P(OdbcServerTest, CommandTimeoutCancelsTheStatement) {
  Connection c;
  c.CommandTimeout = 1;
  openDsn(c);
  Recordset rs;
  const auto start = std::chrono::steady_clock::now();
  const std::string message = errorOf([&] { rs.Open(server().sleep30, c); });
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
  for (const std::string &part : server().timedOut)
    EXPECT_TRUE(contains(message, part)) << message;
  // The connection goes on, and a quick statement is not touched by the watch.
  rs.Open("SELECT 1", c);
  EXPECT_FALSE(rs.Eof());
  rs.Close();
  c.CommandTimeout = 0;
  rs.Open(server().sleepBriefly, c);
  EXPECT_EQ(rs.GetFields().Item(0).Value(), Variant(int64_t{0})) << "no limit: the sleep ends";
}

// A date before the worksheet's first year is no date to it: it keeps the server's text, time and
// fraction included; the first day of that year is a date.
TEST_P(OdbcServerTest, DatesBeforeTheSheetsFirstYearKeepTheServersText) {
  Connection c;
  openDsn(c);
  Recordset rs;
  rs.Open(server().earlyDates, c);
  EXPECT_EQ(rs.GetFields().Item(0).Value(), Variant(std::string("1899-12-31 10:00:00.5")));
  EXPECT_EQ(rs.GetFields().Item(1).Value(), Variant(DateValue{1900, 1, 1}));
}

} // namespace
} // namespace brevant
