#pragma once
// A small runnable report for the Run dialog's tests: an SQLite database and an openpyxl-made
// template with defined names, in the test's folder.

#include "support/commands.h"
#include "support/sqlite_file.h"
#include "workspace_fixture.h"

#include <string>

namespace brevant::testing {

class ReportTest : public WorkspaceTest {
protected:
  void makeDatabase(const std::string &name, const std::string &sql) {
    sqliteExec(file(name), sql);
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
