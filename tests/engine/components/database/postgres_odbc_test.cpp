// PostgreSQL through psqlODBC, on the private server of tests/support/start-postgres.sh.

#include "database_test_support.h"

#include "engine/components/database/database_error.h"

#include <chrono>
#include <thread>

namespace brevant {
namespace {

using test::env;
using test::errorOf;

void openDsn(Connection &c) {
  c.ConnectionString =
      "User ID=" + env("BREVANT_PG_USER") + ";Password=;Data Source=" + env("BREVANT_PG_DSN");
  c.Open("", env("BREVANT_PG_USER"), env("BREVANT_PG_PASSWORD"));
}

bool contains(const std::string &text, const std::string &part) {
  return text.find(part) != std::string::npos;
}

class PostgresOdbcTest : public ::testing::Test {
protected:
  void SetUp() override { BREVANT_REQUIRE_POSTGRES(); }
};

TEST_F(PostgresOdbcTest, TypesAndNullsThroughADataSourceName) {
  Connection c;
  openDsn(c);
  ASSERT_EQ(c.State(), adStateOpen);
  Recordset rs;
  rs.Open(R"(SELECT 42::int AS i, 9000000000::bigint AS big, 1234.50::numeric(12,2) AS price,
                    2.5::float8 AS d, 'Grüße 日本 😀'::varchar(30) AS name, 'long'::text AS t,
                    DATE '2024-03-05' AS day, TIME '14:30:15.25' AS at,
                    TIMESTAMP '2024-03-05 14:30:15.123456' AS stamp, true AS yes,
                    '\x00ff10'::bytea AS raw
             UNION ALL
             SELECT NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL)",
          c);
  Fields &f = rs.GetFields();
  ASSERT_EQ(f.Count(), 11);
  EXPECT_EQ(f.Item(0).Name(), "i");
  EXPECT_EQ(f.Item(10).Name(), "raw");
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
  EXPECT_EQ(f.Item(9).Value(), Variant(true));
  EXPECT_EQ(f.Item(10).Value(), Variant(BinaryValue{std::string("\x00\xff\x10", 3)}));
  rs.MoveNext();
  for (int i = 0; i < f.Count(); ++i)
    EXPECT_TRUE(isNull(f.Item(i).Value())) << "field " << i;
  rs.MoveNext();
  EXPECT_TRUE(rs.Eof());
}

TEST_F(PostgresOdbcTest, HugeValuesArriveWholeThroughAConnectionString) {
  Connection c;
  c.Open(env("BREVANT_PG_CONNSTR"));
  std::string text;
  for (int i = 0; i < 100000; ++i)
    text += static_cast<char>('a' + i % 26);
  std::string bytes = test::binaryPattern(1 << 20);
  Recordset rs;
  rs.Open("SELECT (SELECT string_agg(chr(97 + (i % 26)), '' ORDER BY i) "
          "          FROM generate_series(0, 99999) i) AS t, "
          "       decode((SELECT string_agg(lpad(to_hex((i * 7 + i / 256) % 256), 2, '0'), '' "
          "               ORDER BY i) FROM generate_series(0, 1048575) i), 'hex') AS b",
          c);
  Field &t = rs.GetFields().Item(0);
  Field &b = rs.GetFields().Item(1);
  EXPECT_EQ(std::get<std::string>(t.Value()).size(), text.size());
  EXPECT_TRUE(std::get<std::string>(t.Value()) == text);
  EXPECT_TRUE(test::readLong(t) == text);
  EXPECT_EQ(std::get<BinaryValue>(b.Value()).bytes.size(), bytes.size());
  EXPECT_TRUE(std::get<BinaryValue>(b.Value()).bytes == bytes);
}

TEST_F(PostgresOdbcTest, ExecuteChangesTheDatabaseAndDiscardsRows) {
  Connection c;
  openDsn(c);
  std::string table = "t_exec_" + std::to_string(getpid());
  c.Execute("CREATE TEMPORARY TABLE " + table + " (a int)");
  c.Execute("INSERT INTO " + table + " SELECT generate_series(1, 10)");
  c.Execute("SELECT * FROM " + table);
  Recordset rs;
  rs.Open("SELECT sum(a) FROM " + table, c);
  EXPECT_EQ(rs.GetFields().Item(0).Value(), Variant(int64_t{55}));
  EXPECT_EQ(test::countRecords(rs), 1);
  rs.Close();
  rs.Open("UPDATE " + table + " SET a = 0 WHERE a > 100", c);
  EXPECT_TRUE(rs.Eof());
}

TEST_F(PostgresOdbcTest, FailuresCarryTheServersMessageAndTheProcessGoesOn) {
  Connection wrongPassword;
  std::string message = errorOf([&] {
    wrongPassword.ConnectionString = "User ID=" + env("BREVANT_PG_USER") +
                                     ";Password=wrong;Data Source=" + env("BREVANT_PG_DSN");
    wrongPassword.Open();
  });
  EXPECT_TRUE(contains(message, "password authentication failed for user \"brevant\"")) << message;
  EXPECT_EQ(wrongPassword.State(), adStateClosed);

  Connection unknownDsn;
  message = errorOf([&] { unknownDsn.Open("User ID=x;Password=y;Data Source=NoSuchDsn"); });
  EXPECT_TRUE(contains(message, "Data source name not found")) << message;

  Connection down;
  down.ConnectionTimeout = 5;
  message = errorOf([&] {
    down.Open("Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=1;Database=x;UID=a;PWD=b");
  });
  EXPECT_TRUE(contains(message, "Connection refused")) << message;

  Connection c;
  openDsn(c);
  Recordset rs;
  message = errorOf([&] { rs.Open("SELEC 1", c); });
  EXPECT_TRUE(contains(message, "syntax error at or near \"SELEC\"")) << message;
  message = errorOf([&] { c.Execute("INSERT INTO no_such_table VALUES (1)"); });
  EXPECT_TRUE(contains(message, "relation \"no_such_table\" does not exist")) << message;

  rs.Open("SELECT 'still here'", c);
  EXPECT_EQ(rs.GetFields().Item(0).Value(), Variant(std::string("still here")));
}

TEST_F(PostgresOdbcTest, CommandTimeoutCancelsTheStatement) {
  Connection c;
  c.CommandTimeout = 1;
  openDsn(c);
  Recordset rs;
  auto start = std::chrono::steady_clock::now();
  std::string message = errorOf([&] { rs.Open("SELECT pg_sleep(30)", c); });
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
  EXPECT_TRUE(contains(message, "canceling statement due to statement timeout")) << message;
  rs.Open("SELECT 1", c);
  EXPECT_FALSE(rs.Eof());
}

// A server of its own, so that stopping it leaves the shared one running.
class PrivateServer {
public:
  PrivateServer() {
    port_ = 55000 + getpid() % 2000;
    runAs_ = env("BREVANT_PG_RUNAS");
    std::string bin = env("BREVANT_PG_BIN");
    if (!runAs_.empty())
      system(("chown postgres " + folder_.path().string()).c_str());
    data_ = folder_.file("data");
    ok_ = run("'" + bin + "/initdb' -D '" + data_ + "' -U postgres --auth=trust >/dev/null") &&
          run("'" + bin + "/pg_ctl' -D '" + data_ + "' -w -l '" + data_ + ".log' -o '-p " +
              std::to_string(port_) + " -k " + folder_.path().string() +
              " -c listen_addresses=127.0.0.1 -c fsync=off' start >/dev/null");
    bin_ = bin;
  }
  ~PrivateServer() { stop(); }
  bool ok() const { return ok_; }
  int port() const { return port_; }
  void stop() {
    if (ok_)
      run("'" + bin_ + "/pg_ctl' -D '" + data_ + "' -m immediate -w stop >/dev/null 2>&1");
    ok_ = false;
  }

private:
  bool run(const std::string &command) {
    return system((runAs_.empty() ? command : runAs_ + " sh -c \"" + command + "\"").c_str()) == 0;
  }
  test::TempFolder folder_;
  std::string runAs_, bin_, data_;
  int port_ = 0;
  bool ok_ = false;
};

TEST_F(PostgresOdbcTest, ServerDyingInTheMiddleOfARecordSetGivesAnError) {
  // Rows fetched through a cursor in small batches, and the whole result read at once.
  for (const char *fetchMode : {"UseDeclareFetch=1;Fetch=10", "UseDeclareFetch=0"}) {
    SCOPED_TRACE(fetchMode);
    PrivateServer server;
    ASSERT_TRUE(server.ok());
    Connection c;
    c.CommandTimeout = 0;
    c.Open("Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=" + std::to_string(server.port()) +
           ";Database=postgres;UID=postgres;PWD=x;" + fetchMode);
    Recordset rs;
    std::string message;
    auto start = std::chrono::steady_clock::now();
    std::thread killer([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(700));
      server.stop();
    });
    message =
        errorOf([&] { rs.Open("SELECT g, pg_sleep(0.01) FROM generate_series(1, 3000) g", c); });
    killer.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_TRUE(contains(message, "server closed the connection unexpectedly")) << message;
    EXPECT_EQ(rs.State(), adStateClosed);
    // The dead connection keeps failing cleanly, and closing it does not hang or crash.
    EXPECT_THROW(c.Execute("SELECT 1"), DatabaseError);
    try {
      c.Close();
    } catch (const DatabaseError &) {
    }
    EXPECT_EQ(c.State(), adStateClosed);
  }
}

} // namespace
} // namespace brevant
