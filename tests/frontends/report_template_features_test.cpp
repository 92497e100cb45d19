// Templates made with what the spreadsheet offers, filled through the executable: notes and
// threaded comments, cell metadata, the ranges of the extension list (x14 validations,
// conditional formats, sparklines), and the changes the spreadsheet refuses. Every report is
// read back by openpyxl and opened by LibreOffice.
#include "report_fixture.h"

#include "../engine/components/spreadsheet/excel_style_parts.h"

namespace brevant::testing {
namespace {

class TemplateFeatures : public ReportRun {
protected:
  void SetUp() override {
    makeDatabase("data.db", "create table items (id integer, name text, qty integer, price real);"
                            "insert into items values (1, 'a', 1, 1.5), (2, 'b', 2, 2.5),"
                            "(3, 'c', 3, 3.5), (4, 'd', 4, 4.5);"
                            "create table none (id integer, name text, qty integer);");
  }

  // Rewrites the template's parts: `body` runs with `parts` (name -> text).
  void patchTemplate(const std::string &body) {
    python(std::string(kExcelStyleParts) + "def change(parts):\n" + body + "\nrewrite(" +
           pyString(file("template.xlsx")) + ", change)\n");
  }

  // Python over the report with the helpers above, `path` its file name.
  std::string inspect(const std::string &body, const std::string &name = "report.xlsx") {
    return python(std::string(kExcelStyleParts) + "path = " + pyString(file(name)) + "\n" + body);
  }

  // The report converted by LibreOffice into lo/report.xlsx; false when that fails.
  bool convertedByLibreOffice() {
    const std::string profile = "file://" + file("lo-profile");
    return runCommand("cd " + shellQuote(folder.path().string()) +
                      " && timeout 180 soffice -env:UserInstallation=" + profile +
                      " --headless --convert-to xlsx --outdir lo report.xlsx >/dev/null 2>&1"
                      " && test -s lo/report.xlsx") == 0;
  }

