// The REPORT record fills end to end: rows and columns made room for, template formats copied,
// formulas and totals following, page breaks, and every failure line.
#include "report_fixture.h"

namespace brevant::testing {
namespace {

class Fill : public ReportRun {
protected:
  void SetUp() override {
    makeDatabase("data.db", "create table items (id integer, name text, qty integer, price real);"
                            "insert into items values (1, 'a', 1, 1.5), (2, 'b', 2, 2.5),"
                            "(3, 'c', 3, 3.5), (4, 'd', 4, 4.5);"
                            "create table none (id integer, name text);");
  }
};

TEST_F(Fill, ReserveTwoKeepsTheSpareBlockLastAndTheTotalGrows) {
  makeTemplate("template.xlsx", "from openpyxl.styles import PatternFill\n"
                                "ws['A4'] = 'Name'\n"
                                "ws['C5'].number_format = '0.00'\n"
                                "ws['C5'].fill = PatternFill('solid', fgColor='FFFF00')\n"
                                "ws['C6'].fill = PatternFill('solid', fgColor='C0C0C0')\n"
                                "ws['A7'] = 'Total'\nws['C7'] = '=SUM(C5:C6)'\n");
  definition("@1=REPORT(SHEET=1 CELL=A5 RESERVE=2 COPYRANGE=A5:C5)\r\n"
             "select name, qty, price from items order by id\r\n");
  const auto lines = run();
  EXPECT_TRUE(has(lines, "[1]    Returns 4 records from the data source.")) << lastOutput;
  EXPECT_TRUE(has(lines, "[1]    Success."));
  EXPECT_EQ(values("A5:C9"), "a|1|1.5\nb|2|2.5\nc|3|3.5\nd|4|4.5\nTotal||=SUM(C5:C8)\n");
  EXPECT_EQ(report("for r in range(5, 9): print(ws.cell(r, 3).fill.fgColor.rgb, "
                   "ws.cell(r, 3).number_format)"),
            "00FFFF00 0.00\n00FFFF00 0.00\n00FFFF00 0.00\n00C0C0C0 General\n");
  EXPECT_NE(recalculated().find("Total,,12"), std::string::npos);
}

TEST_F(Fill, FormulasOfTheBlockFollowEveryRecord) {
  makeTemplate("template.xlsx", "ws['A1'] = 'Name'\nws['D2'] = '=B2*C2'\nws['A3'] = 'End'\n");
  definition("@1=REPORT(CELL=A2 COPYRANGE=A2:D2 SHEET=1)\r\n"
             "select name, qty, price from items order by id\r\n");
  run();
  EXPECT_EQ(values("A2:D6"), "a|1|1.5|=B2*C2\nb|2|2.5|=B3*C3\nc|3|3.5|=B4*C4\nd|4|4.5|=B5*C5\n"
                             "End|||\n");
  EXPECT_NE(recalculated().find("d,4,4.5,18"), std::string::npos);
}

TEST_F(Fill, OneRecordOrTwoInTwoReservedBlocksInsertNothing) {
  makeTemplate("template.xlsx", "ws['A4'] = 'End'\n");
  definition("@1=REPORT(SHEET=1 CELL=A2)\r\nselect name from items where id = 1\r\n"
             "@2=REPORT(SHEET=1 CELL=B2 RESERVE=2 COPYRANGE=B2)\r\n"
             "select name from items where id <= 2 order by id\r\n");
  const auto lines = run();
  EXPECT_TRUE(has(lines, "[1]    Returns 1 record from the data source."));
  EXPECT_TRUE(has(lines, "[2]    Success."));
  EXPECT_EQ(values("A2:B4"), "a|a\n|b\nEnd|\n");
}

TEST_F(Fill, FewerRecordsThanReservedBlocksAndNoData) {
  makeTemplate("template.xlsx", "ws['A2'] = 'x'\nws['A3'] = 'spare'\nws['A4'] = 'End'\n"
                                "ws['C2'] = 'x'\nws['C3'] = 'spare'\nws['C4'] = 'End'\n"
                                "ws['E2'] = 'x'\nws['E3'] = 'spare'\nws['E4'] = 'End'\n"
                                "ws['G2'] = 'x'\nws['G3'] = 'End'\n"
                                "ws['I2'] = 'x'\nws['I3'] = 'End'\n");
  definition("@1=REPORT(SHEET=1 CELL=A2 RESERVE=2)\r\nselect name from items where id = 1\r\n"
             "@2=REPORT(SHEET=1 CELL=C2 RESERVE=2)\r\nselect name from none\r\n"
             "@3=REPORT(SHEET=1 CELL=E2 RESERVE=2 NODATA=DELRANGE)\r\nselect name from none\r\n"
             "@4=REPORT(SHEET=1 CELL=G2 NODATA=DELRANGE)\r\nselect name from none\r\n"
             "@5=REPORT(SHEET=1 CELL=I2 TYPE=FIX NODATA=DELRANGE)\r\nselect name from none\r\n");
  const auto lines = run();
  EXPECT_TRUE(has(lines, "[2]    Returns 0 record from the data source."));
  for (const char *label : {"1", "2", "3", "4", "5"})
    EXPECT_TRUE(has(lines, std::string("[") + label + "]    Success.")) << label;
  // Deleting cells shifts only the block's own column up.
  EXPECT_EQ(values("A2:I4"), "a||spare||End||End||x\n"
                             "End||End||||||End\n"
                             "||||||||\n");
}

TEST_F(Fill, FixedFillBreaksAfterEveryOtherBlockAndInsertsNothing) {
  makeTemplate("template.xlsx", "from openpyxl.styles import Font\n"
                                "ws['A2'].font = Font(bold=True)\nws['A7'] = 'below'\n");
  definition("@1=REPORT(SHEET=1 CELL=A2 TYPE=FIX PAGEBREAK=2 COPYRANGE=A2:B2)\r\n"
             "select id, name from items order by id\r\n");
  run();
  EXPECT_EQ(values("A2:B7"), "1|a\n2|b\n3|c\n4|d\n|\nbelow|\n");
  EXPECT_EQ(report("print([ws.cell(r, 1).font.b for r in range(2, 7)])\n"
                   "print([b.id for b in ws.row_breaks.brk])"),
            "[True, True, True, True, False]\n[3, 5]\n");
}

TEST_F(Fill, VariableFillBreaksOnlyBetweenBlocks) {
  makeTemplate("template.xlsx", "ws['A3'] = 'End'\n");
  definition(
      "@1=REPORT(SHEET=1 CELL=A2 PAGEBREAK=2R)\r\nselect id, name from items order by id\r\n");
  run();
  EXPECT_EQ(values("A2:B6"), "1|a\n2|b\n3|c\n4|d\nEnd|\n");
  EXPECT_EQ(report("print([b.id for b in ws.row_breaks.brk])"), "[3]\n");
}

TEST_F(Fill, ColumnFillInsertsColumnsAndBreaksBetweenThem) {
  makeTemplate("template.xlsx", "ws['A1'] = 'Name'\nws['A2'] = 'Qty'\nws['C1'] = 'right'\n"
                                "ws['B2'].number_format = '0.0'\n");
  definition("@1=REPORT(SHEET=1 CELL=B1 FILLORDER=COL PAGEBREAK=2 COPYRANGE=B1:B2)\r\n"
             "select name, qty from items order by id\r\n");
  run();
  EXPECT_EQ(values("A1:F2"), "Name|a|b|c|d|right\nQty|1|2|3|4|\n");
  EXPECT_EQ(report("print([b.id for b in ws.col_breaks.brk])\n"
                   "print([ws.cell(2, c).number_format for c in range(2, 6)])"),
            "[3]\n['0.0', '0.0', '0.0', '0.0']\n");
}

TEST_F(Fill, CellListGapsFollowThePreviousField) {
  makeTemplate("template.xlsx", "ws['A9'] = 'x'\n");
  definition("@1=REPORT(SHEET=1 CELL=A1,'',C1 TYPE=FIX)\r\n"
             "select id, name, qty, price from items where id = 1\r\n"
             "@2=REPORT(SHEET=1 CELL=B3 CELL=D3 FILLORDER=COL TYPE=FIX)\r\n"
             "select id, name, qty from items where id <= 2 order by id\r\n"
             "@3=REPORT(SHEET=1 CELL=A6,B6,NOT-A-CELL TYPE=FIX)\r\n"
             "select id, name from items where id = 2\r\n");
  const auto lines = run();
  EXPECT_TRUE(has(lines, "[3]    Success.")) << "entries beyond the fields are not read";
  EXPECT_EQ(values("A1:D6"), "1|a|1|1.5\n|||\n|1||a\n|||1\n|||\n2|b||\n");
  // Field 3 of @2 follows D3 downwards; the block is three columns wide.
  EXPECT_EQ(values("E3:G4"), "2||b\n||2\n");
}

TEST_F(Fill, EveryFailureHasItsOwnLine) {
  makeTemplate("template.xlsx", "ws['A1'] = 'x'\n");
  definition("@1=REPORT(SHEET=1 CELL=B3 RANGE=B3:C3)\r\nselect 1, 2, 3, 4, 5\r\n"
             "@2=REPORT(SHEET=1 CELL=B3 COPYRANGE=Q)\r\nselect 1\r\n"
             "@3=REPORT(SHEET=1 CELL=B3,ZZZZ9)\r\nselect 1, 2\r\n"
             "@4=REPORT(SHEET=1 CELL=B3)\r\nselect * from missing_table\r\n"
             "@5=REPORT(SHEET=1 CELL=B3 IMAGE=3)\r\nselect 1, 2\r\n"
             "@6=REPORT(SHEET=1 CELL=B3 IMAGE=Photo TYPE=FIX)\r\nselect 1 as a\r\n"
             "@7=REPORT(SHEET=1 CELL=B3 IMAGE=1 IMAGE=b)\r\nselect 1 as a, 2 as b\r\n");
  const auto lines = run();
  auto after = [&](const std::string &line) {
    const auto at = std::find(lines.begin(), lines.end(), line);
    return at == lines.end() || at + 1 == lines.end() ? std::string("(missing)") : *(at + 1);
  };
  EXPECT_TRUE(has(lines, "Error: The range or copyrange should be B3:F3."));
  EXPECT_EQ(after("Error: The range or copyrange should be B3:F3."), "[1]    Failure.");
  EXPECT_EQ(after("Error: Syntax error. Failed to parse range 'Q'.").rfind("Error Info: ", 0), 0u);
  EXPECT_EQ(after("Error: Syntax error. Failed to parse cell list.").rfind("Error Info: ", 0), 0u);
  EXPECT_NE(after("Error: Failed to execute function REPORT.").find("missing_table"),
            std::string::npos);
  EXPECT_TRUE(has(lines, "Error Info: Can not find field \"3\" in the image list."));
  EXPECT_TRUE(has(lines, "Error Info: Can not find field \"Photo\" in the image list."));
  for (const char *label : {"1", "2", "3", "4", "5", "6", "7"})
    EXPECT_TRUE(has(lines, std::string("[") + label + "]    Failure.")) << label;
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "Error: Syntax error. Failed to parse image."),
            3);
  // Nothing was written, and the report is still saved.
  EXPECT_EQ(values("A1:C3"), "x||\n||\n||\n");
}

