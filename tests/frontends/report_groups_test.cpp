// The grouped REPORT fill end to end: group blocks written once per group, nested groups, group
// ranges, totals that keep summing their own group, page breaks and the failure lines.
#include "report_fixture.h"

#include <cstdlib>

namespace brevant::testing {
namespace {

class Groups : public ReportRun {
protected:
  void SetUp() override {
    makeDatabase("data.db", "create table items (grp text, name text, qty integer, price real);"
                            "insert into items values ('G1', 'a', 1, 1.5), ('G1', 'b', 2, 2.5),"
                            "('G2', 'c', 3, 3.5);"
                            "create table none (grp text, name text);");
  }
};

TEST_F(Groups, RowsNotAlignedCopyEachBlockFromTheTemplateCopy) {
  makeTemplate("template.xlsx", "from openpyxl.styles import Font\n"
                                "ws['A2'].font = Font(bold=True)\nws['A4'] = 'End'\n");
  definition("@1=REPORT(SHEET=1 CELL=A2,A3 GROUP=grp GROUPRANGE=A2:C3)\r\n"
             "select grp, name, qty, price from items order by grp, name\r\n");
  const auto lines = run();
  EXPECT_TRUE(has(lines, "[1]    Returns 3 records from the data source.")) << lastOutput;
  EXPECT_TRUE(has(lines, "[1]    Success."));
  EXPECT_EQ(values("A2:C8"), "G1||\na|1|1.5\nb|2|2.5\nG2||\nc|3|3.5\nEnd||\n||\n");
  EXPECT_EQ(report("print([ws.cell(r, 1).font.b for r in range(2, 8)])"),
            "[True, False, False, True, False, False]\n");
}

TEST_F(Groups, RowsAlignedInsertOnceAndLeaveTheGroupCellOfFurtherRecordsEmpty) {
  makeTemplate("template.xlsx", "ws['A3'] = 'End'\n");
  definition("@1=REPORT(SHEET=1 CELL=A2,B2 GROUP=1 GROUPRANGE=A2:C2)\r\n"
             "select grp, name, qty from items order by grp, name\r\n");
  const auto lines = run();
  EXPECT_TRUE(has(lines, "[1]    Success.")) << lastOutput;
  EXPECT_EQ(values("A2:C6"), "G1|a|1\n|b|2\nG2|c|3\nEnd||\n||\n");
}

TEST_F(Groups, AChangeInAnOuterGroupRestartsTheInnerOnes) {
  makeDatabase("nested.db", "create table t (a text, b text, n integer);"
                            "insert into t values ('A', 'x', 1), ('A', 'x', 2), ('B', 'x', 3),"
                            "('B', null, 4), ('B', 'y', 5);");
  makeTemplate("template.xlsx", "ws['A5'] = 'End'\n");
  write("report.kvd", "Quorvel Version 2.0\r\n[Data Source]\r\nName1=data\r\n"
                      "ConnectionString1=Driver=SQLite3;Database=nested.db\r\n\r\n[File]\r\n"
                      "ReportTemplateFileName=template.xlsx\r\nReportFileName=report.xlsx\r\n"
                      "LogFileName=run.log\r\n\r\n[SQL]\r\n"
                      "@1=REPORT(SHEET=1 CELL=A2,A3,A4 GROUP=a GROUP=B)\r\n"
                      "select a, b, n from t order by n\r\n");
  const auto lines = run();
  EXPECT_TRUE(has(lines, "[1]    Success.")) << lastOutput;
  // A Null group value keeps the record in its group, and the next value compares with the
  // last one written.
  EXPECT_EQ(values("A2:A13"), "A\nx\n1\n2\nB\nx\n3\n4\ny\n5\nEnd\n\n");
}

TEST_F(Groups, EachListTakesNumbersOrNamesByItsOwnFirstEntry) {
  makeTemplate("template.xlsx", "ws['C2'] = 'style'\n");
  definition("@1=REPORT(SHEET=1 CELL=A2,B2,C2 GROUP=1 GROUP=NAME IMAGE=qty)\r\n"
             "select grp, name, null as qty from items order by grp, name\r\n");
  const auto lines = run();
  EXPECT_TRUE(has(lines, "[1]    Success.")) << lastOutput;
  EXPECT_EQ(values("A2:C4"), "G1|a|\n|b|\nG2|c|\n");
}

TEST_F(Groups, TenGroupLevelsWork) {
  std::string fields, groups, cells;
  for (int i = 1; i <= 11; ++i) {
    fields +=
        (i > 1 ? ", " : "") + std::string(i < 11 ? "'g'" : "name") + " as f" + std::to_string(i);
    if (i < 11)
      groups += " GROUP=" + std::to_string(i);
    cells += (i > 1 ? "," : "") + std::string("A") + std::to_string(i + 1);
  }
  makeTemplate("template.xlsx", "ws['A13'] = 'End'\n");
  definition("@1=REPORT(SHEET=1 CELL=" + cells + groups + ")\r\nselect " + fields +
             " from items order by name\r\n");
  const auto lines = run();
  EXPECT_TRUE(has(lines, "[1]    Success.")) << lastOutput;
  EXPECT_EQ(values("A2:A15"), "g\ng\ng\ng\ng\ng\ng\ng\ng\ng\na\nb\nc\nEnd\n");
}

TEST_F(Groups, TheSameOfBothBreaksIsOnePageBreak) {
  makeDatabase("breaks.db", "create table t (g integer, n integer);"
                            "insert into t with recursive s(i) as (select 0 union all select "
                            "i + 1 from s where i < 14) select i / 5, i from s;");
  makeTemplate("template.xlsx", "");
  write("report.kvd", "Quorvel Version 2.0\r\n[Data Source]\r\nName1=data\r\n"
                      "ConnectionString1=Driver=SQLite3;Database=breaks.db\r\n\r\n[File]\r\n"
                      "ReportTemplateFileName=template.xlsx\r\nReportFileName=report.xlsx\r\n"
                      "LogFileName=run.log\r\n\r\n[SQL]\r\n"
                      "@1=REPORT(SHEET=1 CELL=A1,A2 GROUP=g PAGEBREAK=2G,5R)\r\n"
                      "select g, n from t order by n\r\n");
  const auto lines = run();
  EXPECT_TRUE(has(lines, "[1]    Success.")) << lastOutput;
  // Groups of six rows. Records 5 and 10 start groups 2 and 3; group 3 is also the third block
  // of level 1: one break above it, and none after the last record.
  EXPECT_EQ(values("A7:A8"), "1\n5\n");
  EXPECT_EQ(values("A13:A14"), "2\n10\n");
  EXPECT_EQ(report("print(sorted(b.id for b in ws.row_breaks.brk))"), "[6, 12]\n");
}

TEST_F(Groups, IdenticalBlocksAreAutoFilledAndWrittenInPlace) {
  makeTemplate("template.xlsx", "from openpyxl.styles import PatternFill\n"
                                "ws['C2'].fill = PatternFill('solid', fgColor='FFFF00')\n"
                                "ws['A3'] = 'End'\n");
  definition("@1=REPORT(SHEET=1 CELL=A2,B2 GROUP=grp GROUPRANGE=A2:C2 RANGE=A2:C2)\r\n"
             "select grp, name from items order by grp, name\r\n");
  const auto lines = run();
  EXPECT_TRUE(has(lines, "[1]    Success.")) << lastOutput;
  EXPECT_EQ(values("A2:B6"), "G1|a\n|b\nG2|c\nEnd|\n|\n");
  EXPECT_EQ(report("print([ws.cell(r, 3).fill.fgColor.rgb for r in range(2, 6)])"),
            "['00FFFF00', '00FFFF00', '00FFFF00', '00000000']\n");
}

TEST_F(Groups, NoRecordsDeleteLevelOnesBlockOnlyWhenAsked) {
  makeTemplate("template.xlsx", "ws['A2'] = 'g'\nws['A3'] = 'd'\nws['A4'] = 'End'\n"
                                "ws['C2'] = 'g'\nws['C3'] = 'd'\nws['C4'] = 'End'\n");
  definition("@1=REPORT(SHEET=1 CELL=A2,A3 GROUP=1)\r\nselect grp, name from none\r\n"
             "@2=REPORT(SHEET=1 CELL=C2,C3 GROUP=1 NODATA=DELRANGE)\r\n"
             "select grp, name from none\r\n");
  const auto lines = run();
  EXPECT_TRUE(has(lines, "[2]    Returns 0 record from the data source.")) << lastOutput;
  EXPECT_TRUE(has(lines, "[2]    Success."));
  EXPECT_EQ(values("A2:C4"), "g||End\nd||\nEnd||\n");
}

TEST_F(Groups, FailureLinesNameTheGroupAndLeaveTheSheet) {
  makeTemplate("template.xlsx", "ws['A9'] = 'End'\nws['D3'] = 'style'\n");
  definition("@1=REPORT(SHEET=1 CELL=A2,A3,B4 GROUP=grp GROUP=name GROUPRANGE=A3:A4)\r\n"
             "select grp, name, qty from items\r\n"
             "@2=REPORT(SHEET=1 CELL=A2,A3 GROUP=grp GROUP=nope)\r\nselect grp, name from "
             "items\r\n"
             "@3=REPORT(SHEET=1 CELL=A2,A3 GROUP=grp GROUPRANGE=A2:B)\r\n"
             "select grp, name from items\r\n"
             "@4=REPORT(SHEET=1 CELL=A2,A3 GROUP=1,x)\r\nselect grp, name from items\r\n"
             "@5=REPORT(SHEET=1 CELL=A2,A3,D3 GROUP=grp RANGE=A3:B3)\r\n"
             "select grp, name, qty from items\r\n"
             "@6=REPORT(SHEET=1 CELL=A2,A3,D3 GROUP=grp IMAGE=3 IMAGE=pic)\r\n"
             "select grp, name, qty from items\r\n");
  const auto lines = run();
  for (const char *label : {"1", "2", "3", "4", "5", "6"})
    EXPECT_TRUE(has(lines, std::string("[") + label + "]    Failure.")) << label << lastOutput;
  EXPECT_TRUE(has(lines, "Error: The grouprange of group2 should be A3:B4."));
  EXPECT_TRUE(has(lines, "Error: Syntax error. Failed to parse group 2."));
  EXPECT_TRUE(has(lines, "Error Info: Can not find field \"nope\"."));
  EXPECT_TRUE(has(lines, "Error: Syntax error. Failed to parse grouprange."));
  EXPECT_TRUE(has(lines, "Error: Syntax error. Failed to parse group."));
  EXPECT_TRUE(has(lines, "Error: The range or copyrange should be A3:D3."));
  EXPECT_TRUE(has(lines, "Error: Syntax error. Failed to parse image."));
  EXPECT_EQ(values("A2:D9"), "|||\n|||style\n|||\n|||\n|||\n|||\n|||\nEnd|||\n");
}

// Regions of customers of orders of items: 4 x 10 x 5 x 12 = 2,400 records. Each level's block
// is wider than its fields and ends in a spacer, so that the totals' ranges take every insert.
class ThreeLevels : public ReportRun {
protected:
  void SetUp() override {
    makeDatabase("data.db",
                 "create table sales as with recursive n(i) as (select 0 union all select i + 1 "
                 "from n where i < 2399) select 'R' || (i / 600) as region, 'a.png' as pic, "
                 "'C' || (i / 60) as customer, 'O' || (i / 12) as ord, 'I' || i as item, "
                 "(i % 7) + 1 as amount, i from n;");
    python("from PIL import Image\nImage.new('RGB', (40, 20), (30, 30, 200)).save(" +
           pyString(file("a.png")) + ")\n");
  }