  // The notes openpyxl reads from a workbook's first sheet: "B2=text" by cell.
  std::string notes(const std::string &name = "report.xlsx") {
    return python("import openpyxl\nws = openpyxl.load_workbook(" + pyString(file(name)) +
                  ").worksheets[0]\nfor row in ws.iter_rows():\n  for c in row:\n"
                  "    if c.comment: print(c.coordinate + '=' + c.comment.text.strip())\n");
  }
};

TEST_F(TemplateFeatures, NotesMoveWithTheirCellsAndCopiedRecordsGetTheirOwn) {
  makeTemplate(
      "template.xlsx",
      "ws['A1'] = 'Name'\nws['B1'] = 'Qty'\nws['A3'] = 'Total'\nws['B3'] = '=SUM(B2:B2)'\n");
  patchTemplate("    add_notes(parts, [('B2', 'Ann', 'per record'), ('A3', 'Ann', 'the total'),"
                " ('D1', 'Bob', 'header')])\n");
  definition("@1=REPORT(SHEET=1 CELL=A2 COPYRANGE=A2:B2)\r\n"
             "select name, qty from items order by id\r\n");
  const auto lines = run();
  EXPECT_TRUE(has(lines, "[1]    Success.")) << ::testing::PrintToString(lines);
  const std::string expected = "D1=header\nB2=per record\nB3=per record\nB4=per record\n"
                               "B5=per record\nA6=the total\n";
  EXPECT_EQ(notes(), expected);
  // Every box sits at its note's cell, each with an id of its own.
  EXPECT_EQ(inspect("print(note_cells(path))"), "D1 B2 B3 B4 B5 A6\n");
  EXPECT_EQ(inspect("print(re.search(r'<o:idmap[^>]*>', part(path, '.vml')).group(0))"),
            "<o:idmap v:ext=\"edit\" data=\"1\"/>\n");
  ASSERT_TRUE(convertedByLibreOffice());
  EXPECT_EQ(notes("lo/report.xlsx"), expected);
}

TEST_F(TemplateFeatures, ANoteGoesWithItsDeletedCell) {
  makeTemplate("template.xlsx", "ws['A1'] = 'Name'\nws['A3'] = 'End'\n");
  patchTemplate("    add_notes(parts, [('B2', 'Ann', 'per record'), ('A3', 'Ann', 'the end')])\n");
  definition("@1=REPORT(SHEET=1 CELL=A2 COPYRANGE=A2:B2 NODATA=DELRANGE)\r\n"
             "select name, qty from none\r\n");
  const auto lines = run();
  EXPECT_TRUE(has(lines, "[1]    Success.")) << ::testing::PrintToString(lines);
  EXPECT_EQ(notes(), "A2=the end\n");
  EXPECT_EQ(inspect("print(note_cells(path))"), "A2\n");
  ASSERT_TRUE(convertedByLibreOffice());
  EXPECT_EQ(notes("lo/report.xlsx"), "A2=the end\n");
}

TEST_F(TemplateFeatures, ThreadedCommentsAreCopiedAsThreadsOfTheirOwn) {
  makeTemplate("template.xlsx", "ws['A1'] = 'Name'\nws['A3'] = 'End'\n");
  patchTemplate("    t = '{1F0E2D3C-4B5A-4968-8776-A5B4C3D2E1F0}'\n"
                "    add_notes(parts, [('B2', 'tc=' + t, '[Threaded comment] Check this')],\n"
                "              [('B2', t, None, 'Check this'),\n"
                "               ('B2', '{2A1B0C9D-8E7F-4A6B-9C5D-4E3F2A1B0C9D}', t, 'Done')])\n");
  definition("@1=REPORT(SHEET=1 CELL=A2 COPYRANGE=A2:B2)\r\n"
             "select name, qty from items where id <= 3 order by id\r\n");
  const auto lines = run();
  EXPECT_TRUE(has(lines, "[1]    Success.")) << ::testing::PrintToString(lines);
  // Each copy is a thread of its own: new ids, the reply under its own root, and the note
  // that stands for the thread names it.
  EXPECT_EQ(inspect(R"PY(
import xml.etree.ElementTree as ET
ns = {'t': 'http://schemas.microsoft.com/office/spreadsheetml/2018/threadedcomments',
      'm': 'http://schemas.openxmlformats.org/spreadsheetml/2006/main'}
threads = ET.fromstring(part(path, 'threadedComment1.xml'))
roots, replies = {}, {}
for t in threads.findall('t:threadedComment', ns):
    (replies if t.get('parentId') else roots)[t.get('ref')] = t
ids = [t.get('id') for t in threads.findall('t:threadedComment', ns)]
assert len(ids) == len(set(ids)), ids
for ref, reply in replies.items():
    assert reply.get('parentId') == roots[ref].get('id'), ref
comments = ET.fromstring(part(path, 'comments1.xml'))
authors = [a.text for a in comments.find('m:authors', ns)]
for c in comments.find('m:commentList', ns):
    assert authors[int(c.get('authorId'))] == 'tc=' + roots[c.get('ref')].get('id'), c.get('ref')
print(' '.join(sorted(roots)), ' '.join(sorted(replies)))
print(note_cells(path))
)PY"),
            "B2 B3 B4 B2 B3 B4\nB2 B3 B4\n");
  ASSERT_TRUE(convertedByLibreOffice());
  EXPECT_EQ(notes("lo/report.xlsx").size(), notes().size());
}

// A dynamic-array formula (cm) in the record row and a cell with value metadata (vm) below.
const char *const kMetadata = R"PY(
    parts['xl/metadata.xml'] = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
        '<metadata xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" '
        'xmlns:xda="http://schemas.microsoft.com/office/spreadsheetml/2017/dynamicarray">'
        '<metadataTypes count="1"><metadataType name="XLDAPR" minSupportedVersion="120000" '
        'copy="1" pasteAll="1" pasteValues="1" merge="1" splitFirst="1" rowColShift="1" '
        'clearFormats="1" clearComments="1" assign="1" coerce="1" cellMeta="1"/></metadataTypes>'
        '<futureMetadata name="XLDAPR" count="1"><bk><extLst><ext '
        'uri="{bdbb8cdc-fa1e-496e-a857-3c3f30c029c3}"><xda:dynamicArrayProperties fDynamic="1" '
        'fCollapsed="0"/></ext></extLst></bk></futureMetadata><cellMetadata count="1"><bk>'
        '<rc t="1" v="0"/></bk></cellMetadata><valueMetadata count="1"><bk><rc t="1" v="0"/>'
        '</bk></valueMetadata></metadata>')
    override(parts, 'xl/metadata.xml',
             'application/vnd.openxmlformats-officedocument.spreadsheetml.sheetMetadata+xml')
    relate(parts, 'xl/workbook.xml', 'rIdM1', REL + 'sheetMetadata', 'metadata.xml')
    s = parts['xl/worksheets/sheet1.xml']
    s = s.replace('<c r="C2"><f>B2*2</f><v></v></c>',
                  '<c r="C2" cm="1"><f t="array" ref="C2">B2*2</f><v>0</v></c>')
    s = s.replace('<c r="C3" t="inlineStr">', '<c r="C3" t="inlineStr" vm="1">')
    parts['xl/worksheets/sheet1.xml'] = s
)PY";