TEST_F(Fill, LongTextArrivesWholeAndNullKeepsTheFormat) {
  makeDatabase("data.db", "create table memo (id integer, amount real, body text);"
                          "insert into memo values (1, null, 'short'),"
                          "(2, 3.25, replace(hex(zeroblob(10000)), '0', 'x') || 'END');");
  makeTemplate("template.xlsx",
               "from openpyxl.styles import Font\n"
               "ws['B2'].font = Font(italic=True)\nws['B2'].number_format = '0.000'\n");
  definition("@1=REPORT(SHEET=1 CELL=A2 COPYRANGE=A2:C2)\r\nselect * from memo order by id\r\n");
  run();
  EXPECT_EQ(report("print(ws['B2'].value, ws['B2'].font.i, ws['B2'].number_format)\n"
                   "print(ws['B3'].value, ws['B3'].font.i)\n"
                   "print(len(ws['C3'].value), ws['C3'].value[-4:])"),
            "None True 0.000\n3.25 True\n20003 xEND\n");
}

TEST_F(Fill, ProgressLinesFollowTheInterval) {
  makeDatabase("data.db", "create table n (i integer);"
                          "with recursive s(i) as (select 1 union all select i + 1 from s where "
                          "i < 2500) insert into n select i from s;");
  makeTemplate("template.xlsx", "ws['A1'] = 'x'\n");
  definition("@1=REPORT(SHEET=1 CELL=A2)\r\nselect i from n where i <= 4\r\n"
             "@2=REPORT(SHEET=1 CELL=B2)\r\nselect i from n where i <= 5\r\n"
             "@3=REPORT(SHEET=1 CELL=C2)\r\nselect i from n\r\n");
  auto lines = run("-I 2");
  auto count = [&](const std::string &prefix) {
    return std::count_if(lines.begin(), lines.end(),
                         [&](const std::string &l) { return l.rfind(prefix, 0) == 0; });
  };
  EXPECT_TRUE(has(lines, "Processing record number 2 of 4..."));
  EXPECT_TRUE(has(lines, "Processing record number 4 of 4..."));
  EXPECT_TRUE(has(lines, "Processing record number 2,500 of 2,500..."));
  EXPECT_EQ(count("Process complete."), 3);
  lines = run("-I 0.5");
  // 5 records at half: a step of 2.5, rounded to 2.
  EXPECT_TRUE(has(lines, "Processing record number 4 of 5..."));
  EXPECT_TRUE(has(lines, "Processing record number 1,250 of 2,500..."));
  EXPECT_EQ(count("Processing record number"), 2 + 2 + 2);
  lines = run();
  EXPECT_EQ(count("Processing record number"), 0);
  EXPECT_EQ(count("Process complete."), 0);
  EXPECT_EQ(lastOutput.find("records"), std::string::npos) << "no display without a terminal";
}

TEST_F(Fill, TerminalShowsAProgressLineThatNeverReachesTheLog) {
  makeTemplate("template.xlsx", "ws['A1'] = 'x'\n");
  definition("@sales=REPORT(SHEET=1 CELL=A2)\r\nselect id from items\r\n");
  std::string screen;
  const std::string command = "cd " + shellQuote(folder.path().string()) +
                              " && BREVANT_SETTINGS=settings.reg " +
                              shellQuote(BREVANT_BINARY_DIR "/brevant") + " report.kvd -C";
  ASSERT_EQ(runCommand("script -qec " + shellQuote(command) + " /dev/null", &screen), 0) << screen;
  EXPECT_NE(screen.find("\r[sales]    1 of 4 records"), std::string::npos) << screen;
  EXPECT_NE(screen.find("\r\x1b[K"), std::string::npos);
  for (const std::string &line : logLines("run.log"))
    EXPECT_EQ(line.find(" of 4 records"), std::string::npos) << line;
}

} // namespace
} // namespace brevant::testing