  // The template in rows (ROW) or transposed into columns (COL).
  void makeLayout(bool byColumn) {
    makeTemplate("template.xlsx", std::string("T = ") + (byColumn ? "True" : "False") +
                                      "\n"
                                      "from openpyxl.utils import get_column_letter as L\n"
                                      "def put(r, c, v):\n"
                                      "  if T: r, c = c, r\n"
                                      "  ws.cell(r, c).value = v\n"
                                      "def a(r, c):\n"
                                      "  return L(r) + str(c) if T else L(c) + str(r)\n"
                                      "put(2, 2, 'MNS')\n"
                                      "put(2, 7, '=SUM(' + a(3, 5) + ':' + a(8, 5) + ')')\n"
                                      "put(4, 6, '=SUM(' + a(5, 5) + ':' + a(6, 5) + ')')\n"
                                      "put(9, 1, 'End')\n");
  }

  std::string script(bool byColumn) {
    const char *rows = "@1=REPORT(SHEET=1 CELL=A2,B2,B3,C4,D5 GROUP=region,pic "
                       "GROUPRANGE=A2:G8 GROUP=customer GROUPRANGE=A3:G7 GROUP=ord "
                       "GROUPRANGE=A4:G6 RANGE=A5:G5 IMAGE=pic PAGEBREAK=2G1,5R)\r\n";
    const char *columns = "@1=REPORT(SHEET=1 CELL=B1,B2,C2,D3,E4 GROUP=region,pic "
                          "GROUPRANGE=B1:H7 GROUP=customer GROUPRANGE=C1:G7 GROUP=ord "
                          "GROUPRANGE=D1:F7 RANGE=E1:E7 IMAGE=pic PAGEBREAK=2G1,5R "
                          "FILLORDER=COL)\r\n";
    return std::string(byColumn ? columns : rows) +
           "select region, pic, customer, ord, item, amount from sales order by i\r\n";
  }