TEST_F(TemplateFeatures, CellMetadataStaysWithItsCells) {
  makeTemplate("template.xlsx", "ws['A1'] = 'Name'\nws['C2'] = '=B2*2'\nws['A3'] = 'End'\n"
                                "ws['C3'] = 'picture'\n");
  patchTemplate(kMetadata);
  ASSERT_EQ(inspect("print(re.findall(r'<c r=\"C\\d\"[^>]*>', part(path, 'sheet1.xml')))",
                    "template.xlsx"),
            "['<c r=\"C2\" cm=\"1\">', '<c r=\"C3\" t=\"inlineStr\" vm=\"1\">']\n");
  definition("@1=REPORT(SHEET=1 CELL=A2 COPYRANGE=A2:C2)\r\n"
             "select name, qty from items order by id\r\n");
  const auto lines = run();
  EXPECT_TRUE(has(lines, "[1]    Success.")) << ::testing::PrintToString(lines);
  // The formula cells copied down keep their metadata and their own array range; the cell
  // with value metadata moved down with its row.
  EXPECT_EQ(inspect(R"PY(
s = part(path, 'sheet1.xml')
for c in re.findall(r'<c r="(C\d+)"([^>]*)>(?:<f([^>]*)>)?', s):
    print(c[0], ' '.join(sorted(re.findall(r'(?:cm|vm)="\d+"', c[1]))), c[2].strip())
print(len(part(path, 'metadata.xml')) > 0)
)PY"),
            "C2 cm=\"1\" t=\"array\" ref=\"C2\"\nC3 cm=\"1\" t=\"array\" ref=\"C3\"\n"
            "C4 cm=\"1\" t=\"array\" ref=\"C4\"\nC5 cm=\"1\" t=\"array\" ref=\"C5\"\n"
            "C6 vm=\"1\" \nTrue\n");
  EXPECT_EQ(values("A5:B6"), "d|4\nEnd|\n");
  EXPECT_NE(recalculated().find("d,4,8"), std::string::npos);
}

// Sheet "Data" holds the records: an x14 list validation on A2 whose list lies on "Lists", a
// data bar over B2, a sparkline in E2 over B2:D2 and one in E3 (the totals) over B3:D3.
// "Summary" has a sparkline and a list validation over Data's records.
const char *const kExtensions = R"PY(
    X14 = 'xmlns:x14="http://schemas.microsoft.com/office/spreadsheetml/2009/9/main"'
    XM = 'xmlns:xm="http://schemas.microsoft.com/office/excel/2006/main"'
    def spark(*lines):
        return ('<ext uri="{05C60535-1F16-4fd2-B633-F4F36F0B64E0}" ' + X14 + '><x14:sparklineGroups '
            + XM + '><x14:sparklineGroup displayEmptyCellsAs="gap"><x14:colorSeries theme="4" '
            'tint="-0.499984740745262"/><x14:colorNegative theme="5"/><x14:sparklines>' +
            ''.join('<x14:sparkline><xm:f>%s</xm:f><xm:sqref>%s</xm:sqref></x14:sparkline>' % l
                    for l in lines) + '</x14:sparklines></x14:sparklineGroup></x14:sparklineGroups></ext>')
    def valid(formula, sqref):
        return ('<ext uri="{CCE6A557-97BC-4b89-ADB6-D9C93CAAB3DF}" ' + X14 + '><x14:dataValidations '
            'count="1" ' + XM + '><x14:dataValidation type="list" allowBlank="1" showInputMessage="1" '
            'showErrorMessage="1"><x14:formula1><xm:f>%s</xm:f></x14:formula1><xm:sqref>%s</xm:sqref>'
            '</x14:dataValidation></x14:dataValidations></ext>' % (formula, sqref))
    bar = ('<ext uri="{78C0D931-6437-407d-A8EE-F0AAD7539E65}" ' + X14 + '><x14:conditionalFormattings>'
        '<x14:conditionalFormatting ' + XM + '><x14:cfRule type="dataBar" '
        'id="{00000000-000E-0000-0000-000001000000}"><x14:dataBar minLength="0" maxLength="100" '
        'gradient="0"><x14:cfvo type="num"><xm:f>0</xm:f></x14:cfvo><x14:cfvo type="formula">'
        '<xm:f>MAX($B$2:$B$2)</xm:f></x14:cfvo><x14:negativeFillColor rgb="FFFF0000"/>'
        '<x14:axisColor rgb="FF000000"/></x14:dataBar></x14:cfRule><xm:sqref>B2</xm:sqref>'
        '</x14:conditionalFormatting></x14:conditionalFormattings></ext>')
    data = 'xl/worksheets/sheet1.xml'
    parts[data] = parts[data].replace('</worksheet>', '<extLst>' + bar +
        valid('Lists!$A$1:$A$3', 'A2') + spark(('Data!B2:D2', 'E2'), ('Data!B3:D3', 'E3')) +
        '</extLst></worksheet>')
    summary = 'xl/worksheets/sheet2.xml'
    parts[summary] = parts[summary].replace('</worksheet>', '<extLst>' +
        valid('Data!$A$2:$A$3', 'A1') + spark(('Data!B2:B3', 'B1')) + '</extLst></worksheet>')
)PY";

