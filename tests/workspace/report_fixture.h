#pragma once
// A small runnable report for the Run dialog's tests: an SQLite database and an openpyxl-made
// template with defined names, in the test's folder.

#include "workspace_fixture.h"

#include <sqlite3.h>

#include <cstdio>
#include <sys/wait.h>

namespace brevant::testing {

inline std::string shellQuote(const std::string &text) {
  std::string out = "'";
  for (char c : text)
    out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

inline std::string pyString(const std::string &text) {
  std::string out = "'";
  for (char c : text)
    out += (c == '\'' || c == '\\') ? std::string("\\") + c : std::string(1, c);
  return out + "'";
}

// Runs a script with Debian's python3 and openpyxl; its output.
inline std::string python(const std::string &script) {
  FILE *pipe = ::popen(("/usr/bin/python3 -c " + shellQuote(script) + " 2>&1").c_str(), "r");
  std::string out;
  char buffer[4096];
  size_t n;
  while (pipe != nullptr && (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
    out.append(buffer, n);
  const int status = pipe != nullptr ? ::pclose(pipe) : -1;
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << out;
  return out;
}

class ReportTest : public WorkspaceTest {
protected:
  void makeDatabase(const std::string &name, const std::string &sql) {
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(file(name).c_str(), &db), SQLITE_OK);
    char *error = nullptr;
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
    const std::string message = error != nullptr ? error : "";
    sqlite3_free(error);
    sqlite3_close(db);
    ASSERT_EQ(rc, SQLITE_OK) << message;
  }

  // sales.db with three orders, template.xlsx with the names Total and Region, and report.kvd
  // with `parameters` ("[Parameter]" lines) and `script`.
  std::string makeReport(const std::string &script, const std::string &parameters = "") {
    makeDatabase("sales.db", "create table orders (id integer, region text, amount real);"
                             "insert into orders values (1, 'North', 10.5), (2, 'South', 20),"
                             "(3, 'North', 4.5);");
    python("import openpyxl\nfrom openpyxl.workbook.defined_name import DefinedName\n"
           "wb = openpyxl.Workbook()\nws = wb.active\nws.title = 'Sales'\n"
           "ws['A1'] = 'Total'\nws['B1'] = '=Total'\n"
           "wb.defined_names.append(DefinedName('Total', attr_text='0'))\n"
           "wb.defined_names.append(DefinedName('Region', attr_text='\"none\"'))\n"
           "wb.save(" +
           pyString(file("template.xlsx")) + ")\n");
    write("report.kvd", "Quorvel Version 2.0\r\n[Data Source]\r\nName1=sales\r\n"
                        "ConnectionString1=Driver=SQLite3;Database=sales.db\r\n\r\n[File]\r\n"
                        "ReportTemplateFileName=template.xlsx\r\nReportFileName=out/report.xlsx\r\n"
                        "ReportFileType=51\r\nLogFileName=run.log\r\n" +
                            (parameters.empty() ? "" : "\r\n[Parameter]\r\n" + parameters) +
                            "\r\n[SQL]\r\n" + script);
    return file("report.kvd");
  }

  // The defined names of a saved workbook, "Name value" per line.
  std::string definedNames(const std::string &name) {
    return python("import openpyxl\nwb = openpyxl.load_workbook(" + pyString(file(name)) +
                  ")\nfor n in ('Total', 'Region'): print(n, wb.defined_names[n].attr_text)");
  }
};

} // namespace brevant::testing
