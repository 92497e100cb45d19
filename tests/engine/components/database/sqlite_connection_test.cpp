#include "database_test_support.h"

#include "engine/components/database/database_error.h"

#include <sqlite3.h>

#include <thread>

namespace brevant {
namespace {

using test::errorOf;
using test::TempFolder;

class SqliteConnectionTest : public ::testing::Test {
protected:
  void SetUp() override {
    db = folder.file("sales.db");
    test::sqliteExec(db, R"(
      CREATE TABLE sales (id INTEGER, region VARCHAR(20), amount REAL, price NUMERIC(10,2),
                          sold DATE, at_time TIME, stamp DATETIME, paid BOOLEAN, note TEXT,
                          photo BLOB, anything);
      INSERT INTO sales VALUES (1, 'North', 12.5, '1234.50', '2024-03-05', '14:30:15',
                                '2024-03-05 14:30:15.250', 1, 'first', x'00FF10', 42);
      INSERT INTO sales VALUES (2, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL);
      INSERT INTO sales VALUES (-9223372036854775808, 'Süd', -0.25, 7, 'not a date', '25:00',
                                '2024-02-30', 0, '', x'', 'text');
    )");
  }

  void open(Connection &c, const std::string &connectionString) {
    c.BaseFolder = folder.path().string();
    c.Open(connectionString);
  }

  TempFolder folder;
  std::string db;
};

TEST_F(SqliteConnectionTest, ValuesAreTypedByTheDeclaredColumnType) {
  Connection c;
  open(c, "Driver=SQLite3;Database=sales.db");
  Recordset rs;
  rs.Open("SELECT * FROM sales ORDER BY rowid", c);
  Fields &f = rs.GetFields();
  ASSERT_EQ(f.Count(), 11);
  EXPECT_EQ(f.Item(0).Name(), "id");
  EXPECT_EQ(f.Item(10).Name(), "anything");

  EXPECT_EQ(f.Item(0).Value(), Variant(int64_t{1}));
  EXPECT_EQ(f.Item(1).Value(), Variant(std::string("North")));
  EXPECT_EQ(f.Item(2).Value(), Variant(12.5));
  EXPECT_EQ(f.Item(3).Value(), Variant(DecimalValue{"1234.5"})); // NUMERIC affinity stored 1234.5
  EXPECT_EQ(f.Item(4).Value(), Variant(DateValue{2024, 3, 5}));
  EXPECT_EQ(f.Item(5).Value(), Variant(TimeValue{14, 30, 15, 0}));
  EXPECT_EQ(f.Item(6).Value(), Variant(DateTimeValue{{2024, 3, 5}, {14, 30, 15, 250000000}}));
  EXPECT_EQ(f.Item(7).Value(), Variant(true));
  EXPECT_EQ(f.Item(8).Value(), Variant(std::string("first")));
  EXPECT_EQ(f.Item(9).Value(), Variant(BinaryValue{std::string("\x00\xFF\x10", 3)}));
  EXPECT_EQ(f.Item(10).Value(), Variant(int64_t{42}));

  rs.MoveNext();
  for (int i = 1; i < 11; ++i)
    EXPECT_TRUE(isNull(f.Item(i).Value())) << "field " << i;
  EXPECT_TRUE(isNull(f.Item(8).GetChunk(kChunkSize)));

  // Values that do not fit their column's type keep their stored form.
  rs.MoveNext();
  EXPECT_EQ(f.Item(0).Value(), Variant(INT64_MIN));
  EXPECT_EQ(f.Item(1).Value(), Variant(std::string("Süd")));
  EXPECT_EQ(f.Item(3).Value(), Variant(DecimalValue{"7"}));
  EXPECT_EQ(f.Item(4).Value(), Variant(std::string("not a date")));
  EXPECT_EQ(f.Item(5).Value(), Variant(std::string("25:00")));
  EXPECT_EQ(f.Item(6).Value(), Variant(std::string("2024-02-30")));
  EXPECT_EQ(f.Item(7).Value(), Variant(false));
  EXPECT_EQ(f.Item(8).Value(), Variant(std::string()));
  EXPECT_EQ(f.Item(9).Value(), Variant(BinaryValue{}));
  EXPECT_EQ(f.Item(10).Value(), Variant(std::string("text")));
  rs.MoveNext();
  EXPECT_TRUE(rs.Eof());
}

TEST_F(SqliteConnectionTest, LongTextAndBinaryColumnsAreMarkedLong) {
  Connection c;
  open(c, "Driver={SQLite3 ODBC Driver};Database=" + db);
  Recordset rs;
  rs.Open("SELECT id, region, note, photo, anything, note || '' AS expr FROM sales", c);
  Fields &f = rs.GetFields();
  EXPECT_EQ(f.Item(0).Attributes() & adFldLong, 0);
  EXPECT_EQ(f.Item(1).Attributes() & adFldLong, 0);
  EXPECT_EQ(f.Item(2).Attributes() & adFldLong, adFldLong);
  EXPECT_EQ(f.Item(3).Attributes() & adFldLong, adFldLong);
  EXPECT_EQ(f.Item(4).Attributes() & adFldLong, 0);
  EXPECT_EQ(f.Item(5).Attributes() & adFldLong, 0);
}

TEST_F(SqliteConnectionTest, HugeValuesArriveWholeInChunks) {
  std::string text;
  for (int i = 0; i < 100000; ++i)
    text += static_cast<char>('a' + i % 26);
  text.replace(50000, 2, "é"); // a two-byte character across no particular boundary
  std::string bytes = test::binaryPattern(1 << 20);
  {
    sqlite3 *h = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &h), SQLITE_OK);
    sqlite3_stmt *stmt = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(h, "INSERT INTO sales (id, note, photo) VALUES (99, ?, ?)", -1,
                                 &stmt, nullptr),
              SQLITE_OK);
    sqlite3_bind_text(stmt, 1, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
    sqlite3_bind_blob(stmt, 2, bytes.data(), static_cast<int>(bytes.size()), SQLITE_STATIC);
    ASSERT_EQ(sqlite3_step(stmt), SQLITE_DONE);
    sqlite3_finalize(stmt);
    sqlite3_close(h);
  }
  Connection c;
  open(c, "Driver=SQLite3;Database=sales.db");
  Recordset rs;
  rs.Open("SELECT note, photo FROM sales WHERE id = 99", c);
  Field &note = rs.GetFields().Item(0);
  Field &photo = rs.GetFields().Item(1);
  EXPECT_EQ(std::get<std::string>(note.Value()), text);
  EXPECT_EQ(test::readLong(note), text);
  EXPECT_EQ(std::get<BinaryValue>(photo.Value()).bytes, bytes);
  EXPECT_EQ(test::readLong(photo), bytes);
  // Reading the record again starts over only after a move.
  EXPECT_EQ(std::get<std::string>(note.GetChunk(kChunkSize)), "");
  rs.MoveFirst();
  EXPECT_EQ(std::get<std::string>(note.GetChunk(10)), text.substr(0, 10));
}

