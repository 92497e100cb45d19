// Reports carry their formulas' results wherever they are read: per-record formulas and totals
// of a variable fill in CSV, tab-separated text and .xlsx (read without recalculating), a text
// formula fed by NAME, a total shown through its number format, and a formula that cannot be
// computed left without a value and named in the log.
#include "report_fixture.h"

namespace brevant::testing {
namespace {

class ComputedValues : public ReportRun {
protected:
  void SetUp() override {
    makeDatabase("data.db", "create table items (id integer, name text, qty integer, price real);"
                            "insert into items values (1, 'a', 1, 1.5), (2, 'b', 2, 2.5),"
                            "(3, 'c', 3, 3.5), (4, 'd', 400, 4.5);");
    // Two reserved record blocks (rows 2 and 3) with their amounts, a total under them that
    // grows with the records, and a month title fed by NAME through the defined name
    // ReportMonth.
    makeTemplate("template.xlsx",
                 "from openpyxl.workbook.defined_name import DefinedName\n"
                 "ws.append(['Name', 'Qty', 'Price', 'Amount'])\n"
                 "ws['D2'] = '=B2*C2'\n"
                 "ws['D3'] = '=B3*C3'\n"
                 "ws['A4'] = 'Total'\n"
                 "ws['D4'] = '=SUM(D2:D3)'\n"
                 "ws['D4'].number_format = '#,##0.00'\n"
                 "ws['F1'] = '=\"Month \"&ReportMonth'\n"
                 "wb.defined_names.append(DefinedName('ReportMonth', attr_text='\"none\"'))\n");
  }
  std::string script() {
    return "@1=NAME(NAME=ReportMonth)\r\nselect 'June'\r\n"
           "@2=REPORT(SHEET=1 CELL=A2 RESERVE=2 COPYRANGE=A2:D2)\r\n"
           "select name, qty, price from items order by id\r\n";
  }
};

TEST_F(ComputedValues, CsvHoldsTheComputedValuesAsDisplayed) {
  definition(script(), "template.xlsx", "ReportFileName=report.csv\r\nReportFileType=6");
  const auto lines = run();
  EXPECT_TRUE(has(lines, "[2]    Success.")) << lastOutput;
  EXPECT_EQ(readBytes(file("report.csv")), "Name,Qty,Price,Amount,,Month June\r\n"
                                           "a,1,1.5,1.5,,\r\n"
                                           "b,2,2.5,5,,\r\n"
                                           "c,3,3.5,10.5,,\r\n"
                                           "d,400,4.5,1800,,\r\n"
                                           "Total,,,\"1,817.00\",,\r\n");
  for (const auto &line : lines)
    EXPECT_EQ(line.find("Warning: "), std::string::npos) << line;
}

TEST_F(ComputedValues, TabSeparatedTextHoldsTheComputedValues) {
  definition(script(), "template.xlsx", "ReportFileName=report.txt\r\nReportFileType=-4158");
  run();
  EXPECT_EQ(readBytes(file("report.txt")), "Name\tQty\tPrice\tAmount\t\tMonth June\r\n"
                                           "a\t1\t1.5\t1.5\t\t\r\n"
                                           "b\t2\t2.5\t5\t\t\r\n"
                                           "c\t3\t3.5\t10.5\t\t\r\n"
                                           "d\t400\t4.5\t1800\t\t\r\n"
                                           "Total\t\t\t1,817.00\t\t\r\n");
}

TEST_F(ComputedValues, WorkbookCarriesCachedValuesForReadersThatDoNotRecalculate) {
  definition(script());
  run();
  EXPECT_EQ(python("import openpyxl\nwb = openpyxl.load_workbook(" + pyString(file("report.xlsx")) +
                   ", data_only=True)\nws = wb.worksheets[0]\n"
                   "print([ws.cell(r, 4).value for r in range(2, 7)], ws['F1'].value)\n"),
            "[1.5, 5, 10.5, 1800, 1817] Month June\n");
  // The formulas stay, and readers that recalculate are still asked to.
  EXPECT_EQ(values("D6:D6"), "=SUM(D2:D5)\n");
  EXPECT_NE(python("import zipfile\nprint(zipfile.ZipFile(" + pyString(file("report.xlsx")) +
                   ").read('xl/workbook.xml').decode())")
                .find("fullCalcOnLoad=\"1\""),
            std::string::npos);
}

TEST_F(ComputedValues, FormulaOutsideTheLibraryHasNoValueAndAWarning) {
  makeTemplate("template.xlsx", "ws['A1'] = 7\nws['B1'] = '=CUBEVALUE(\"cube\",A1)'\n"
                                "ws['C1'] = '=B1*2'\nws['D1'] = '=A1*2'\n");
  definition("@1=REPORT(SHEET=1 CELL=E1 TYPE=FIX)\r\nselect 1\r\n");
  const auto lines = run();
  const std::string saved = "Save the report file \"" + file("report.xlsx") + "\".";
  auto at = std::find(lines.begin(), lines.end(), saved);
  ASSERT_NE(at, lines.end()) << lastOutput;
  ASSERT_NE(at + 1, lines.end());
  EXPECT_EQ(*(at + 1), "Warning: 2 formulas could not be computed (CUBEVALUE).");
  EXPECT_EQ(python("import openpyxl\nwb = openpyxl.load_workbook(" + pyString(file("report.xlsx")) +
                   ", data_only=True)\nws = wb.worksheets[0]\n"
                   "print(ws['B1'].value, ws['C1'].value, ws['D1'].value)\n"),
            "None None 14\n");
}

} // namespace
} // namespace brevant::testing
