// Every syntax error of a script, as a batch run logs it: the function's header echo, then the
// error; the other functions still run.
#include "batch_fixture.h"

namespace brevant::testing {
namespace {

TEST_F(BatchRun, EachSyntaxErrorIsLoggedAfterItsHeaderAndCounted) {
  makeDatabase("sales.db", "create table t (x integer);");
  makeTemplate("template.xlsx", "");
  std::string groups;
  for (int i = 0; i < 11; ++i)
    groups += " GROUP=x";
  const std::string script = "@1 EXECSQL()\r\nselect 1\r\n"
                             "@2=SELECT()\r\nselect 1\r\n"
                             "@3=EXECSQL CONNECT=sales\r\nselect 1\r\n"
                             "@4=EXECSQL(COLOR=red)\r\nselect 1\r\n"
                             "@5=REPORT(" +
                             groups.substr(1) +
                             ")\r\nselect 1\r\n"
                             "@6=EXECSQL(CONNECT sales)\r\nselect 1\r\n"
                             "@7=EXECSQL(CONNECT=nowhere)\r\nselect 1\r\n"
                             "@8=EXECSQL(CONNECT=2)\r\nselect 1\r\n"
                             "@9=REPORT(TYPE=WIDE)\r\nselect 1\r\n"
                             "@10=REPORT(GROUPRANGE=A1:B2)\r\nselect 1\r\n"
                             "@11=REPORT(SHEET=1,2)\r\nselect 1\r\n"
                             "@12=EXECSQL()\r\ninsert into t values (1)\r\n";
  write("report.kvd", "Quorvel Version 2.0\r\n[Data Source]\r\nName1=sales\r\n"
                      "ConnectionString1=Driver=SQLite3;Database=sales.db\r\n"
                      "Name2=down\r\nConnectionString2=Driver=SQLite3;Database=missing.db\r\n"
                      "\r\n[File]\r\nReportTemplateFileName=template.xlsx\r\n"
                      "ReportFileName=r.xlsx\r\nLogFileName=run.log\r\n\r\n[SQL]\r\n" +
                          script);
  EXPECT_EQ(brevant("report.kvd -C"), 1);
  const std::vector<std::string> lines = logLines("run.log");
  auto errorAfter = [&](const std::string &message) -> std::string {
    const auto at = std::find(lines.begin(), lines.end(), "Error: " + message);
    if (at == lines.end() || at == lines.begin())
      return "(missing)";
    return *(at - 1);
  };
  EXPECT_EQ(errorAfter("Syntax error. Expected \"=\" after \"@1\"."), "[1]    ");
  EXPECT_EQ(errorAfter("Syntax error. Unknown function name \"SELECT\"."), "[2]    ");
  EXPECT_EQ(errorAfter("Syntax error. Expected \"(\" after a function name."), "[3]    EXECSQL");
  EXPECT_EQ(errorAfter("Syntax error. Unknown parameter name \"COLOR\"."), "[4]    EXECSQL(COLOR");
  EXPECT_NE(errorAfter("Too much parameter name \"GROUP\". The number of parameter \"GROUP\" can "
                       "not be more than 10."),
            "(missing)");
  EXPECT_EQ(errorAfter("Syntax error. Expected \"=\" after the parameter name \"CONNECT\"."),
            "[6]    EXECSQL(CONNECT");
  EXPECT_NE(errorAfter("Connection error in [7]. Can not find data source \"nowhere\"."),
            "(missing)");
  EXPECT_NE(errorAfter("Connection error in [8]. Can not connect to the data source \"2\"."),
            "(missing)");
  EXPECT_NE(errorAfter("Syntax error. Unknown value \"WIDE\" for the parameter \"TYPE\"."),
            "(missing)");
  EXPECT_NE(errorAfter("Syntax error. Parameter \"GROUPRANGE\" must follow parameter \"GROUP\"."),
            "(missing)");
  EXPECT_NE(errorAfter("Syntax error. Unexpected character \",\" for the parameter \"SHEET\"."),
            "(missing)");
  EXPECT_NE(std::find(lines.begin(), lines.end(), "[12]    Success."), lines.end())
      << "a syntax error skips only its own function";
}

} // namespace
} // namespace brevant::testing
