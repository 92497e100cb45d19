// Cell text end to end: every character comes back as it was written (carriage returns,
// control characters, text that looks like an escape), and text longer than a workbook cell
// holds is cut in workbooks, with one warning per function, but kept whole in text files.
#include "report_fixture.h"

namespace brevant::testing {
namespace {

class CellText : public ReportRun {};

TEST_F(CellText, CarriageReturnsControlCharactersAndEscapeLookalikesRoundTrip) {
  makeDatabase("data.db", "create table t (id integer, v text);"
                          "insert into t values (1, 'one' || char(13) || 'two' || char(13, 10) ||"
                          " 'three'), (2, 'lit _x000D_ and _x005F_ stay'),"
                          " (3, 'bell' || char(7) || char(31) || 'end'), (4, 'plain\ttab');");
  // openpyxl writes the template's carriage return as a character reference.
  makeTemplate("template.xlsx", "ws['A1'] = 'head\\r\\nline'\nws['A6'] = 'End'\n");
  definition("@1=REPORT(SHEET=1 CELL=A2)\r\nselect v from t order by id\r\n");
  const auto lines = run();
  ASSERT_TRUE(has(lines, "[1]    Success.")) << lastOutput;
  // openpyxl 3.0 leaves "_xHHHH_" escapes undecoded, so the strings are read with Python's own
  // XML parser and decoded as the file format says.
  EXPECT_EQ(python("import re, zipfile, xml.etree.ElementTree as ET\n"
                   "x = zipfile.ZipFile(" +
                   pyString(file("report.xlsx")) +
                   ").read('xl/sharedStrings.xml')\n"
                   "ns = '{http://schemas.openxmlformats.org/spreadsheetml/2006/main}'\n"
                   "for si in ET.fromstring(x).iter(ns + 'si'):\n"
                   "  t = ''.join(e.text or '' for e in si.iter(ns + 't'))\n"
                   "  print(repr(re.sub('_x([0-9A-Fa-f]{4})_', lambda m: chr(int(m.group(1), "
                   "16)), t)))\n"
                   "print(b'\\r' in x)"),
            "'head\\r\\nline'\n'End'\n'one\\rtwo\\r\\nthree'\n'lit _x000D_ and _x005F_ stay'\n"
            "'bell\\x07\\x1fend'\n'plain\\ttab'\nFalse\n");
  // LibreOffice reads the escapes (and shows a carriage return as its line break).
  const std::string csv = recalculated();
  EXPECT_NE(csv.find("\"head\nline\"\n\"one\ntwo\nthree\"\nlit _x000D_ and _x005F_ stay\n"),
            std::string::npos)
      << csv;
}

class LongText : public ReportRun {
protected:
  void SetUp() override {
    // 40,000 letters; 32,766 letters and a character outside the BMP (two UTF-16 units) that
    // would straddle the limit; and short text.
    makeDatabase("data.db",
                 "create table t (id integer, a text, b text);"
                 "insert into t values (1, substr(replace(hex(zeroblob(20000)), '0', 'x'), 1,"
                 " 40000), substr(replace(hex(zeroblob(20000)), '0', 'y'), 1, 32766) ||"
                 " '\xF0\x9F\x98\x80z');"
                 "insert into t values (2, 'short', 'text');");
    makeTemplate("template.xlsx", "ws['A1'] = 'Head'\n");
  }
  static constexpr const char *kScript =
      "@1=REPORT(SHEET=1 CELL=A2)\r\nselect a, b from t where id = 1\r\n"
      "@2=REPORT(SHEET=1 CELL=A5 TYPE=FIX)\r\nselect a, b from t where id = 2\r\n";
  static constexpr const char *kWarning =
      "[1]    Warning: 2 cells have more text than the 32,767 characters a workbook cell holds; "
      "the report keeps the first 32,767.";
};

TEST_F(LongText, WorkbookCellsAreCutWithOneWarningPerFunction) {
  definition(kScript);
  const auto lines = run();
  EXPECT_TRUE(has(lines, kWarning)) << lastOutput;
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                          [](const std::string &l) { return l.find("Warning:") != l.npos; }),
            1);
  EXPECT_TRUE(has(lines, "[1]    Success."));
  EXPECT_TRUE(has(lines, "[2]    Success."));
  // Cut at 32,767 UTF-16 units; the pair that would straddle the limit goes whole.
  EXPECT_EQ(report("a, b = ws['A2'].value, ws['B2'].value\n"
                   "print(len(a), set(a), len(b), set(b), ws['A5'].value)"),
            "32767 {'x'} 32766 {'y'} short\n");
  EXPECT_NE(recalculated().find(std::string(32767, 'x') + ","), std::string::npos);
}

TEST_F(LongText, TextFilesKeepTheWholeTextWithoutWarning) {
  write("report.kvd", "Quorvel Version 2.0\r\n[Data Source]\r\nName1=data\r\n"
                      "ConnectionString1=Driver=SQLite3;Database=data.db\r\n\r\n[File]\r\n"
                      "ReportTemplateFileName=template.xlsx\r\nReportFileName=report.csv\r\n"
                      "ReportFileType=6\r\nLogFileName=run.log\r\n\r\n[SQL]\r\n" +
                          std::string(kScript));
  const auto lines = run();
  EXPECT_TRUE(has(lines, "[1]    Success.")) << lastOutput;
  EXPECT_FALSE(has(lines, kWarning));
  const std::string csv = readBytes(file("report.csv"));
  EXPECT_NE(csv.find(std::string(40000, 'x') + ","), std::string::npos);
  EXPECT_NE(csv.find(std::string(32766, 'y') + "\xF0\x9F\x98\x80z"), std::string::npos);
}

} // namespace
} // namespace brevant::testing
