// Batch runs against databases that are down, damaged, locked or on a real server.
#include "batch_fixture.h"

#include "cipher/password_cipher.h"
#include "support/private_postgres.h"

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>
#include <unistd.h>

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

// The private servers that scripts/test starts (tests/support/start-*.sh), each through its
// Debian ODBC driver; a server that is not there is skipped.
struct Server {
  const char *name;
  const char *prefix; // of the variables its starter exports
  const char *slowQuery;
  const char *typesQuery; // a whole number, a decimal, a date, a Null and 20,000 characters
};
const Server kServers[] = {
    {"PostgreSQL", "BREVANT_PG", "select 1 from pg_sleep(2)",
     "select 42, 1234.50::numeric(12,2), date '2024-03-05', null::text, repeat('x', 20000)"},
    {"MariaDB", "BREVANT_MARIADB", "select sleep(2)",
     "select 42, cast(1234.50 as decimal(12,2)), date '2024-03-05', null, repeat('x', 20000)"}};

// Names the server in the test's name and messages, not its bytes.
void PrintTo(const Server &server, std::ostream *out) { *out << server.name; }

// A run against one of the private servers, found through the variables its starter exports.
class BatchOnServer : public BatchDatabase {
protected:
  // False when the server is not there.
  bool useServer(const std::string &prefix) {
    if (std::getenv((prefix + "_DSN").c_str()) == nullptr)
      return false;
    BatchDatabase::SetUp();
    dsn = std::getenv((prefix + "_DSN").c_str());
    user = std::getenv((prefix + "_USER").c_str());
    password = std::getenv((prefix + "_PASSWORD").c_str());
    return true;
  }
  std::string environment() const {
    std::string env;
    for (const char *name : {"ODBCSYSINI", "ODBCINI"})
      if (const char *value = std::getenv(name))
        env += std::string(name) + "=" + shellQuote(value) + " ";
    return env;
  }
  // Runs report.kvd in batch and, once its log shows `marker` and `delay` more seconds have
  // passed, the shell command `action`; the run's exit status.
  int runThen(const std::string &marker, const std::string &delay, const std::string &action) {
    const std::string here = shellQuote(folder.path().string());
    return runCommand("cd " + here + " && " + environment() +
                      " BREVANT_SETTINGS=" + shellQuote(file("settings.reg")) + " " +
                      shellQuote(BREVANT_BINARY_DIR "/brevant") + " report.kvd -C & run=$!; cd " +
                      here + "; for i in $(seq 600); do grep -q " + shellQuote(marker) +
                      " run.log 2>/dev/null && break; sleep 0.1; done; sleep " + delay + "; " +
                      action + "; wait $run");
  }
  std::string dsn, user, password;
};

class BatchServer : public BatchOnServer, public ::testing::WithParamInterface<Server> {
protected:
  void SetUp() override {
    if (!useServer(GetParam().prefix))
      GTEST_SKIP() << "no " << GetParam().name << " server (run through scripts/test)";
  }
};

// What only PostgreSQL's driver shows: its declare-fetch mode and its dates beyond the sheet's.
class BatchPostgres : public BatchOnServer {
protected:
  void SetUp() override {
    if (!useServer("BREVANT_PG"))
      GTEST_SKIP() << "no PostgreSQL server (run through scripts/test)";
  }
};

class BatchMariaDb : public BatchOnServer {
protected:
  void SetUp() override {
    if (!useServer("BREVANT_MARIADB"))
      GTEST_SKIP() << "no MariaDB server (run through scripts/test)";
  }
};

INSTANTIATE_TEST_SUITE_P(Servers, BatchServer, ::testing::ValuesIn(kServers),
                         [](const ::testing::TestParamInfo<Server> &info) {
                           return std::string(info.param.name);
                         });