  // Checks the layout, the totals recalculated by LibreOffice, the breaks and the pictures.
  void check(bool byColumn) {
    const std::string T = byColumn ? "True" : "False";
    EXPECT_EQ(
        report("T = " + T +
               "\n"
               "def v(r, c):\n"
               "  return ws.cell(c, r).value if T else ws.cell(r, c).value\n"
               "heads = [r for r in range(1, 3000) if v(r, 1)]\n"
               "print(heads)\n"
               "print(sum(1 for r in range(1, 3000) if v(r, 3)), v(5, 4), v(2886, 4))\n"
               "print(v(4, 6), v(2, 7))\n"
               "brk = sorted(b.id for b in (ws.col_breaks if T else ws.row_breaks).brk)\n"
               "print(len(brk), [x in brk for x in (9, 74, 1445)])\n"),
        "[2, 724, 1446, 2168, 2890]\n200 I0 I2399\n" +
            std::string(byColumn ? "=SUM(E5:Q5) =SUM(C5:AAU5)\n" : "=SUM(E5:E17) =SUM(E3:E723)\n") +
            "479 [True, True, True]\n");
    recalculated();
    EXPECT_EQ(python("import csv\nT = " + T + "\nrows = list(csv.reader(open(" +
                     pyString(file("report.csv")) +
                     ")))\n"
                     "def v(r, c):\n"
                     "  if T: r, c = c, r\n"
                     "  try: return rows[r - 1][c - 1]\n"
                     "  except IndexError: return ''\n"
                     "orders = regions = 0\n"
                     "for r in range(1, 3000):\n"
                     "  if v(r, 3):\n"
                     "    orders += float(v(r, 6)) == sum(float(v(r + j, 5)) for j in "
                     "range(1, 13))\n"
                     "  if v(r, 1).startswith('R'):\n"
                     "    n = int(v(r, 1)[1:])\n"
                     "    regions += float(v(r, 7)) == sum(i % 7 + 1 for i in range(600 * n, "
                     "600 * n + 600))\n"
                     "print(orders, regions)\n"),
              "200 4\n");
    // One picture in each region's header.
    EXPECT_EQ(python("import zipfile, re\nz = zipfile.ZipFile(" + pyString(file("report.xlsx")) +
                     ")\nxml = ''.join(z.read(n).decode() for n in z.namelist() if "
                     "n.startswith('xl/drawings/drawing'))\n"
                     "print(re.findall(r'<xdr:from><xdr:col>(\\d+)</xdr:col>.*?<xdr:row>(\\d+)"
                     "</xdr:row>', xml))\n"),
              byColumn ? "[('1', '1'), ('723', '1'), ('1445', '1'), ('2167', '1')]\n"
                       : "[('1', '1'), ('1', '723'), ('1', '1445'), ('1', '2167')]\n");
  }
};

TEST_F(ThreeLevels, RowFill) {
  makeLayout(false);
  definition(script(false));
  const auto lines = run();
  EXPECT_TRUE(has(lines, "[1]    Returns 2400 records from the data source.")) << lastOutput;
  EXPECT_TRUE(has(lines, "[1]    Success."));
  check(false);
}

TEST_F(ThreeLevels, ColumnFill) {
  makeLayout(true);
  definition(script(true));
  const auto lines = run();
  EXPECT_TRUE(has(lines, "[1]    Success.")) << lastOutput;
  check(true);
}

// The same report from the private PostgreSQL server that scripts/test starts, over ODBC.
class ThreeLevelsPostgres : public ThreeLevels {
protected:
  void SetUp() override {
    if (std::getenv("BREVANT_PG_DSN") == nullptr)
      GTEST_SKIP() << "no PostgreSQL server (run through scripts/test)";
    ThreeLevels::SetUp();
  }