TEST_F(SqliteConnectionTest, CountingPassThenMoveFirstRereadsEveryRecord) {
  test::sqliteExec(db, "CREATE TABLE n (v INTEGER);"
                       "WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s "
                       "WHERE i < 1000) INSERT INTO n SELECT i FROM s;");
  Connection c;
  open(c, "Driver=SQLite3;Database=sales.db");
  Recordset rs;
  rs.Open("SELECT v FROM n ORDER BY v", c);
  EXPECT_EQ(rs.RecordCount(), 1000);
  EXPECT_EQ(test::countRecords(rs), 1000);
  int64_t sum = 0;
  for (; !rs.Eof(); rs.MoveNext())
    sum += std::get<int64_t>(rs.GetFields().Item(0).Value());
  EXPECT_EQ(sum, 500500);
  EXPECT_THROW(rs.MoveNext(), DatabaseError);
  EXPECT_THROW(rs.GetFields().Item(0).Value(), DatabaseError);
  EXPECT_THROW(rs.GetFields().Item(1), DatabaseError);
  rs.Close();
  EXPECT_EQ(rs.State(), adStateClosed);
  EXPECT_THROW((void)rs.Eof(), DatabaseError);
  rs.Close(); // closing twice is harmless

  Recordset empty;
  empty.Open("SELECT v FROM n WHERE v < 0", c);
  EXPECT_TRUE(empty.Eof());
  EXPECT_EQ(test::countRecords(empty), 0);
  EXPECT_EQ(empty.GetFields().Count(), 1);
}

TEST_F(SqliteConnectionTest, ExecuteRunsEveryStatementAndDiscardsRows) {
  Connection c;
  open(c, "Driver=SQLite3;Database=sales.db");
  c.Execute("SELECT * FROM sales; CREATE TABLE t (a INTEGER); INSERT INTO t VALUES (5); "
            "-- a comment at the end");
  Recordset rs;
  rs.Open("SELECT a FROM t", c);
  EXPECT_EQ(rs.GetFields().Item(0).Value(), Variant(int64_t{5}));
  rs.Close();
  // A statement without a result gives an empty record set, not an error.
  rs.Open("UPDATE t SET a = 6", c);
  EXPECT_TRUE(rs.Eof());
  EXPECT_EQ(rs.GetFields().Count(), 0);
}

