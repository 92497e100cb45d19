// Batch runs against databases that are down, damaged, locked or on a real server.
#include "batch_fixture.h"

#include "cipher/password_cipher.h"

#include <cstdlib>
#include <sstream>

namespace brevant::testing {
namespace {

class BatchDatabase : public BatchRun {
protected:
  void SetUp() override {
    makeTemplate("template.xlsx", "from openpyxl.workbook.defined_name import DefinedName\n"
                                  "ws['A1'] = '=Answer'\n"
                                  "wb.defined_names.append(DefinedName('Answer', attr_text='0'))");
  }

  void definition(const std::string &dataSource, const std::string &script) {
    write("report.kvd", "Quorvel Version 2.0\r\n[Data Source]\r\n" + dataSource +
                            "\r\n\r\n[File]\r\nReportTemplateFileName=template.xlsx\r\n"
                            "ReportFileName=r.xlsx\r\nLogFileName=run.log\r\n\r\n[SQL]\r\n" +
                            script);
  }

  bool logHas(const std::string &line) const {
    const auto lines = logLines("run.log");
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
  bool logHasPrefix(const std::string &prefix) const {
    for (const std::string &line : logLines("run.log"))
      if (line.rfind(prefix, 0) == 0)
        return true;
    return false;
  }
};

TEST_F(BatchDatabase, DamagedDatabaseIsAConnectFailureAndTheReportIsStillSaved) {
  write("bad.db", std::string(4096, 'x'));
  definition("Name1=bad\r\nConnectionString1=Driver=SQLite3;Database=bad.db",
             "@1=NAME(NAME=Answer)\r\nselect 42\r\n");
  EXPECT_EQ(brevant("report.kvd -C"), 1);
  EXPECT_TRUE(logHas("Error: Failed to connect to database. DSN=bad, Using a connection string."));
  EXPECT_TRUE(logHasPrefix("Error Info: "));
  EXPECT_TRUE(logHas("Close the log file."));
  EXPECT_TRUE(std::filesystem::exists(file("r.xlsx")))
      << "with no data source the template is still saved";
}

TEST_F(BatchDatabase, LockedDatabaseFailsTheStatementWithinTheCommandTimeout) {
  makeDatabase("sales.db", "create table t (x integer);");
  write("settings.reg", "Windows Registry Editor Version 5.00\r\n\r\n"
                        "[HKEY_CURRENT_USER\\SOFTWARE\\Velkora\\Brevant\\Options]\r\n"
                        "\"CommandTimeout\"=dword:00000001\r\n");
  definition("Name1=sales\r\nConnectionString1=Driver=SQLite3;Database=sales.db",
             "@1=EXECSQL()\r\ninsert into t values (1)\r\n");
  sqlite3 *holder = nullptr;
  ASSERT_EQ(sqlite3_open(file("sales.db").c_str(), &holder), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(holder, "begin exclusive", nullptr, nullptr, nullptr), SQLITE_OK);
  EXPECT_EQ(brevant("report.kvd -C"), 1);
  sqlite3_close(holder);
  EXPECT_TRUE(logHas("Error: Failed to execute function EXECSQL."));
  EXPECT_TRUE(logHas("[1]    Failure."));
  EXPECT_TRUE(logHas("Close the log file."));
}

// The private server that scripts/test starts; skipped when it is not there.
class BatchPostgres : public BatchDatabase {
protected:
  void SetUp() override {
    if (std::getenv("BREVANT_PG_DSN") == nullptr)
      GTEST_SKIP() << "no PostgreSQL server (run through scripts/test)";
    BatchDatabase::SetUp();
    dsn = std::getenv("BREVANT_PG_DSN");
    user = std::getenv("BREVANT_PG_USER");
    password = std::getenv("BREVANT_PG_PASSWORD");
  }
  std::string environment() const {
    std::string env;
    for (const char *name : {"ODBCSYSINI", "ODBCINI"})
      if (const char *value = std::getenv(name))
        env += std::string(name) + "=" + shellQuote(value) + " ";
    return env;
  }
  std::string dsn, user, password;
};

TEST_F(BatchPostgres, EncipheredPasswordFromTheDefinition) {
  definition("EncryptPassword=Y\r\nName1=" + dsn + "\r\nUser1=" + user +
                 "\r\nPassword1=" + EncodeStoredPassword(password, user),
             "@1=NAME(NAME=Answer)\r\nselect 6 * 7\r\n");
  EXPECT_EQ(brevant("report.kvd -C", environment()), 0) << lastOutput;
  EXPECT_TRUE(logHas("Connect to database successfully. DSN=" + dsn + "\xEF\xBC\x8C USER=" + user));
  EXPECT_TRUE(logHas("[1]    Success."));
  EXPECT_EQ(python("import openpyxl\nprint(openpyxl.load_workbook('" + file("r.xlsx") +
                   "').defined_names['Answer'].attr_text)"),
            "42\n");
}

TEST_F(BatchPostgres, CommandLineLoginOverridesTheStoredOne) {
  definition("EncryptPassword=Y\r\nName1=" + dsn +
                 "\r\nUser1=nobody\r\nPassword1=" + EncodeStoredPassword("wrong", "nobody"),
             "@1=NAME(NAME=Answer)\r\nselect 1\r\n");
  EXPECT_EQ(brevant("report.kvd -C", environment()), 1) << "the stored login is wrong";
  EXPECT_TRUE(
      logHas("Error: Failed to connect to database. DSN=" + dsn + "\xEF\xBC\x8C USER=nobody"));

  EXPECT_EQ(brevant("report.kvd -C -U1 " + shellQuote(user) + " -P1 " + shellQuote(password),
                    environment()),
            0)
      << lastOutput;
  EXPECT_TRUE(logHas("Connect to database successfully. DSN=" + dsn + "\xEF\xBC\x8C USER=" + user));
  // The override lives for the run only: the definition file still holds the stored login.
  EXPECT_NE(readBytes(file("report.kvd")).find("User1=nobody"), std::string::npos);
}

TEST_F(BatchPostgres, ConnectionLostDuringADeclareFetchIsAnErrorNotACrash) {
  // The server ends the run's session while the records come in blocks of 100.
  const char *connection = std::getenv("BREVANT_PG_CONNSTR");
  ASSERT_NE(connection, nullptr);
  definition("Name1=pg\r\nConnectionString1=" + std::string(connection) +
                 ";UseDeclareFetch=1;Fetch=100;pqopt={application_name=brevant-lost}",
             "@1=REPORT(SHEET=1 CELL=A2)\r\nselect g from generate_series(1, 5000000) g\r\n");
  const std::string terminate =
      "PGPASSWORD=" + shellQuote(password) + " psql -X -q -h " + std::getenv("BREVANT_PG_HOST") +
      " -p " + std::getenv("BREVANT_PG_PORT") + " -U " + user + " -d " +
      std::getenv("BREVANT_PG_DATABASE") +
      " -c \"select pg_terminate_backend(pid) from pg_stat_activity where application_name = "
      "'brevant-lost'\" >/dev/null";
  const int status = runCommand(
      "cd " + shellQuote(folder.path().string()) + " && " + environment() + " BREVANT_SETTINGS=" +
      shellQuote(file("settings.reg")) + " " + shellQuote(BREVANT_BINARY_DIR "/brevant") +
      " report.kvd -C & run=$!; cd " + shellQuote(folder.path().string()) +
      "; for i in $(seq 600); do grep -q generate_series run.log 2>/dev/null && break; sleep 0.1; "
      "done; sleep 0.5; " +
      terminate + "; wait $run");
  EXPECT_EQ(status, 1);
  EXPECT_TRUE(logHas("Error: Failed to execute function REPORT."));
  EXPECT_TRUE(logHasPrefix("Error Info: "));
  EXPECT_TRUE(logHas("Save the report file \"" + file("r.xlsx") + "\"."));
  EXPECT_EQ(logLines("run.log").back(), "Close the log file.");
}

TEST_F(BatchPostgres, DatesTheSheetCannotHoldArriveAsTextNeverAsToday) {
  // psqlODBC rewrites such values before any program sees them (infinity as 0000-00-00, a year
  // past 9999 cut to four digits); cast to text in the SQL they arrive exactly as written.
  definition("Name1=" + dsn + "\r\nUser1=" + user + "\r\nPassword1=" + password,
             "@1=REPORT(SHEET=1 CELL=A2)\r\n"
             "select date '2024-03-05', timestamp '2024-03-05 14:30:15.25', "
             "date 'infinity', timestamp '-infinity', date '10000-01-01', "
             "timestamp '294276-12-31 23:59:59', date '5874897-12-31', date '1899-12-31', "
             "date 'infinity'::text, date '4713-01-01 BC'::text, date '10000-01-01'::text\r\n");
  ASSERT_EQ(brevant("report.kvd -C", environment()), 0) << lastOutput;
  const std::string today =
      python("import datetime\nprint(datetime.date.today().isoformat())").substr(0, 10);
  std::vector<std::string> values;
  std::istringstream lines(
      python("import openpyxl\nws = openpyxl.load_workbook('" + file("r.xlsx") +
             "').active\nfor c in ws[2]: print(type(c.value).__name__, c.value)"));
  for (std::string line; std::getline(lines, line);)
    values.push_back(line);
  ASSERT_EQ(values.size(), 11u);
  EXPECT_EQ(values[0], "datetime 2024-03-05 00:00:00");
  EXPECT_EQ(values[1], "datetime 2024-03-05 14:30:15.250000");
  for (size_t i = 2; i <= 6; ++i) {
    EXPECT_EQ(values[i].rfind("str ", 0), 0u) << values[i];
    EXPECT_EQ(values[i].find(today), std::string::npos) << values[i];
  }
  EXPECT_EQ(values[7], "str 1899-12-31");
  EXPECT_EQ(values[8], "str infinity");
  EXPECT_EQ(values[9], "str 4713-01-01 BC");
  EXPECT_EQ(values[10], "str 10000-01-01");
}

} // namespace
} // namespace brevant::testing