TEST_F(TemplateFeatures, ExtensionRangesFollowInsertedAndCopiedRecords) {
  makeTemplate("template.xlsx", "ws.title = 'Data'\nws['A1'] = 'Name'\nws['A3'] = 'Total'\n"
                                "for c in 'BCD': ws[c + '3'] = '=SUM(%s2:%s2)' % (c, c)\n"
                                "wb.create_sheet('Summary')['A1'] = 'a'\n"
                                "lists = wb.create_sheet('Lists')\n"
                                "for i, v in enumerate('abc'): lists.cell(i + 1, 1, v)\n");
  patchTemplate(kExtensions);
  definition("@1=REPORT(SHEET=1 CELL=A2 COPYRANGE=A2:E2)\r\n"
             "select name, qty, price, id from items order by id\r\n");
  const auto lines = run();
  EXPECT_TRUE(has(lines, "[1]    Success.")) << ::testing::PrintToString(lines);
  const std::string listing = R"PY(
import xml.etree.ElementTree as ET
ns = {'x14': 'http://schemas.microsoft.com/office/spreadsheetml/2009/9/main',
      'xm': 'http://schemas.microsoft.com/office/excel/2006/main'}
for sheet in ('sheet1.xml', 'sheet2.xml'):
    root = ET.fromstring(part(path, sheet))
    for v in root.iter('{%s}dataValidation' % ns['x14']):
        print('list', v.find('x14:formula1/xm:f', ns).text, v.find('xm:sqref', ns).text)
    for c in root.iter('{%s}conditionalFormatting' % ns['x14']):
        print('bar', [f.text for f in c.iter('{%s}f' % ns['xm'])], c.find('xm:sqref', ns).text)
    for s in sorted(root.iter('{%s}sparkline' % ns['x14']), key=lambda s: s.find('xm:sqref', ns).text):
        print('spark', s.find('xm:f', ns).text, s.find('xm:sqref', ns).text)
)PY";
  // A range that ends above the inserted rows keeps its size, as in a formula.
  EXPECT_EQ(inspect(listing), "list Lists!$A$1:$A$3 A2:A5\n"
                              "bar ['0', 'MAX($B$2:$B$2)'] B2:B5\n"
                              "spark Data!B2:D2 E2\nspark Data!B3:D3 E3\nspark Data!B4:D4 E4\n"
                              "spark Data!B5:D5 E5\nspark Data!B6:D6 E6\n"
                              "list Data!$A$2:$A$6 A1\n"
                              "spark Data!B2:B6 B1\n");
  EXPECT_EQ(inspect("import openpyxl\nws = openpyxl.load_workbook(path).worksheets[0]\n"
                    "for row in ws['A5:D6']: print('|'.join(str(c.value) for c in row))"),
            "d|4|4.5|4\nTotal|=SUM(B2:B2)|=SUM(C2:C2)|=SUM(D2:D2)\n");
  // LibreOffice reads the sparklines and validations and writes them out where we put them.
  ASSERT_TRUE(convertedByLibreOffice());
  const std::string fromLibreOffice =
      python(std::string(kExcelStyleParts) + "path = " + pyString(file("lo/report.xlsx")) + "\n" +
             listing);
  EXPECT_NE(fromLibreOffice.find("spark Data!B6:D6 E6"), std::string::npos) << fromLibreOffice;
  EXPECT_NE(fromLibreOffice.find("spark Data!B4:D4 E4"), std::string::npos) << fromLibreOffice;
}

