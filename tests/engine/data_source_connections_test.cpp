#include "engine/data_source_connections.h"

#include "support/sqlite_file.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace brevant {
namespace {

const std::string kFullWidthComma = "\xEF\xBC\x8C";

class CapturedLines : public LogObserver {
public:
  void lineLogged(const std::string &text) override { lines.push_back(text); }
  void errorCountChanged(int16_t) override {}
  std::vector<std::string> lines;
};

class ScriptedLogin : public LoginRequester {
public:
  explicit ScriptedLogin(std::string connectionString) : good(std::move(connectionString)) {}
  bool requestLogin(int index, DataSource &dataSource, Connection &connection) override {
    ++calls;
    askedFor = index;
    if (good.empty())
      return false;
    dataSource.User = "fixed";
    connection.Open(good);
    return true;
  }
  std::string good;
  int calls = 0;
  int askedFor = -1;
};

class DataSourceConnectionsTest : public ::testing::Test {
protected:
  void SetUp() override {
    testing::sqliteExec(file("sales.db"), "CREATE TABLE t (a INTEGER); INSERT INTO t VALUES (7);");
    definition.definitionFilePath = file("report.kvd");
    log.setObserver(&captured);
  }
  std::string file(const std::string &name) const { return temp.file(name); }

  void add(const std::string &name, const std::string &user, const std::string &password,
           const std::string &connectionString) {
    definition.dataSources[static_cast<size_t>(definition.dataSourceCount++)] =
        DataSource{name, user, password, connectionString};
  }