TEST_P(BatchServer, EncipheredPasswordFromTheDefinition) {
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

TEST_P(BatchServer, CommandLineLoginOverridesTheStoredOne) {
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

TEST_P(BatchServer, TypesNullsAndLongTextReachTheReportAndFailuresCarryTheServersMessage) {
  definition("Name1=" + dsn + "\r\nUser1=" + user + "\r\nPassword1=" + password,
             "@1=REPORT(SHEET=1 CELL=A2,B2,C2,D2,E2 TYPE=FIX)\r\n" +
                 std::string(GetParam().typesQuery) +
                 "\r\n\r\n@2=EXECSQL()\r\ninsert into no_such_table values (1)\r\n");
  EXPECT_EQ(brevant("report.kvd -C", environment()), 1) << lastOutput;
  EXPECT_TRUE(logHas("[1]    Success."));
  EXPECT_TRUE(logHas("[2]    Failure."));
  bool serverMessage = false;
  for (const std::string &line : logLines("run.log"))
    if (line.rfind("Error Info: ", 0) == 0 && line.find("no_such_table") != std::string::npos)
      serverMessage = true;
  EXPECT_TRUE(serverMessage) << readBytes(file("run.log"));
  EXPECT_EQ(python("import openpyxl\nws = openpyxl.load_workbook(" + pyString(file("r.xlsx")) +
                   ").worksheets[0]\n"
                   "print(repr(ws['A2'].value), repr(ws['B2'].value), ws['C2'].value, "
                   "ws['C2'].is_date, repr(ws['D2'].value), len(ws['E2'].value))"),
            "42 1234.5 2024-03-05 00:00:00 True None 20000\n");
}

// Logins from BREVANT_USER<n> / BREVANT_PASSWORD<n>: data source 2 here, with a wrong stored login
// and a first data source that needs none.
TEST_P(BatchServer, EnvironmentLoginsActLikeTheCommandLineAndYieldToIt) {
  makeDatabase("local.db", "create table t (x integer);");
  definition(
      "EncryptPassword=Y\r\nName1=local\r\nConnectionString1=Driver=SQLite3;Database=local.db"
      "\r\nName2=" +
          dsn + "\r\nUser2=nobody\r\nPassword2=" + EncodeStoredPassword("wrong", "nobody"),
      "@1=NAME(CONNECT=2 NAME=Answer)\r\nselect 7\r\n");
  const std::string login =
      "BREVANT_USER2=" + shellQuote(user) + " BREVANT_PASSWORD2=" + shellQuote(password) + " ";
  EXPECT_EQ(brevant("report.kvd -C", environment() + login), 0) << lastOutput;
  EXPECT_TRUE(logHas("Connect to database successfully. DSN=" + dsn + "\xEF\xBC\x8C USER=" + user));

  // -U2 replaces the user only; the password still comes from the environment.
  EXPECT_EQ(brevant("report.kvd -C -U2 intruder", environment() + login), 1);
  EXPECT_TRUE(
      logHas("Error: Failed to connect to database. DSN=" + dsn + "\xEF\xBC\x8C USER=intruder"));
  EXPECT_EQ(brevant("report.kvd -C -U2 " + shellQuote(user),
                    environment() +
                        "BREVANT_USER2=intruder BREVANT_PASSWORD2=" + shellQuote(password) + " "),
            0)
      << lastOutput;

  // A password alone names the data source, as -P2 alone does: its user is then empty.
  EXPECT_EQ(brevant("report.kvd -C", environment() + "BREVANT_PASSWORD2=" + shellQuote(password)),
            1);
  EXPECT_TRUE(logHas("Error: Failed to connect to database. DSN=" + dsn));
  // Data source 1 may be given without its number.
  definition("Name1=" + dsn, "@1=NAME(NAME=Answer)\r\nselect 7\r\n");
  EXPECT_EQ(brevant("report.kvd -C", environment() + "BREVANT_USER=" + shellQuote(user) +
                                         " BREVANT_PASSWORD=" + shellQuote(password)),
            0)
      << lastOutput;
}

// The pids of `root` and of every process below it.
std::vector<pid_t> processTree(pid_t root) {
  std::map<pid_t, pid_t> parents;
  for (const auto &entry : std::filesystem::directory_iterator("/proc")) {
    const std::string name = entry.path().filename();
    if (name.find_first_not_of("0123456789") != std::string::npos)
      continue;
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    if (!std::getline(stat, line))
      continue;
    const size_t close = line.rfind(')'); // the command name may hold blanks and parentheses
    if (close == std::string::npos)
      continue;
    std::istringstream rest(line.substr(close + 2));
    char state;
    pid_t parent = 0;
    rest >> state >> parent;
    parents[std::stoi(name)] = parent;
  }
  std::vector<pid_t> tree;
  for (const auto &[pid, parent] : parents) {
    for (pid_t p = pid; p > 1; p = parents.count(p) ? parents[p] : 0)
      if (p == root) {
        tree.push_back(pid);
        break;
      }
  }
  return tree;
}

std::string commandLineOf(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every login from the environment: while the run waits on a slow query, neither the program nor
// anything it started shows the password in its command line.
TEST_P(BatchServer, EnvironmentPasswordIsInNoCommandLine) {
  definition("Name1=" + dsn,
             "@1=NAME(NAME=Answer)\r\n" + std::string(GetParam().slowQuery) + "\r\n");
  std::vector<std::string> environment;
  for (char **e = environ; *e != nullptr; ++e)
    environment.emplace_back(*e);
  environment.push_back("BREVANT_USER1=" + user);
  environment.push_back("BREVANT_PASSWORD1=" + password);
  environment.push_back("BREVANT_SETTINGS=" + file("settings.reg"));
  std::vector<char *> envp;
  for (std::string &e : environment)
    envp.push_back(e.data());
  envp.push_back(nullptr);
  std::string program = BREVANT_BINARY_DIR "/brevant", definitionFile = file("report.kvd"),
              batch = "-C";
  char *argv[] = {program.data(), definitionFile.data(), batch.data(), nullptr};

  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const int devNull = open("/dev/null", O_RDWR);
    dup2(devNull, 1);
    dup2(devNull, 2);
    execve(argv[0], argv, envp.data());
    _exit(127);
  }
  int seen = 0;
  int status = 0;
  while (waitpid(child, &status, WNOHANG) == 0) {
    for (const pid_t pid : processTree(child)) {
      const std::string command = commandLineOf(pid);
      if (command.find("report.kvd") != std::string::npos)
        ++seen;
      EXPECT_EQ(command.find(password), std::string::npos) << "pid " << pid << ": " << command;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << readBytes(file("run.log"));
  EXPECT_GE(seen, 5) << "the run was too quick to be watched";
  EXPECT_TRUE(logHas("Connect to database successfully. DSN=" + dsn + "\xEF\xBC\x8C USER=" + user));
  EXPECT_EQ(readBytes(file("run.log")).find(password), std::string::npos);
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
  const int status = runThen("generate_series", "0.5", terminate);
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

TEST_F(BatchPostgres, ServerStoppedDuringADeclareFetchNeverLeavesADamagedReport) {
  // The whole server goes down at once (as in a crash) while the records come in blocks of 100.
  // Usually the run ends with the REPORT error line, exit status 1 and a whole workbook saved;
  // psqlODBC sometimes crashes inside SQLFetch instead, and then the last log line names the
  // fatal fault and the previous report stays as it was. Either way nothing is half written.
  PrivatePostgres server;
  ASSERT_TRUE(server.ok());
  definition("Name1=pg\r\nConnectionString1=" +
                 server.connectionString("UseDeclareFetch=1;Fetch=100"),
             "@1=REPORT(SHEET=1 CELL=A2)\r\nselect g from generate_series(1, 5000000) g\r\n");
  write("r.xlsx", "the previous report");
  const int status = runThen("generate_series", "1", server.stopCommand());
  const std::string log = readBytes(file("run.log"));
  if (logHas("Error: The run stopped on a fatal fault (SIGSEGV).")) {
    EXPECT_EQ(status, 139) << log;
    EXPECT_EQ(logLines("run.log").back(), "Error: The run stopped on a fatal fault (SIGSEGV).");
    EXPECT_EQ(readBytes(file("r.xlsx")), "the previous report");
  } else {
    EXPECT_EQ(status, 1) << log;
    EXPECT_TRUE(logHas("Error: Failed to execute function REPORT."));
    EXPECT_TRUE(logHasPrefix("Error Info: "));
    EXPECT_EQ(logLines("run.log").back(), "Close the log file.");
    // A whole workbook from the template, in place of the previous report.
    EXPECT_EQ(python("import openpyxl\nws = openpyxl.load_workbook(" + pyString(file("r.xlsx")) +
                     ").active\nprint(ws['A1'].value)"),
              "=Answer\n");
  }
  // No temporary report is left beside it.
  for (const auto &entry : std::filesystem::directory_iterator(file("")))
    EXPECT_EQ(entry.path().filename().string().rfind("r.xlsx.", 0), std::string::npos)
        << entry.path();
}

TEST_F(BatchMariaDb, DatesTheSheetCannotHoldArriveAsTheirExactText) {
  // MariaDB keeps zero dates ('0000-00-00'), dates with a zero month or day and years from 1:
  // none of them is a date a worksheet holds, so each arrives as the text the server writes.
  definition("Name1=" + dsn + "\r\nUser1=" + user + "\r\nPassword1=" + password,
             "@1=EXECSQL()\r\nset session sql_mode = ''\r\n"
             "@2=EXECSQL()\r\ncreate temporary table d (n int, day date, stamp datetime(3), "
             "ts timestamp null)\r\n"
             "@3=EXECSQL()\r\ninsert into d values "
             "(1, '2024-03-05', '2024-03-05 14:30:15.250', '2024-03-05 14:30:15'), "
             "(2, '0000-00-00', '0000-00-00 00:00:00', '0000-00-00 00:00:00'), "
             "(3, '2024-00-00', '2024-02-00 10:00:00', null), "
             "(4, '1899-12-31', '0001-01-01 00:00:00', null), "
             "(5, '9999-12-31', '9999-12-31 12:00:00', null)\r\n"
             "@4=REPORT(SHEET=1 CELL=A2)\r\nselect day, stamp, ts from d order by n\r\n");
  ASSERT_EQ(brevant("report.kvd -C", environment()), 0) << lastOutput << readBytes(file("run.log"));
  const std::string today =
      python("import datetime\nprint(datetime.date.today().isoformat())").substr(0, 10);
  const std::string cells =
      python("import openpyxl\nws = openpyxl.load_workbook(" + pyString(file("r.xlsx")) +
             ").active\nfor row in ws.iter_rows(min_row=2, max_row=6):\n"
             "  print(' | '.join(type(c.value).__name__ + ' ' + str(c.value) for c in row))");
  EXPECT_EQ(cells, "datetime 2024-03-05 00:00:00 | datetime 2024-03-05 14:30:15.250000 | "
                   "datetime 2024-03-05 14:30:15\n"
                   "str 0000-00-00 | str 0000-00-00 00:00:00.000 | str 0000-00-00 00:00:00\n"
                   "str 2024-00-00 | str 2024-02-00 10:00:00.000 | NoneType None\n"
                   "str 1899-12-31 | str 0001-01-01 00:00:00.000 | NoneType None\n"
                   "datetime 9999-12-31 00:00:00 | datetime 9999-12-31 12:00:00 | NoneType None\n");
  EXPECT_EQ(cells.find(today), std::string::npos);
}

} // namespace
} // namespace brevant::testing
