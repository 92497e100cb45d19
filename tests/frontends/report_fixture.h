#pragma once
// REPORT functions run through the real executable: one SQLite database "data.db" with the
// tables a test makes, a template made by openpyxl, and the report read back with openpyxl.

#include "batch_fixture.h"

#include <algorithm>
#include <string>
#include <vector>

namespace brevant::testing {

class ReportRun : public BatchRun {
protected:
  // A definition over data.db with template.xlsx, report.xlsx and run.log; `reportLines` may
  // name another report file and its type.
  void definition(const std::string &script, const std::string &templateName = "template.xlsx",
                  const std::string &reportLines = "ReportFileName=report.xlsx") {
    write("report.kvd", "Quorvel Version 2.0\r\n[Data Source]\r\nName1=data\r\n"
                        "ConnectionString1=Driver=SQLite3;Database=data.db\r\n\r\n[File]\r\n"
                        "ReportTemplateFileName=" +
                            templateName + "\r\n" + reportLines +
                            "\r\nLogFileName=run.log\r\n\r\n"
                            "[SQL]\r\n" +
                            script);
  }

  // Runs the definition; the log's lines.
  std::vector<std::string> run(const std::string &arguments = "") {
    brevant("report.kvd -C " + arguments);
    return logLines("run.log");
  }

  static bool has(const std::vector<std::string> &lines, const std::string &line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }

  // Python run with `wb` the report and `ws` its first sheet.
  std::string report(const std::string &body) {
    return python("import openpyxl\nwb = openpyxl.load_workbook(" + pyString(file("report.xlsx")) +
                  ")\nws = wb.worksheets[0]\n" + body);
  }

  // The values of a rectangle of the report's first sheet, one line per row, cells by '|'.
  std::string values(const std::string &range) {
    return report("for row in ws[" + pyString(range) +
                  "]:\n  print('|'.join('' if c.value is None else str(c.value) for c in row))");
  }

  // The report's first sheet as CSV, recalculated by LibreOffice.
  std::string recalculated() {
    const std::string profile = "file://" + file("lo-profile");
    std::string csv;
    EXPECT_EQ(runCommand("cd " + shellQuote(folder.path().string()) +
                             " && soffice -env:UserInstallation=" + profile +
                             " --headless --convert-to csv report.xlsx >/dev/null 2>&1 && cat "
                             "report.csv",
                         &csv),
              0);
    return csv;
  }
};

} // namespace brevant::testing