TEST_F(TemplateFeatures, DeletedRecordBlocksTakeTheirExtensionRangesAlong) {
  makeTemplate("template.xlsx", "ws.title = 'Data'\nws['A1'] = 'Name'\nws['A3'] = 'Total'\n"
                                "wb.create_sheet('Summary')['A1'] = 'a'\n"
                                "lists = wb.create_sheet('Lists')\n"
                                "for i, v in enumerate('abc'): lists.cell(i + 1, 1, v)\n");
  patchTemplate(kExtensions);
  definition("@1=REPORT(SHEET=1 CELL=A2 COPYRANGE=A2:E2 NODATA=DELRANGE)\r\n"
             "select name, qty, qty, id from none\r\n");
  const auto lines = run();
  EXPECT_TRUE(has(lines, "[1]    Success.")) << ::testing::PrintToString(lines);
  // The record row's validation, data bar and sparkline go; the totals' sparkline moves up.
  EXPECT_EQ(inspect(R"PY(
s = part(path, 'sheet1.xml')
print('dataValidation' in s, 'conditionalFormatting' in s, re.findall(r'<xm:sqref>[^<]*', s))
print(re.findall(r'<xm:f>[^<]*', part(path, 'sheet2.xml')))
)PY"),
            "False False ['<xm:sqref>E2']\n['<xm:f>Data!$A$2:$A$2', '<xm:f>Data!B2:B2']\n");
  ASSERT_TRUE(convertedByLibreOffice());
}

TEST_F(TemplateFeatures, CopiesOverPartOfAMergedAreaAreRefusedAndLeaveTheTemplate) {
  makeTemplate("template.xlsx", "ws['A1'] = 'Name'\nws.merge_cells('B4:C4')\nws['B4'] = 'sign'\n"
                                "ws.merge_cells('A8:B8')\nws['A8'] = 'whole'\n");
  // The fixed fill copies A2:B2 onto A3:B3, A4:B4 and A5:B5; A4:B4 cuts B4:C4: refused
  // before anything is written. A copy over the whole merged area A8:B8 replaces it, as the
  // spreadsheet does.
  definition("@1=REPORT(SHEET=1 CELL=A2 COPYRANGE=A2:B2 TYPE=FIX)\r\n"
             "select name, qty from items order by id\r\n"
             "@2=REPORT(SHEET=1 CELL=A7 COPYRANGE=A7:B7 TYPE=FIX)\r\n"
             "select name, qty from items where id <= 2 order by id\r\n");
  const auto lines = run();
  EXPECT_TRUE(has(lines, "Error: Failed to execute function REPORT.")) << lastOutput;
  EXPECT_TRUE(has(lines, "Error Info: The cells A2:B2 cannot be copied to A4:B4 on the sheet "
                         "\"Sheet\": that would change part of the merged cells B4:C4."));
  EXPECT_TRUE(has(lines, "[1]    Failure."));
  EXPECT_TRUE(has(lines, "[2]    Success."));
  EXPECT_EQ(report("print(sorted(str(m) for m in ws.merged_cells.ranges))"), "['B4:C4']\n");
  EXPECT_EQ(values("A2:C4"), "||\n||\n|sign|\n");
  EXPECT_EQ(values("A7:B8"), "a|1\nb|2\n");
  ASSERT_TRUE(convertedByLibreOffice());
}

TEST_F(TemplateFeatures, WritesIntoPartOfAnArrayFormulaAreRefusedWritesIntoMergedCellsAreNot) {
  makeTemplate("template.xlsx", "ws['A1'] = 'Name'\nws['B3'] = '=D3:D4*2'\n"
                                "ws.formula_attributes['B3'] = {'t': 'array', 'ref': 'B3:B4'}\n"
                                "ws.merge_cells('F2:G3')\n");
  // @1 writes B2, then B3 inside the array B3:B4: refused, B2 stays written. @2 writes the
  // whole merged area's top-left F2 and then F3, a hidden cell of it, as the object model
  // lets a program do.
  definition("@1=REPORT(SHEET=1 CELL=B2 TYPE=FIX)\r\nselect qty from items order by id\r\n"
             "@2=REPORT(SHEET=1 CELL=F2 TYPE=FIX)\r\nselect name from items where id <= 2\r\n");
  const auto lines = run();
  EXPECT_TRUE(has(lines, "Error Info: The cells B3 of the sheet \"Sheet\" cannot be written: "
                         "that would change part of the array formula in B3:B4."))
      << lastOutput;
  EXPECT_TRUE(has(lines, "[1]    Failure."));
  EXPECT_TRUE(has(lines, "[2]    Success."));
  EXPECT_EQ(report("print(ws['B2'].value, ws['B3'].value, ws.formula_attributes['B3'])\n"
                   "print(sorted(str(m) for m in ws.merged_cells.ranges), ws['F2'].value)"),
            "1 =D3:D4*2 {'t': 'array', 'ref': 'B3:B4'}\n['F2:G3'] a\n");
  ASSERT_TRUE(convertedByLibreOffice());
}

} // namespace
} // namespace brevant::testing