  void runOnServer(bool byColumn) {
    makeLayout(byColumn);
    // A temporary table lives in the run's one session, so parallel tests never meet.
    write("report.kvd",
          std::string("Quorvel Version 2.0\r\n[Data Source]\r\nName1=") +
              std::getenv("BREVANT_PG_DSN") + "\r\nUser1=" + std::getenv("BREVANT_PG_USER") +
              "\r\nPassword1=" + std::getenv("BREVANT_PG_PASSWORD") +
              "\r\n\r\n[File]\r\nReportTemplateFileName=template.xlsx\r\n"
              "ReportFileName=report.xlsx\r\nLogFileName=run.log\r\n\r\n[SQL]\r\n"
              "@0=EXECSQL()\r\ncreate temporary table sales as select 'R' || (i / 600) as "
              "region, 'a.png'::text as pic, 'C' || (i / 60) as customer, 'O' || (i / 12) as "
              "ord, 'I' || i as item, (i % 7) + 1 as amount, i from generate_series(0, 2399) "
              "as i\r\n" +
              script(byColumn));
    std::string env;
    for (const char *name : {"ODBCSYSINI", "ODBCINI"})
      if (const char *value = std::getenv(name))
        env += std::string(name) + "=" + shellQuote(value) + " ";
    brevant("report.kvd -C", env);
    const auto lines = logLines("run.log");
    EXPECT_TRUE(has(lines, "[1]    Returns 2400 records from the data source.")) << lastOutput;
    EXPECT_TRUE(has(lines, "[1]    Success."));
    check(byColumn);
  }
};

TEST_F(ThreeLevelsPostgres, RowFill) { runOnServer(false); }
TEST_F(ThreeLevelsPostgres, ColumnFill) { runOnServer(true); }

} // namespace
} // namespace brevant::testing
