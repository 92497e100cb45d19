// Insert, delete, copy, auto-fill and page breaks on a template made by a real client
// (openpyxl), read back by openpyxl and recalculated by LibreOffice.

#include <gtest/gtest.h>

#include "engine/components/spreadsheet/application.h"
#include "engine/components/spreadsheet/workbook.h"
#include "engine/components/spreadsheet/workbooks.h"
#include "spreadsheet_test_support.h"

namespace brevant {
namespace {

using testing::TempFolder;

// Rows 5 (record) and 6 (spare) are the record block, row 7 totals them. A merged title, a
// conditional format, a validation, names, a hyperlink, a filter, a chart over the block and a
// summary sheet that refers to it all have to follow the block as it grows.
const char *kTemplate = R"(
import openpyxl
from openpyxl.chart import BarChart, Reference
from openpyxl.formatting.rule import FormulaRule
from openpyxl.worksheet.datavalidation import DataValidation
from openpyxl.workbook.defined_name import DefinedName
from openpyxl.styles import Font
wb = openpyxl.Workbook()
ws = wb.active
ws.title = 'Data'
ws['A1'] = 'Title'
ws.merge_cells('A1:C1')
ws['A4'] = 'Name'; ws['B4'] = 'Amount'; ws['C4'] = 'Double'
ws['A5'] = 'rec'; ws['B5'] = 0; ws['C5'] = '=B5*2'
ws['A5'].font = Font(bold=True)
ws.row_dimensions[5].height = 21
ws['A6'] = 'spare'; ws['B6'] = 0; ws['C6'] = '=B6*2'
ws['A7'] = 'Total'; ws['B7'] = '=SUM(B5:B6)'; ws['C7'] = '=SUM($C$5:$C$6)'
ws['A7'].hyperlink = 'https://example.org/total'
ws.conditional_formatting.add('B5:B6', FormulaRule(formula=['B5>2'], font=Font(color='FF0000')))
dv = DataValidation(type='whole', operator='greaterThanOrEqual', formula1='0')
ws.add_data_validation(dv); dv.add('B5:B6')
ws.auto_filter.ref = 'A4:C6'
wb.defined_names.append(DefinedName('Totals', attr_text='Data!$B$7'))
ws.print_area = 'A1:C7'
ws.print_title_rows = '4:4'
chart = BarChart()
chart.add_data(Reference(ws, min_col=2, min_row=5, max_row=6))
chart.set_categories(Reference(ws, min_col=1, min_row=5, max_row=6))
ws.add_chart(chart, 'E2')
s = wb.create_sheet('Summary')
s['A1'] = '=Data!B7'; s['A2'] = '=SUM(Data!B5:B6)'; s['A3'] = '=COUNTA(Data!A:A)'
wb.save(r'%s')
)";

std::string withPath(const char *script, const std::string &path) {
  std::string s = script;
  s.replace(s.find("%s"), 2, path);
  return s;
}

class StructuralOperations : public ::testing::Test {
protected:
  void SetUp() override {
    templatePath = tmp.file("template.xlsx");
    testing::runPython(tmp, withPath(kTemplate, templatePath));
  }
  TempFolder tmp;
  std::string templatePath;
};

TEST_F(StructuralOperations, VariableFillWorkedExampleKeepsEveryReferenceOnTheBlock) {
  Application app;
  Workbook &book = app.Workbooks().Open(templatePath);
  Worksheet &ws = book.Worksheets("Data");
  // Four records, two reserved blocks: two rows go in after the template block.
  ws.Range("6:7").Insert(xlDirection::xlDown);
  ws.Range("A5:C5").AutoFill(ws.Range("A5:C7"), xlAutoFillType::xlFillCopy);
  for (int k = 0; k < 4; ++k) {
    ws.Cells(5 + k, 1).setValue(std::string("r") + std::to_string(k + 1));
    ws.Cells(5 + k, 2).setValue(double(k + 1));
  }
  EXPECT_EQ(ws.Range("B9").Formula(), "=SUM(B5:B8)");
  EXPECT_EQ(ws.Range("C9").Formula(), "=SUM($C$5:$C$8)");
  EXPECT_EQ(ws.Range("C7").Formula(), "=B7*2");
  EXPECT_EQ(ws.Range("C8").Formula(), "=B8*2"); // the spare row keeps its own formula
  EXPECT_EQ(ws.Range("A1").MergeArea().Address(false, false), "A1:C1");
  ws.Rows(8).setPageBreak(xlPageBreak::xlPageBreakManual);
  std::string out = tmp.file("report.xlsx");
  book.SaveAs(out);

  std::string read = testing::runPython(tmp, R"(
import openpyxl
wb = openpyxl.load_workbook(r')" + out + R"(')
ws = wb['Data']
print(ws['B9'].value, ws['A9'].value, ws['A8'].value)
print(sorted(str(m) for m in ws.merged_cells.ranges))
print([str(r.sqref) for r in ws.conditional_formatting])
print([str(v.sqref) for v in ws.data_validations.dataValidation])
print(wb.defined_names['Totals'].attr_text, ws.print_area, ws.print_title_rows)
print(ws['A9'].hyperlink.target, ws.auto_filter.ref)
print(ws.row_dimensions[6].height, ws.row_dimensions[7].height, ws['A7'].font.b)
print([b.id for b in ws.row_breaks.brk])
s = wb['Summary']
print(s['A1'].value, s['A2'].value, s['A3'].value)
)");
  EXPECT_EQ(read, "=SUM(B5:B8) Total r4\n"
                  "['A1:C1']\n"
                  "['B5:B8']\n"
                  "['B5:B8']\n"
                  "Data!$B$9 ['$A$1:$C$9'] 4:4\n"
                  "https://example.org/total A4:C8\n"
                  "21.0 21.0 True\n"
                  "[7]\n"
                  "=Data!B9 =SUM(Data!B5:B8) =COUNTA(Data!A:A)\n");
  std::string series = testing::runPython(tmp, R"(
import zipfile, re
z = zipfile.ZipFile(r')" + out + R"(')
name = [n for n in z.namelist() if n.startswith('xl/charts/chart')][0]
print(re.findall(r'<(?:c:)?f>([^<]*)</(?:c:)?f>', z.read(name).decode()))
)");
  EXPECT_EQ(series, "[\"'Data'!$A$5:$A$8\", \"'Data'!$B$5:$B$8\"]\n");

  if (!testing::haveLibreOffice())
    GTEST_SKIP() << "LibreOffice is not installed";
  std::string converted = testing::convertWithLibreOffice(tmp, out, "xlsx", "xlsx");
  std::string values = testing::runPython(tmp, R"(
import openpyxl
wb = openpyxl.load_workbook(r')" + converted + R"(', data_only=True)
ws = wb['Data']
print(ws['B9'].value, ws['C9'].value, wb['Summary']['A1'].value, wb['Summary']['A2'].value)
)");
  // 1 + 2 + 3 + 4 over every record, doubled in column C.
  EXPECT_EQ(values, "10 20 10 10\n");
}

TEST_F(StructuralOperations, DeletingTheSpareBlockShrinksTheTotalAndRemovesWhatItHeld) {
  Application app;
  Workbook &book = app.Workbooks().Open(templatePath);
  Worksheet &ws = book.Worksheets("Data");
  // One record with two reserved: the spare block's cells go, the cells below move up.
  ws.Range("A6:C6").Delete(xlDirection::xlUp);
  EXPECT_EQ(ws.Range("B6").Formula(), "=SUM(B5:B5)");
  EXPECT_EQ(ws.Range("A6").ValueText(), "Total");
  EXPECT_EQ(book.Worksheets("Summary").Range("A2").Formula(), "=SUM(Data!B5:B5)");
  // Then no record at all: the block itself goes, and the total's range with it.
  ws.Range("A5:C5").Delete(xlDirection::xlUp);
  EXPECT_EQ(ws.Range("B5").Formula(), "=SUM(#REF!)");
  EXPECT_EQ(book.Worksheets("Summary").Range("A1").Formula(), "=Data!B5");
}

TEST_F(StructuralOperations, CellShiftsThroughPartOfAMergedAreaAreRefused) {
  Application app;
  Workbook &book = app.Workbooks().Open(templatePath);
  Worksheet &ws = book.Worksheets("Data");
  EXPECT_THROW(ws.Range("A1:A1").Delete(xlDirection::xlToLeft), std::runtime_error);
  EXPECT_THROW(ws.Range("B1").Insert(xlDirection::xlDown), std::runtime_error);
  EXPECT_THROW(ws.Range("A1").Insert(-1), std::runtime_error);
  EXPECT_EQ(ws.Range("B1").MergeArea().Address(false, false), "A1:C1");
}

// A sheet for the grouped fills: a group field, detail fields, and a total row below.
Workbook &groupedTemplate(Application &app, TempFolder &tmp, const std::string &layout) {
  std::string path = tmp.file(layout + ".xlsx");
  std::string script = "import openpyxl\nfrom openpyxl.styles import Font\n"
                       "wb = openpyxl.Workbook()\nws = wb.active\nws.title = 'G'\n";
  if (layout == "stacked")
    script += "ws['A2'] = 'group'; ws['A2'].font = Font(bold=True); ws.merge_cells('A2:C2')\n"
              "ws.row_dimensions[2].height = 24\n"
              "ws['A3'] = 'detail'; ws['B3'] = 'x'; ws['C3'] = 'y'\nws['A4'] = 'end'\n";
  else
    script += "ws['A2'] = 'group'; ws['B2'] = 'detail'; ws['C2'] = 'y'\nws['A3'] = 'end'\n";
  script += "wb.save(r'" + path + "')\n";
  testing::runPython(tmp, script);
  return app.Workbooks().Open(path);
}

std::string column(Worksheet &ws, const std::string &letter, int rows) {
  std::string out;
  for (int r = 2; r <= rows; ++r)
    out += ws.Range(letter + std::to_string(r)).ValueText() + "|";
  return out;
}

TEST(GroupedFillSteps, RowsNotAlignedGiveTheSheetOfTheWorkedExample) {
  TempFolder tmp;
  Application app;
  Worksheet &ws = groupedTemplate(app, tmp, "stacked").Worksheets(1);
  // Record 1 (G1, a): room for the template copy, and the copy itself.
  ws.Range("4:5").Insert(xlDirection::xlDown);
  ws.Range("A2:C3").Copy(ws.Range("A4"));
  ws.Range("A2").setValue(std::string("G1"));
  ws.Range("A3").setValue(std::string("a"));
  // Record 2 (G1, b): one detail row after the detail block, copied from the template copy.
  ws.Range("4:4").Insert(xlDirection::xlDown);
  ws.Range("A6:C6").Copy(ws.Range("A4"));
  ws.Range("A4").setValue(std::string("b"));
  // Record 3 (G2, c): a new group block after the group's output block.
  ws.Range("5:6").Insert(xlDirection::xlDown);
  ws.Range("A7:C8").Copy(ws.Range("A5"));
  ws.Range("A5").setValue(std::string("G2"));
  ws.Range("A6").setValue(std::string("c"));
  ws.Range("A7:C8").Delete(xlDirection::xlUp);
  EXPECT_EQ(column(ws, "A", 7), "G1|a|b|G2|c|end|");
  EXPECT_EQ(column(ws, "B", 7), "|x|x||x||");
  // The group header kept its merge, height and format in its copy; none is left below.
  EXPECT_EQ(ws.Range("B5").MergeArea().Address(false, false), "A5:C5");
  EXPECT_EQ(ws.Range("A2").MergeArea().Address(false, false), "A2:C2");
  EXPECT_EQ(ws.mergedCells().size(), 2u);
  EXPECT_DOUBLE_EQ(ws.Range("A5").Height(), 24);
}

TEST(GroupedFillSteps, RowsAlignedGiveTheSheetOfTheWorkedExample) {
  TempFolder tmp;
  Application app;
  Worksheet &ws = groupedTemplate(app, tmp, "aligned").Worksheets(1);
  ws.Range("3:5").Insert(xlDirection::xlDown);
  ws.Range("A2:C2").Copy(ws.Range("A5"));
  ws.Range("A2").setValue(std::string("G1"));
  ws.Range("B2").setValue(std::string("a"));
  ws.Range("B5:C5").Copy(ws.Range("B3"));
  ws.Range("B3").setValue(std::string("b"));
  ws.Range("A5:C5").Copy(ws.Range("A4"));
  ws.Range("A4").setValue(std::string("G2"));
  ws.Range("B4").setValue(std::string("c"));
  ws.Range("A5:C5").Delete(xlDirection::xlUp);
  EXPECT_EQ(column(ws, "A", 5), "G1||G2|end|");
  EXPECT_EQ(column(ws, "B", 5), "a|b|c||");
}

TEST(StructuralEdges, InsertingPastTheEndOfTheSheetIsRefusedWhenItWouldLoseData) {
  TempFolder tmp;
  Application app;
  Worksheet &ws = groupedTemplate(app, tmp, "aligned").Worksheets(1);
  ws.Cells(kMaxRows, 1).setValue(1.0);
  EXPECT_THROW(ws.Range("2:3").Insert(), std::runtime_error);
  EXPECT_EQ(ws.Range("A2").ValueText(), "group");
  ws.Cells(kMaxRows, 1).setValue(std::monostate{});
  ws.Range("2:3").Insert();
  EXPECT_EQ(ws.Range("A4").ValueText(), "group");
}

TEST(StructuralEdges, AutoFillUpwardsAndSidewaysRepeatsTheBlock) {
  TempFolder tmp;
  Application app;
  Worksheet &ws = groupedTemplate(app, tmp, "aligned").Worksheets(1);
  ws.Range("D2").setFormula("=B2&C2");
  ws.Range("B2:D2").AutoFill(ws.Range("B2:J2"));
  EXPECT_EQ(ws.Range("G2").Formula(), "=E2&F2");
  EXPECT_EQ(ws.Range("H2").ValueText(), "detail");
  ws.Range("A8").setFormula("=A9+$A$9");
  ws.Range("A8").AutoFill(ws.Range("A6:A8"));
  EXPECT_EQ(ws.Range("A6").Formula(), "=A7+$A$9");
  EXPECT_THROW(ws.Range("A8").AutoFill(ws.Range("B9:B10")), std::runtime_error);
  EXPECT_EQ(ws.Range("G2").PageBreak(), xlPageBreak::xlPageBreakNone);
}

} // namespace
} // namespace brevant