TEST_F(SqliteConnectionTest, FailuresCarrySqlitesOwnMessage) {
  Connection c;
  open(c, "Driver=SQLite3;Database=sales.db");
  Recordset rs;
  EXPECT_EQ(errorOf([&] { rs.Open("SELEC * FROM sales", c); }), "near \"SELEC\": syntax error");
  EXPECT_EQ(rs.State(), adStateClosed);
  EXPECT_EQ(errorOf([&] { c.Execute("INSERT INTO missing VALUES (1)"); }),
            "no such table: missing");
  // The connection is still usable afterwards.
  rs.Open("SELECT count(*) FROM sales", c);
  EXPECT_EQ(rs.GetFields().Item(0).Value(), Variant(int64_t{3}));

  Connection missing;
  std::string message = errorOf([&] { open(missing, "Driver=SQLite3;Database=nowhere.db"); });
  EXPECT_NE(message.find("unable to open database file"), std::string::npos) << message;
  EXPECT_NE(message.find("nowhere.db"), std::string::npos) << message;
  EXPECT_EQ(missing.State(), adStateClosed);
  EXPECT_FALSE(std::filesystem::exists(folder.file("nowhere.db")));

  std::string junk = folder.file("junk.db");
  {
    std::FILE *f = std::fopen(junk.c_str(), "w");
    std::fputs("this is no database, not at all, no", f);
    std::fclose(f);
  }
  Connection notADatabase;
  message = errorOf([&] { open(notADatabase, "Driver=SQLite3;Database=junk.db"); });
  EXPECT_NE(message.find("file is not a database"), std::string::npos) << message;
}

TEST_F(SqliteConnectionTest, CommandTimeoutEndsALongQuery) {
  Connection c;
  c.CommandTimeout = 1;
  open(c, "Driver=SQLite3;Database=sales.db");
  Recordset rs;
  auto start = std::chrono::steady_clock::now();
  std::string message = errorOf([&] {
    rs.Open("WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s) "
            "SELECT count(*) FROM s",
            c);
  });
  auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_NE(message.find("interrupted"), std::string::npos) << message;
  EXPECT_LT(elapsed, std::chrono::seconds(20));
  // The next statement runs normally.
  rs.Open("SELECT 1", c);
  EXPECT_FALSE(rs.Eof());
}

TEST_F(SqliteConnectionTest, BusyTimeoutFollowsTheCommandTimeout) {
  sqlite3 *writer = nullptr;
  ASSERT_EQ(sqlite3_open(db.c_str(), &writer), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(writer, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
  Connection c;
  c.CommandTimeout = 1;
  open(c, "Driver=SQLite3;Database=sales.db");
  auto start = std::chrono::steady_clock::now();
  std::string message = errorOf([&] { c.Execute("INSERT INTO sales (id) VALUES (7)"); });
  auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(message, "database is locked");
  EXPECT_GE(waited, std::chrono::milliseconds(900));
  sqlite3_exec(writer, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(writer);
  c.Execute("INSERT INTO sales (id) VALUES (7)");
}

TEST_F(SqliteConnectionTest, OpenAndCloseFollowTheConnectionState) {
  Connection c;
  EXPECT_EQ(c.State(), adStateClosed);
  EXPECT_THROW(c.Execute("SELECT 1"), DatabaseError);
  open(c, "Driver=SQLite3;Database=sales.db");
  EXPECT_EQ(c.State(), adStateOpen);
  EXPECT_THROW(c.Open("Driver=SQLite3;Database=sales.db"), DatabaseError);
  c.Close();
  EXPECT_EQ(c.State(), adStateClosed);
  c.Close();
  // A Windows-style relative path with backslashes resolves against the base folder too.
  std::filesystem::create_directory(folder.path() / "data");
  test::sqliteExec(folder.file("data/inner.db"), "CREATE TABLE x (a INTEGER)");
  c.Open("Driver=SQLite3;Database=data\\inner.db");
  Recordset rs;
  rs.Open("SELECT count(*) FROM x", c);
  EXPECT_EQ(rs.GetFields().Item(0).Value(), Variant(int64_t{0}));
}

} // namespace
} // namespace brevant
