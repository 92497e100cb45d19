// A template made by openpyxl, filled by the engine, read back by openpyxl and LibreOffice.

#include <gtest/gtest.h>

#include "engine/components/spreadsheet/application.h"
#include "engine/components/spreadsheet/spreadsheet_error.h"
#include "spreadsheet_test_support.h"

namespace brevant {
namespace {

using testing::TempFolder;

const char *kMakeTemplate = R"PY(
import sys, openpyxl
from openpyxl.chart import BarChart, Reference
from openpyxl.drawing.image import Image
from openpyxl.styles import Font, PatternFill
from openpyxl.workbook.defined_name import DefinedName
from PIL import Image as PILImage
folder = sys.argv[1] if len(sys.argv) > 1 else "."
wb = openpyxl.Workbook()
ws = wb.active
ws.title = "Report"
ws["A1"] = "Title"
ws["A1"].font = Font(bold=True, size=14)
ws.merge_cells("A1:D1")
for c, t in zip("ABCD", ["Name", "Amount", "When", "Flag"]):
    ws[c + "2"] = t
    ws[c + "2"].fill = PatternFill("solid", fgColor="FFFF00")
ws["B3"].number_format = "#,##0.00"
ws["B3"].font = Font(italic=True)
ws["C3"].number_format = "yyyy-mm-dd"
ws["B10"] = "=SUM(B3:B9)"
ws["E1"] = "=Label"
ws.column_dimensions["A"].width = 30
wb.defined_names.append(DefinedName("Label", attr_text='"template"'))
wb.defined_names.append(DefinedName("Amounts", attr_text="Report!$B$3:$B$9"))
data = wb.create_sheet("Data")
data.append(["k", "v"])
for i in range(1, 5):
    data.append([i, i * 10])
chart = BarChart()
chart.add_data(Reference(data, min_col=2, min_row=1, max_row=5), titles_from_data=True)
ws.add_chart(chart, "F2")
PILImage.new("RGB", (20, 10), (255, 0, 0)).save(folder + "/pic.png")
ws.add_image(Image(folder + "/pic.png"), "F20")
wb.save(folder + "/template.xlsx")
)PY";

class TemplateRoundTrip : public ::testing::Test {
protected:
  void SetUp() override {
    std::string script = std::string("import sys\nsys.argv = ['x', '") + tmp.path().string() +
                         "']\n" + kMakeTemplate;
    testing::runPython(tmp, script);
    templatePath = tmp.file("template.xlsx");
    ASSERT_TRUE(std::filesystem::exists(templatePath));
  }

  // Fills the template as a report would and saves it.
  std::string fillAndSave(int format, const std::string &name) {
    Workbook &wb = app.Workbooks().Open(templatePath);
    app.setCalculation(xlCalculation::xlCalculationManual);
    Worksheet &ws = wb.Worksheets("report");
    ws.Cells(3, 1).setValue(std::string("Alice"));
    ws.Range("B3").setValue(1234.5);
    ws.Range("C3").setValue(DateValue{2024, 3, 5});
    ws.Range("D3").setValue(true);
    ws.Cells(4, 1).setValue(std::string("Bob <&> \"quoted\""));
    ws.Cells(4, 2).setValue(int64_t{2});
    ws.Cells(4, 3).setValue(DateTimeValue{{2024, 12, 31}, {23, 30, 0, 0}});
    ws.Cells(4, 4).setValue(std::monostate{});
    ws.Cells(5, 2).setValue(DecimalValue{"10.25"});
    ws.Cells(6, 1).setValue(std::string("=1+1"));
    ws.Cells(7, 1).setValue(std::string("line1\nline2"));
    wb.Names("label").setValue(std::string("June"));
    app.setCalculation(xlCalculation::xlCalculationAutomatic);
    std::string out = tmp.file(name);
    wb.SaveAs(out, format);
    wb.Close();
    return out;
  }

