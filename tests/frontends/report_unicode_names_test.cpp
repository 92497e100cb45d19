// Names that match without regard to letter case follow Unicode, not just ASCII: fields in GROUP
// and IMAGE lists, sheet names and defined names, with accented, Greek and Cyrillic letters.
// Data-source names still match exactly.
#include "report_fixture.h"

namespace brevant::testing {
namespace {

class UnicodeNames : public ReportRun {
protected:
  void SetUp() override {
    makeDatabase("data.db", "create table t (\"Émission\" text, \"Сумма\" integer, \"Ωμέγα\" text);"
                            "insert into t values ('G1', 1, 'a'), ('G1', 2, 'b'), ('G2', 3, 'c');");
    makeTemplate("template.xlsx",
                 "from openpyxl.workbook.defined_name import DefinedName\n"
                 "ws.title = 'Données'\nws['A3'] = 'End'\n"
                 "g = wb.create_sheet('Πίνακας')\ng['A3'] = 'End'\n"
                 "wb.defined_names.append(DefinedName('σύνολο', attr_text=\"'Πίνακας'!$E$1\"))\n");
  }
};

TEST_F(UnicodeNames, FieldsSheetsAndDefinedNamesMatchInAnyLetterCase) {
  definition("@1=REPORT(SHEET=DONNÉES CELL=A2,B2 GROUP=émission GROUPRANGE=A2:C2)\r\n"
             "select \"Émission\", \"Ωμέγα\", \"Сумма\" from t order by 1, 2\r\n"
             "@2=REPORT(SHEET=ΠΊΝΑΚΑΣ CELL=A2,B2 GROUP=сУММА,ΩΜΈΓΑ GROUPRANGE=A2:B2)\r\n"
             "select \"Сумма\", \"Ωμέγα\" from t where \"Сумма\" = 3\r\n"
             "@3=NAME(NAME=ΣΎΝΟΛΟ)\r\nselect 42\r\n");
  const auto lines = run();
  EXPECT_TRUE(has(lines, "[1]    Success.")) << lastOutput;
  EXPECT_TRUE(has(lines, "[2]    Success."));
  EXPECT_TRUE(has(lines, "[3]    Success."));
  EXPECT_EQ(values("A2:C5"), "G1|a|1\n|b|2\nG2|c|3\nEnd||\n");
  // NAME gives the defined name its value, as the spreadsheet's Name.Value does.
  EXPECT_EQ(python("import openpyxl\nwb = openpyxl.load_workbook(" + pyString(file("report.xlsx")) +
                   ")\nws = wb['Πίνακας']\nprint(ws['A2'].value, ws['B2'].value, ws['A3'].value,"
                   " wb.defined_names.get('σύνολο').attr_text)"),
            "3 c End 42\n");
  EXPECT_NE(recalculated().find("G2,c,3"), std::string::npos);
}

TEST_F(UnicodeNames, AFieldThatDiffersInMoreThanCaseIsStillNotFound) {
  // "Emission" without the accent is another name; so is a Latin "A" for the Greek "Α".
  definition("@1=REPORT(SHEET=1 CELL=A2 GROUP=Emission)\r\nselect \"Émission\" from t\r\n");
  const auto lines = run();
  EXPECT_TRUE(has(lines, "Error Info: Can not find field \"Emission\".")) << lastOutput;
  EXPECT_TRUE(has(lines, "[1]    Failure."));
}

TEST_F(UnicodeNames, DataSourceNamesStillMatchExactly) {
  definition("@1=REPORT(SHEET=1 CELL=A2 CONNECT=DATA)\r\nselect 1\r\n");
  const auto lines = run();
  EXPECT_FALSE(has(lines, "[1]    Success.")) << lastOutput;
}

} // namespace
} // namespace brevant::testing
