#include "engine/components/database/connection_string.h"

#include "engine/components/database/database_error.h"

#include <gtest/gtest.h>

namespace brevant {
namespace {

using Kind = ConnectionTarget::Kind;

TEST(ConnectionStringTest, ParsesBracesQuotesAndBlanks) {
  auto a = ConnectionAttributes::parse(
      " DSN = Sales ;PWD={a;b}}c};Extended Properties=\"x=1;y=\"\"2\"\"\";;Flag;uid=me");
  EXPECT_EQ(a.get("dsn"), "Sales");
  EXPECT_EQ(a.get("PWD"), "a;b}c");
  EXPECT_EQ(a.get("Extended Properties"), "x=1;y=\"2\"");
  EXPECT_EQ(a.get("FLAG"), "");
  EXPECT_EQ(a.get("UID"), "me");
  EXPECT_FALSE(a.has("Server"));
  // The last of a repeated key wins; quoting survives a round trip.
  auto b = ConnectionAttributes::parse("A=1;a=2;B={x;y}");
  EXPECT_EQ(b.pairs().size(), 2u);
  EXPECT_EQ(b.toOdbcString(), "A=2;B={x;y}");
  EXPECT_EQ(ConnectionAttributes::parse(b.toOdbcString()).get("B"), "x;y");
  EXPECT_EQ(quoteOdbcValue("p}w"), "{p}}w}");
  EXPECT_EQ(quoteOdbcValue(" lead"), "{ lead}");
  EXPECT_EQ(quoteOdbcValue("plain"), "plain");
}

TEST(ConnectionStringTest, SqliteDriverNamesSelectTheEmbeddedDatabase) {
  for (const char *text : {"Driver=SQLite3;Database=sales.db",
                           "DRIVER={SQLite3 ODBC Driver};"
                           "Database=sales.db",
                           "driver=sqlite3 driver;database=./sales.db"}) {
    ConnectionTarget t = resolveConnectionTarget(text, "", "", "/data/reports");
    EXPECT_EQ(t.kind, Kind::Sqlite) << text;
    EXPECT_EQ(t.sqlitePath, "/data/reports/sales.db") << text;
  }
  EXPECT_EQ(resolveConnectionTarget("Driver=SQLite3;Database=/abs/x.db", "", "", "/b").sqlitePath,
            "/abs/x.db");
  EXPECT_EQ(
      resolveConnectionTarget("Driver=SQLite3;Database=..\\db\\x.db", "", "", "/b/r").sqlitePath,
      "/b/db/x.db");
  EXPECT_THROW(resolveConnectionTarget("Driver=SQLite3", "", "", "/b"), DatabaseError);
  // The SQLite 2 driver, a driver library path and a DSN go to the driver manager.
  EXPECT_EQ(resolveConnectionTarget("Driver=SQLite;Database=x.db", "", "", "").kind, Kind::Odbc);
  EXPECT_EQ(
      resolveConnectionTarget("Driver=/usr/lib/libsqlite3odbc.so;Database=x", "", "", "").kind,
      Kind::Odbc);
  EXPECT_EQ(resolveConnectionTarget("DSN=SqliteDsn", "", "", "").kind, Kind::Odbc);
}

TEST(ConnectionStringTest, LoginFormBecomesAnOdbcString) {
  ConnectionTarget t =
      resolveConnectionTarget("User ID=scott;Password=tiger;Data Source=Sales", "", "", "");
  EXPECT_EQ(t.kind, Kind::Odbc);
  EXPECT_EQ(t.odbcString, "UID=scott;PWD=tiger;DSN=Sales");
  // The user and password given to Open replace the ones in the string.
  t = resolveConnectionTarget("User ID=old;Password=x;Data Source=Sales", "new", "p;w", "");
  EXPECT_EQ(t.odbcString, "UID=new;PWD={p;w};DSN=Sales");
  // An empty login leaves the one stored with the data source.
  t = resolveConnectionTarget("User ID=;Password=;Data Source=Sales", "", "", "");
  EXPECT_EQ(t.odbcString, "DSN=Sales");
  EXPECT_THROW(resolveConnectionTarget("", "", "", ""), DatabaseError);
}

TEST(ConnectionStringTest, OnlyTheOdbcProviderIsAccepted) {
  ConnectionTarget t = resolveConnectionTarget(
      "Provider=MSDASQL.1;Persist Security Info=False;Extended Properties=\"DSN=Sales;UID=a\"", "",
      "", "");
  EXPECT_EQ(t.odbcString, "Persist Security Info=False;DSN=Sales;UID=a");
  t = resolveConnectionTarget("Provider=msdasql;Driver={PostgreSQL Unicode};Server=h", "", "", "");
  EXPECT_EQ(t.odbcString, "Driver=PostgreSQL Unicode;Server=h");
  try {
    (void)resolveConnectionTarget("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=c:\\x.mdb", "", "",
                                  "");
    FAIL();
  } catch (const DatabaseError &e) {
    std::string message = e.what();
    EXPECT_NE(message.find("Microsoft.Jet.OLEDB.4.0"), std::string::npos) << message;
    EXPECT_NE(message.find("Use an ODBC connection string"), std::string::npos) << message;
  }
}

} // namespace
} // namespace brevant
