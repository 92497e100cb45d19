// What a worksheet carries from template to report besides the written values.

#include <gtest/gtest.h>

#include "engine/components/spreadsheet/application.h"
#include "engine/components/spreadsheet/package/zip_writer.h"
#include "engine/components/spreadsheet/spreadsheet_error.h"
#include "spreadsheet_test_support.h"

namespace brevant {
namespace {

using testing::TempFolder;

const char *kSheetXml =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
    "xmlns:x14ac=\"http://schemas.microsoft.com/office/spreadsheetml/2009/9/ac\">"
    "<dimension ref=\"A1:C3\"/><sheetViews><sheetView tabSelected=\"1\" workbookViewId=\"0\"/>"
    "</sheetViews><cols><col min=\"2\" max=\"3\" width=\"20\" style=\"1\" customWidth=\"1\"/>"
    "</cols><sheetData>"
    "<row r=\"1\" ht=\"30\" customHeight=\"1\" x14ac:dyDescent=\"0.25\"><c r=\"A1\" "
    "t=\"inlineStr\">"
    "<is><t>inline</t></is></c><c r=\"B1\"><f t=\"shared\" ref=\"B1:B2\" si=\"0\">A3*2</f><v>8</v>"
    "</c></row><row r=\"2\" hidden=\"1\"><c r=\"B2\"><f t=\"shared\" si=\"0\"/><v>0</v></c></row>"
    "<row r=\"3\" s=\"1\" customFormat=\"1\"><c r=\"A3\"><v>4</v></c><c r=\"C3\" t=\"e\">"
    "<v>#N/A</v></c></row></sheetData>"
    "<mergeCells count=\"1\"><mergeCell ref=\"A5:B6\"/></mergeCells>"
    "<pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" header=\"0.3\" "
    "footer=\"0.3\"/></worksheet>";

class SheetContent : public ::testing::Test {
protected:
  void SetUp() override {
    path = tmp.file("t.xlsx");
    ZipWriter zip(path);
    zip.addData("[Content_Types].xml",
                "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                "<Default Extension=\"rels\" "
                "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
                "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/"
                "vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/></Types>");
    zip.addData("_rels/.rels",
                "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                "relationships\"><Relationship Id=\"rId1\" Type=\"http://schemas."
                "openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
                "Target=\"/xl/workbook.xml\"/></Relationships>");
    zip.addData("xl/workbook.xml",
                "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                "relationships\"><bookViews><workbookView activeTab=\"0\"/></bookViews><sheets>"
                "<sheet name=\"First\" sheetId=\"1\" r:id=\"rId1\"/>"
                "<sheet name=\"Second Sheet\" sheetId=\"2\" r:id=\"rId2\"/></sheets>"
                "<definedNames><definedName name=\"Spot\">First!$A$3</definedName>"
                "<definedName name=\"Spot\" localSheetId=\"1\">'Second Sheet'!$B$2"
                "</definedName></definedNames><calcPr calcId=\"191029\"/></workbook>");
    zip.addData("xl/_rels/workbook.xml.rels",
                "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                "relationships\"><Relationship Id=\"rId1\" Type=\"http://schemas."
                "openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
                "Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"rId2\" "
                "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
                "worksheet\" Target=\"worksheets/sheet2.xml\"/></Relationships>");
    zip.addData("xl/worksheets/sheet1.xml", kSheetXml);
    zip.addData("xl/worksheets/sheet2.xml",
                "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/"
                "main\"><sheetViews><sheetView workbookViewId=\"0\"/></sheetViews></worksheet>");
    zip.finish();
  }
  std::string savedSheet(Workbook &wb, const std::string &part) {
    std::string out = tmp.file("out.xlsx");
    wb.SaveAs(out, 51);
    return testing::runPython(tmp, "import zipfile\nprint(zipfile.ZipFile('" + out + "').read('" +
                                       part + "').decode())\n");
  }
  TempFolder tmp;
  Application app;
  std::string path;
};

TEST_F(SheetContent, FormulasRowsAndSheetPartsAreCarriedWithFreshCachedValues) {
  Workbook &wb = app.Workbooks().Open(path);
  Worksheet &ws = wb.Worksheets("first");
  EXPECT_EQ(std::get<std::string>(ws.Range("A1").Value()), "inline");
  EXPECT_EQ(std::get<double>(ws.Range("B1").Value()), 8); // the value last calculated
  EXPECT_EQ(std::get<std::string>(ws.Range("C3").Value()), "#N/A");
  ws.Range("D4").setValue(1.5);
  ws.Range("A3").setValue(5.0);
  std::string xml = savedSheet(wb, "xl/worksheets/sheet1.xml");
  // A shared formula is written out cell by cell, so that every cell can move on its own, each
  // with the value computed before saving rather than the one the template last showed.
  EXPECT_NE(xml.find("<c r=\"B1\"><f>A3*2</f><v>10</v></c>"), std::string::npos) << xml;
  EXPECT_NE(xml.find("<c r=\"B2\"><f>A4*2</f><v>0</v></c>"), std::string::npos);
  EXPECT_EQ(xml.find("<v>8</v>"), std::string::npos);
  EXPECT_NE(xml.find("<row r=\"1\" ht=\"30\" customHeight=\"1\" x14ac:dyDescent=\"0.25\">"),
            std::string::npos);
  EXPECT_NE(xml.find("<row r=\"2\" hidden=\"1\">"), std::string::npos);
  EXPECT_NE(xml.find("<row r=\"3\" s=\"1\" customFormat=\"1\">"), std::string::npos);
  EXPECT_NE(xml.find("<c r=\"C3\" t=\"e\"><v>#N/A</v></c>"), std::string::npos);
  EXPECT_NE(xml.find("<mergeCell ref=\"A5:B6\"/>"), std::string::npos);
  EXPECT_NE(xml.find("<dimension ref=\"A1:D4\"/>"), std::string::npos);
  EXPECT_NE(xml.find("<pageMargins"), std::string::npos);
  std::string book =
      testing::runPython(tmp, "import zipfile\nprint(zipfile.ZipFile('" + tmp.file("out.xlsx") +
                                  "').read('xl/workbook.xml').decode())\n");
  EXPECT_NE(book.find("fullCalcOnLoad=\"1\""), std::string::npos) << book;
}

TEST_F(SheetContent, NewCellsTakeTheRowOrColumnStyleAndDatesAFormatOnce) {
  Workbook &wb = app.Workbooks().Open(path);
  Worksheet &ws = wb.Worksheets(1);
  EXPECT_EQ(ws.defaultStyle(3, 5), 1u); // the row's format
  EXPECT_EQ(ws.defaultStyle(7, 2), 1u); // the column's format
  EXPECT_EQ(ws.defaultStyle(7, 5), 0u);
  ws.Range("E7").setValue(DateValue{2024, 1, 2});
  ws.Range("E8").setValue(DateValue{2024, 1, 3});
  ws.Range("E9").setValue(TimeValue{13, 5, 0, 0});
  const Cell *a = ws.cells().find(7, 5), *b = ws.cells().find(8, 5);
  EXPECT_EQ(a->style, b->style); // one derived format, not one per cell
  EXPECT_EQ(ws.Range("E7").Text(), "1/2/2024");
  EXPECT_EQ(ws.Range("E9").Text(), "1:05:00 PM");
  EXPECT_TRUE(std::holds_alternative<TimeValue>(ws.Range("E9").Value()));
  ws.Range("E7").setValue(std::monostate{});
  EXPECT_EQ(ws.cells().find(7, 5)->style, a->style); // emptied, format kept
  ws.Range("A20").setValue(DateValue{1850, 6, 1});   // before the spreadsheet's calendar
  EXPECT_EQ(std::get<std::string>(ws.Range("A20").Value()), "1850-06-01");
  ws.Range("A21").setValue(std::numeric_limits<double>::infinity());
  EXPECT_EQ(std::get<std::string>(ws.Range("A21").Value()), "#NUM!");
  ws.Range("A22:B23").setValue(int64_t{5});
  EXPECT_EQ(ws.cells().find(23, 2)->number, 5);
  EXPECT_EQ(ws.cells().find(23, 2)->type, CellType::Number);
}

TEST_F(SheetContent, NamesResolveLocalBeforeGlobal) {
  Workbook &wb = app.Workbooks().Open(path);
  EXPECT_EQ(wb.Worksheets(1).Range("spot").Address(false, false), "A3");
  EXPECT_EQ(wb.Worksheets("Second Sheet").Range("Spot").Address(false, false), "B2");
  EXPECT_EQ(wb.Names("Spot").Value(), "=First!$A$3");
  EXPECT_EQ(wb.Names("'Second Sheet'!Spot").Value(), "='Second Sheet'!$B$2");
  wb.Worksheets(2).Activate();
  EXPECT_EQ(wb.ActiveSheet().Name(), "Second Sheet");
  std::string xml = savedSheet(wb, "xl/worksheets/sheet1.xml");
  EXPECT_EQ(xml.find("tabSelected"), std::string::npos);
  std::string csv = tmp.file("active.csv");
  wb.Worksheets(2).Range("A1").setValue(std::string("second"));
  wb.SaveAs(csv, 6);
  EXPECT_EQ(testing::readBytes(csv), "second\r\n");
}

TEST_F(SheetContent, AMillionRowsInsertedAtTheEndStayCheap) {
  Workbook &wb = app.Workbooks().Open(path);
  Worksheet &ws = wb.Worksheets(1);
  ws.Cells(kMaxRows, kMaxColumns).setValue(std::string("corner"));
  EXPECT_EQ(ws.cells().rowCount(), kMaxRows);
  EXPECT_EQ(ws.UsedRange().Address(false, false), "1:1048576");
  EXPECT_THROW(ws.Cells(kMaxRows + 1, 1), SpreadsheetError);
  EXPECT_THROW(ws.Cells(1, 0), SpreadsheetError);
}

} // namespace
} // namespace brevant