  TempFolder tmp;
  Application app;
  std::string templatePath;
};

TEST_F(TemplateRoundTrip, OpenpyxlReadsEveryWrittenValueAndTheTemplateSurvives) {
  std::string out = fillAndSave(51, "report.xlsx");
  std::string check = R"PY(
import openpyxl, zipfile, datetime
wb = openpyxl.load_workbook(OUT)
ws = wb["Report"]
assert ws["A3"].value == "Alice", ws["A3"].value
assert ws["B3"].value == 1234.5 and ws["B3"].number_format == "#,##0.00" and ws["B3"].font.i
assert ws["C3"].value == datetime.datetime(2024, 3, 5), ws["C3"].value
assert ws["C3"].number_format == "yyyy-mm-dd"
assert ws["D3"].value is True
assert ws["A4"].value == 'Bob <&> "quoted"'
assert ws["B4"].value == 2
assert ws["C4"].value == datetime.datetime(2024, 12, 31, 23, 30), ws["C4"].value
assert ws["C4"].number_format in ("m/d/yyyy h:mm", "m/d/yy h:mm"), ws["C4"].number_format
assert ws["D4"].value is None
assert ws["B5"].value == 10.25
assert ws["A6"].value == "=1+1" and ws["A6"].data_type == "s", ws["A6"].data_type
assert ws["A7"].value == "line1\nline2"
assert ws["B10"].value == "=SUM(B3:B9)"
assert ws["A1"].value == "Title" and ws["A1"].font.b
assert "A1:D1" in [str(r) for r in ws.merged_cells.ranges]
assert ws.column_dimensions["A"].width == 30
assert ws["A2"].fill.fgColor.rgb == "00FFFF00"
assert wb.defined_names["Label"].attr_text == '"June"', wb.defined_names["Label"].attr_text
assert wb.defined_names["Amounts"].attr_text == "Report!$B$3:$B$9"
assert wb["Data"]["B5"].value == 40
# Charts and pictures are carried byte for byte.
a, b = zipfile.ZipFile(TEMPLATE), zipfile.ZipFile(OUT)
carried = [n for n in a.namelist() if n.startswith(("xl/charts/", "xl/media/", "xl/drawings/", "xl/theme/"))]
assert any(n.startswith("xl/charts/") for n in carried) and any(n.startswith("xl/media/") for n in carried)
for n in carried:
    assert a.read(n) == b.read(n), n
print("ok")
)PY";
  std::string script = "OUT = '" + out + "'\nTEMPLATE = '" + templatePath + "'\n" + check;
  EXPECT_EQ(testing::runPython(tmp, script), "ok\n");
  // The template itself is never written.
  Workbook &again = app.Workbooks().Open(templatePath);
  EXPECT_TRUE(isNull(again.Worksheets(1).Range("A3").Value()));
}

TEST_F(TemplateRoundTrip, LibreOfficeRecalculatesTheFormulas) {
  if (!testing::haveLibreOffice())
    GTEST_SKIP() << "LibreOffice is not installed";
  std::string out = fillAndSave(51, "report.xlsx");
  std::string csv = testing::readBytes(testing::convertWithLibreOffice(tmp, out, "csv", "csv"));
  // B10 sums the three amounts; E1 shows the defined name's new value.
  EXPECT_NE(csv.find("1246.75"), std::string::npos) << csv;
  EXPECT_NE(csv.find("June"), std::string::npos) << csv;
  EXPECT_NE(csv.find("Alice"), std::string::npos) << csv;
  EXPECT_EQ(csv.find("template"), std::string::npos) << csv;
}

TEST_F(TemplateRoundTrip, ReadsBackWhatItWroteBeforeSaving) {
  Workbook &wb = app.Workbooks().Open(templatePath);
  EXPECT_EQ(wb.FileFormat(), 51);
  EXPECT_EQ(wb.WorksheetCount(), 2);
  EXPECT_EQ(wb.Worksheets(2).Name(), "Data");
  EXPECT_THROW(wb.Worksheets(3), SpreadsheetError);
  EXPECT_THROW(wb.Worksheets("Nope"), SpreadsheetError);
  EXPECT_THROW(wb.Names("Nope"), SpreadsheetError);
  Worksheet &ws = wb.Worksheets(1);
  Range amounts = ws.Range("Amounts");
  EXPECT_EQ(amounts.Address(false, false), "B3:B9");
  EXPECT_EQ(amounts.Rows().Count(), 7);
  EXPECT_EQ(ws.Range(ws.Cells(4, 6), ws.Cells(3, 2)).Address(), "$B$3:$F$4");
  EXPECT_EQ(ws.Range("$E:$E:$M:$M").Columns().Count(), 9);
  EXPECT_EQ(ws.Rows(5).Address(), "$5:$5");
  EXPECT_EQ(ws.Columns(3).Address(false, false), "C:C");
  EXPECT_THROW(ws.Range("Data!A1"), SpreadsheetError);
  EXPECT_THROW(ws.Range("B3:"), SpreadsheetError);
  EXPECT_EQ(ws.Range("B10").Formula(), "=SUM(B3:B9)");

  ws.Range("B3").setValue(1234.5);
  EXPECT_EQ(std::get<double>(ws.Range("B3").Value()), 1234.5);
  EXPECT_EQ(ws.Range("B3").Text(), "1,234.50");
  ws.Range("C3").setValue(DateValue{2024, 3, 5});
  EXPECT_EQ(ws.Range("C3").Text(), "2024-03-05");
  EXPECT_TRUE(std::holds_alternative<DateTimeValue>(ws.Range("C3").Value()));
  ws.Range("A2").setValue(std::monostate{});
  EXPECT_TRUE(isNull(ws.Range("A2").Value()));
  EXPECT_EQ(wb.Names("Label").Value(), "=\"template\"");
  wb.Names("Label").setValue(std::string("12.5"));
  EXPECT_EQ(wb.Names("Label").Value(), "=12.5");
  wb.Names("Label").setValue(std::string("say \"hi\""));
  EXPECT_EQ(wb.Names("Label").Value(), "=\"say \"\"hi\"\"\"");
  EXPECT_THROW(wb.Names("Label").setValue(std::monostate{}), SpreadsheetError);
  wb.Close();
  EXPECT_THROW(wb.Worksheets(1), SpreadsheetError);
}

} // namespace
} // namespace brevant