  testing::TempFolder temp;
  ReportDefinition definition;
  RunLog log;
  CapturedLines captured;
  AppSettings settings;
};

TEST_F(DataSourceConnectionsTest, ConnectionStringSourceIsLoggedWithoutUser) {
  add("Sales", "ignored", "", "Driver=SQLite3;Database=sales.db");
  DataSourceConnections connections(definition, log, settings);
  ASSERT_TRUE(connections.ConnectDataSource(0));
  EXPECT_TRUE(connections.dataSourceConnected(0));
  ASSERT_EQ(captured.lines.size(), 1u);
  EXPECT_EQ(captured.lines[0],
            "Connect to database successfully. DSN=Sales, Using a connection string.");

  Recordset &rs = *connections.recordset(0);
  rs.Open("SELECT a FROM t", *connections.connection(0));
  EXPECT_EQ(rs.GetFields().Item(0).Value(), Variant(int64_t{7}));

  EXPECT_TRUE(connections.DisconnectDataSource(0));
  EXPECT_EQ(connections.connection(0), nullptr);
  EXPECT_EQ(connections.recordset(0), nullptr);
  EXPECT_FALSE(connections.dataSourceConnected(0));
  EXPECT_EQ(captured.lines.size(), 1u); // no line for a good disconnect
}

TEST_F(DataSourceConnectionsTest, FailureLinesNameTheUserWithAFullWidthComma) {
  add("NoSuchDsn", "scott", "tiger", "");
  add("Other", "", "", "");
  add("Windows", "", "", "Provider=SQLOLEDB;Data Source=server;Initial Catalog=db");
  DataSourceConnections connections(definition, log, settings);
  EXPECT_FALSE(connections.ConnectDataSource(0));
  EXPECT_FALSE(connections.ConnectDataSource(1));
  EXPECT_FALSE(connections.ConnectDataSource(2));
  ASSERT_EQ(captured.lines.size(), 6u);
  EXPECT_EQ(captured.lines[0], "Error: Failed to connect to database. DSN=NoSuchDsn" +
                                   kFullWidthComma + " USER=scott");
  EXPECT_NE(captured.lines[1].find("Error Info: "), std::string::npos);
  EXPECT_NE(captured.lines[1].find("Data source name not found"), std::string::npos)
      << captured.lines[1];
  EXPECT_EQ(captured.lines[2], "Error: Failed to connect to database. DSN=Other");
  EXPECT_EQ(captured.lines[4],
            "Error: Failed to connect to database. DSN=Windows, Using a connection string.");
  EXPECT_NE(captured.lines[5].find("Use an ODBC connection string"), std::string::npos)
      << captured.lines[5];
  EXPECT_EQ(log.errorCount(), 3);
  EXPECT_FALSE(connections.dataSourceConnected(0));
  // A data source that failed keeps its (closed) objects until it is disconnected.
  EXPECT_EQ(connections.connection(0)->State(), adStateClosed);
}

TEST_F(DataSourceConnectionsTest, LoginIsAskedForOnlyInAnInteractiveRun) {
  add("Broken", "", "", "Driver=SQLite3;Database=missing.db");
  ScriptedLogin login("Driver=SQLite3;Database=" + file("sales.db"));
  DataSourceConnections connections(definition, log, settings);

  EXPECT_FALSE(connections.ConnectDataSource(0, false, &login));
  EXPECT_EQ(login.calls, 0);

  captured.lines.clear();
  EXPECT_TRUE(connections.ConnectDataSource(0, true, &login));
  EXPECT_EQ(login.calls, 1);
  EXPECT_EQ(login.askedFor, 0);
  ASSERT_EQ(captured.lines.size(), 1u);
  EXPECT_EQ(captured.lines[0],
            "Connect to database successfully. DSN=Broken, Using a connection string.");

  ScriptedLogin refused("");
  captured.lines.clear();
  EXPECT_FALSE(connections.ConnectDataSource(0, true, &refused));
  ASSERT_EQ(captured.lines.size(), 2u);
  EXPECT_NE(captured.lines[1].find("unable to open database file"), std::string::npos);
}

TEST_F(DataSourceConnectionsTest, NegativeTimeoutsLeaveTheDefaults) {
  add("Sales", "", "", "Driver=SQLite3;Database=sales.db");
  Connection defaults;
  settings.ConnectionTimeout = -1;
  settings.CommandTimeout = -5;
  DataSourceConnections keep(definition, log, settings);
  ASSERT_TRUE(keep.ConnectDataSource(0));
  EXPECT_EQ(keep.connection(0)->ConnectionTimeout, defaults.ConnectionTimeout);
  EXPECT_EQ(keep.connection(0)->CommandTimeout, defaults.CommandTimeout);

  settings.ConnectionTimeout = 0;
  settings.CommandTimeout = 7;
  DataSourceConnections set(definition, log, settings);
  ASSERT_TRUE(set.ConnectDataSource(0));
  EXPECT_EQ(set.connection(0)->ConnectionTimeout, 0);
  EXPECT_EQ(set.connection(0)->CommandTimeout, 7);
}

TEST_F(DataSourceConnectionsTest, ConnectValueSelectsByNameThenByNumber) {
  add("Sales", "", "", "");
  add("Stock", "", "", "");
  add("Sales", "", "", "");
  add("1", "", "", "");
  EXPECT_EQ(findDataSource(definition, "Sales"), 0); // the first of two equal names
  EXPECT_EQ(findDataSource(definition, "Stock"), 1);
  EXPECT_EQ(findDataSource(definition, "sales"), -1); // names match exactly
  EXPECT_EQ(findDataSource(definition, "2"), 1);
  EXPECT_EQ(findDataSource(definition, "1"), 3); // a data source called "1" wins over number 1
  EXPECT_EQ(findDataSource(definition, " 4 "), 3);
  EXPECT_EQ(findDataSource(definition, "5"), -1);
  EXPECT_EQ(findDataSource(definition, "0"), -1);
  EXPECT_EQ(findDataSource(definition, "x2"), -1);
  EXPECT_EQ(findDataSource(definition, ""), -1);
}

TEST_F(DataSourceConnectionsTest, LoginStringKeepsSemicolonsInsideTheirValue) {
  EXPECT_EQ(dataSourceLoginString(DataSource{"Dsn", "u", "p", ""}),
            "User ID=u;Password=p;Data Source=Dsn");
  EXPECT_EQ(dataSourceLoginString(DataSource{"Dsn", "u", "a;DSN=Evil", ""}),
            "User ID=u;Password={a;DSN=Evil};Data Source=Dsn");
}

TEST_F(DataSourceConnectionsTest, DataSourceNameWithUserReachesPostgres) {
  const char *dsn = std::getenv("BREVANT_PG_DSN");
  if (!dsn)
    GTEST_SKIP() << "no PostgreSQL server (source tests/support/start-postgres.sh)";
  add(dsn, std::getenv("BREVANT_PG_USER"), std::getenv("BREVANT_PG_PASSWORD"), "");
  DataSourceConnections connections(definition, log, settings);
  ASSERT_TRUE(connections.ConnectDataSource(0));
  EXPECT_EQ(captured.lines[0], std::string("Connect to database successfully. DSN=") + dsn +
                                   kFullWidthComma + " USER=" + std::getenv("BREVANT_PG_USER"));
  EXPECT_TRUE(connections.DisconnectDataSource(0));
}

} // namespace
} // namespace brevant
