// What belongs to single cells besides their values (notes and their boxes, cell metadata,
// sparklines) through the shifts a fill does not make: cells moved within a band of columns or
// rows only, deletes, copies over cells that already have them. And the changes the
// spreadsheet refuses, which must leave the sheet as it was.

#include <gtest/gtest.h>

#include "engine/components/spreadsheet/application.h"
#include "engine/components/spreadsheet/workbook.h"
#include "engine/components/spreadsheet/workbooks.h"
#include "excel_style_parts.h"
#include "spreadsheet_test_support.h"

namespace brevant {
namespace {

using testing::TempFolder;

class CellCompanions : public ::testing::Test {
protected:
  // A sheet "S" with notes on B4, A4 and D3, a cell with value metadata at B4 and one at C4, a
  // sparkline in E1 over B2:B9 and one in F4 over B4:D4.
  void SetUp() override {
    path = tmp.file("t.xlsx");
    testing::runPython(
        tmp, std::string(testing::kExcelStyleParts) +
                 "import openpyxl\nwb = openpyxl.Workbook()\nws = wb.active\nws.title = 'S'\n"
                 "for c in ('B4', 'C4', 'A4', 'D3', 'B2'): ws[c] = c\nwb.save(r'" +
                 path + R"PY(')
def change(parts):
    add_notes(parts, [('B4', 'Ann', 'b4'), ('A4', 'Ann', 'a4'), ('D3', 'Ann', 'd3')])
    s = parts['xl/worksheets/sheet1.xml']
    for c in ('B4', 'C4'):
        s = s.replace('<c r="%s" t="inlineStr">' % c, '<c r="%s" t="inlineStr" vm="%s">' % (c, c[0]))
    parts['xl/worksheets/sheet1.xml'] = s
    X14 = 'xmlns:x14="http://schemas.microsoft.com/office/spreadsheetml/2009/9/main"'
    XM = 'xmlns:xm="http://schemas.microsoft.com/office/excel/2006/main"'
    before_end(parts, 'xl/worksheets/sheet1.xml', '<extLst><ext uri="{05C60535-1F16-4fd2-B633-F4F36F0B64E0}" '
        + X14 + '><x14:sparklineGroups ' + XM + '><x14:sparklineGroup><x14:sparklines>'
        '<x14:sparkline><xm:f>S!B2:B9</xm:f><xm:sqref>E1</xm:sqref></x14:sparkline>'
        '<x14:sparkline><xm:f>S!B4:D4</xm:f><xm:sqref>F4</xm:sqref></x14:sparkline>'
        '</x14:sparklines></x14:sparklineGroup></x14:sparklineGroups></ext></extLst>')
rewrite(r')PY" + path +
                 "', change)\n");
  }

  // Notes (openpyxl), their boxes, the cells with value metadata and the sparklines of `file`.
  std::string saved(Workbook &book) {
    std::string out = tmp.file("out.xlsx");
    book.SaveAs(out);
    return testing::runPython(tmp, std::string(testing::kExcelStyleParts) + "path = r'" + out +
                                       R"PY('
import openpyxl
ws = openpyxl.load_workbook(path).worksheets[0]
print('notes', ' '.join(c.coordinate + '=' + c.comment.text for r in ws.iter_rows() for c in r
                        if c.comment))
print('boxes', note_cells(path))
s = part(path, 'sheet1.xml')
print('vm', ' '.join(re.findall(r'<c r="([A-Z]+\d+)"[^>]*vm="\w+"', s)))
print('sparklines', ' '.join(f + '@' + q for f, q in
      re.findall(r'<xm:f>([^<]*)</xm:f><xm:sqref>([^<]*)</xm:sqref>', s)))
)PY");
  }

  TempFolder tmp;
  std::string path;
  Application app;
};

TEST_F(CellCompanions, OnlyTheCellsOfTheMovedBandMove) {
  Workbook &book = app.Workbooks().Open(path);
  Worksheet &ws = book.Worksheets("S");
  // Column B from row 2 on moves down two rows; A, C and D stay.
  ws.Range("B2:B3").Insert(xlDirection::xlDown);
  // Row 3 from column A on moves one column left: D3's note goes to C3, A3 is deleted.
  ws.Range("A3").Delete(xlDirection::xlToLeft);
  EXPECT_EQ(saved(book), "notes C3=d3 A4=a4 B6=b4\n"
                         "boxes C3 A4 B6\n"
                         "vm C4 B6\n"
                         "sparklines S!B4:B11@E1 S!B4:D4@F4\n");
}

TEST_F(CellCompanions, DeletedCellsTakeTheirNotesBoxesMetadataAndSparklines) {
  Workbook &book = app.Workbooks().Open(path);
  Worksheet &ws = book.Worksheets("S");
  ws.Range("4:4").Delete();
  ws.Range("E1").Delete(xlDirection::xlUp);
  EXPECT_EQ(saved(book), "notes D3=d3\nboxes D3\nvm \nsparklines \n");
}

TEST_F(CellCompanions, ACopyReplacesWhatTheDestinationHadAndKeepsItsOwnCompanions) {
  Workbook &book = app.Workbooks().Open(path);
  Worksheet &ws = book.Worksheets("S");
  // B4:F4 over B3:F3: D3's note gives way to the copy of none (it stays, as the copy brings
  // no note for D3), B3 gets b4's note, the metadata and the sparkline (its data moved up).
  ws.Range("B4:F4").Copy(ws.Range("B3"));
  // A4 over D3: the copied note replaces the one there.
  ws.Range("A4").Copy(ws.Range("D3"));
  ws.Range("B3").setValue(std::string("new value"));
  EXPECT_EQ(saved(book), "notes B3=b4 D3=a4 A4=a4 B4=b4\n"
                         "boxes B3 D3 A4 B4\n"
                         "vm C3 B4 C4\n"
                         "sparklines S!B2:B9@E1 S!B4:D4@F4 S!B3:D3@F3\n");
}

TEST(SpreadsheetRefusals, ARefusedChangeLeavesTheSheetAsItWas) {
  TempFolder tmp;
  std::string path = tmp.file("r.xlsx");
  testing::runPython(tmp,
                     "import openpyxl\n"
                     "wb = openpyxl.Workbook()\nws = wb.active\nws['A1'] = 'src'\n"
                     "ws['A2'] = 'x'\nws.merge_cells('B9:C9')\n"
                     "ws['E2'] = '=A2:A3'\nws.formula_attributes['E2'] = {'t': 'array', "
                     "'ref': 'E2:E3'}\nws['G2'] = '=A2:B2'\n"
                     "ws.formula_attributes['G2'] = {'t': 'array', 'ref': 'G2:H2'}\nwb.save(r'" +
                         path + "')\n");
  Application app;
  Workbook &book = app.Workbooks().Open(path);
  Worksheet &ws = book.Worksheets(1);
  // The last of eight copies would cut B9:C9: none is made.
  EXPECT_THROW(ws.Range("A1:B1").AutoFill(ws.Range("A1:B9")), std::runtime_error);
  EXPECT_EQ(ws.Range("A2").ValueText(), "x");
  EXPECT_TRUE(ws.Range("C9").MergeCells());
  // Writes: into part of an array (even its first cell) refused, over the whole array fine.
  EXPECT_THROW(ws.Range("E3").setValue(1.0), std::runtime_error);
  EXPECT_THROW(ws.Range("E2").setFormula("=1"), std::runtime_error);
  EXPECT_THROW(ws.Range("D2:E2").setValue(1.0), std::runtime_error);
  EXPECT_EQ(ws.Range("E2").Formula(), "=A2:A3");
  ws.Range("E2:E3").setValue(2.0);
  ws.Range("E3").setValue(3.0);
  EXPECT_EQ(ws.Range("E2").Formula(), "2");
  // A copy onto part of an array is refused; onto the whole of it, the array goes.
  EXPECT_THROW(ws.Range("A1").Copy(ws.Range("H2")), std::runtime_error);
  ws.Range("A1:B1").Copy(ws.Range("G2"));
  ws.Range("H2").setValue(4.0);
  EXPECT_EQ(ws.Range("G2").ValueText(), "src");
  // Writing into merged cells is allowed anywhere, as the object model allows it.
  ws.Range("C9").setValue(5.0);
  EXPECT_TRUE(ws.Range("C9").MergeCells());
}

} // namespace
} // namespace brevant
