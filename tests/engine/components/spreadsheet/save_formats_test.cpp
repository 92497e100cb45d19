// Saving in each format the engine writes: macro parts kept or dropped, template content
// types, the text formats with the displayed values of the active sheet, and text files opened
// as one-sheet workbooks.

#include <gtest/gtest.h>

#include "engine/components/spreadsheet/application.h"
#include "engine/components/spreadsheet/file_formats.h"
#include "engine/components/spreadsheet/spreadsheet_error.h"
#include "spreadsheet_test_support.h"

namespace brevant {
namespace {

using testing::TempFolder;

// A macro-enabled template: a small openpyxl workbook given a VBA project part.
const char *kMakeMacroWorkbook = R"PY(
import openpyxl, zipfile
wb = openpyxl.Workbook()
ws = wb.active
ws.title = "Main"
ws["A1"] = "x"
wb.create_sheet("Other")["A1"] = "other sheet"
wb.save(FOLDER + "/plain.xlsx")
src = zipfile.ZipFile(FOLDER + "/plain.xlsx")
dst = zipfile.ZipFile(FOLDER + "/macro.xlsm", "w", zipfile.ZIP_DEFLATED)
for item in src.infolist():
    data = src.read(item.filename)
    if item.filename == "[Content_Types].xml":
        data = data.replace(b"spreadsheetml.sheet.main+xml", b"PLACEHOLDER")
        data = data.replace(b"application/vnd.openxmlformats-officedocument.PLACEHOLDER",
                            b"application/vnd.ms-excel.sheet.macroEnabled.main+xml")
        data = data.replace(b"</Types>", b'<Default Extension="bin" ContentType="application/vnd.ms-office.vbaProject"/></Types>')
    if item.filename == "xl/_rels/workbook.xml.rels":
        data = data.replace(b"</Relationships>", b'<Relationship Id="rIdVba" Type="http://schemas.microsoft.com/office/2006/relationships/vbaProject" Target="vbaProject.bin"/></Relationships>')
    dst.writestr(item.filename, data)
dst.writestr("xl/vbaProject.bin", bytes(range(256)) * 8)
dst.close()
)PY";

class SaveFormats : public ::testing::Test {
protected:
  void SetUp() override {
    testing::runPython(tmp, "FOLDER = '" + tmp.path().string() + "'\n" + kMakeMacroWorkbook);
  }
  std::string zipListing(const std::string &path) {
    return testing::runPython(tmp, "import zipfile\nz = zipfile.ZipFile('" + path +
                                       "')\nprint(sorted(z.namelist()))\n"
                                       "print(z.read('[Content_Types].xml').decode())\n");
  }
  TempFolder tmp;
  Application app;
};

TEST_F(SaveFormats, MacrosAreKeptOnlyInMacroEnabledFormats) {
  Workbook &wb = app.Workbooks().Open(tmp.file("macro.xlsm"));
  EXPECT_EQ(wb.FileFormat(), 52);
  wb.RunAutoMacros(1);
  wb.SaveAs(tmp.file("kept.xlsm"), 52);
  std::string kept = zipListing(tmp.file("kept.xlsm"));
  EXPECT_NE(kept.find("xl/vbaProject.bin"), std::string::npos);
  EXPECT_NE(kept.find("sheet.macroEnabled.main+xml"), std::string::npos);
  std::string original =
      testing::runPython(tmp, "import zipfile\nprint(zipfile.ZipFile('" + tmp.file("macro.xlsm") +
                                  "').read('xl/vbaProject.bin') == zipfile.ZipFile('" +
                                  tmp.file("kept.xlsm") + "').read('xl/vbaProject.bin'))\n");
  EXPECT_EQ(original, "True\n");

  wb.SaveAs(tmp.file("dropped.xlsx"), 51);
  EXPECT_EQ(wb.FileFormat(), 51);
  std::string dropped = zipListing(tmp.file("dropped.xlsx"));
  EXPECT_EQ(dropped.find("vbaProject"), std::string::npos) << dropped;
  EXPECT_NE(dropped.find("spreadsheetml.sheet.main+xml"), std::string::npos);
  // openpyxl reads the file written without macros.
  EXPECT_EQ(testing::runPython(tmp, "import openpyxl\nprint(openpyxl.load_workbook('" +
                                        tmp.file("dropped.xlsx") + "')['Main']['A1'].value)\n"),
            "x\n");
}

TEST_F(SaveFormats, TemplatesGetTheTemplateContentType) {
  Workbook &wb = app.Workbooks().Open(tmp.file("plain.xlsx"));
  wb.SaveAs(tmp.file("t.xltx"), 54);
  EXPECT_NE(zipListing(tmp.file("t.xltx")).find("spreadsheetml.template.main+xml"),
            std::string::npos);
  wb.SaveAs(tmp.file("t.xltm"), 53);
  EXPECT_NE(zipListing(tmp.file("t.xltm")).find("template.macroEnabled.main+xml"),
            std::string::npos);
  Workbook &again = app.Workbooks().Open(tmp.file("t.xltx"));
  EXPECT_EQ(again.FileFormat(), 54);
}

TEST_F(SaveFormats, FormatsTheEngineCannotWriteFail) {
  Workbook &wb = app.Workbooks().Open(tmp.file("plain.xlsx"));
  for (int code : {0, 50, 46, 61})
    EXPECT_THROW(wb.SaveAs(tmp.file("x.out"), code), SpreadsheetError) << code;
  EXPECT_FALSE(std::filesystem::exists(tmp.file("x.out")));
  EXPECT_THROW(wb.SaveAs(tmp.file("no/such/folder/x.xlsx"), 51), SpreadsheetError);
}

class TextOutput : public SaveFormats {
protected:
  // The active sheet gets a small table with formats; the other sheet must not appear.
  Workbook &filled() {
    Workbook &wb = app.Workbooks().Open(tmp.file("plain.xlsx"));
    Worksheet &ws = wb.Worksheets("Main");
    ws.Activate();
    ws.Range("A1").setValue(std::string("Name"));
    ws.Range("B1").setValue(std::string("Amount"));
    ws.Range("C1").setValue(std::string("When"));
    ws.Range("A2").setValue(std::string("Smith, \"J\""));
    ws.Range("B2").setValue(1234.5);
    ws.Range("C2").setValue(DateValue{2024, 3, 5});
    ws.Range("A3").setValue(std::string("Zoë"));
    ws.Range("B3").setValue(0.125);
    ws.Range("D3").setValue(true);
    return wb;
  }
};

TEST_F(TextOutput, CsvHoldsTheDisplayedValuesOfTheActiveSheet) {
  Workbook &wb = filled();
  wb.SaveAs(tmp.file("r.csv"), 6);
  EXPECT_EQ(testing::readBytes(tmp.file("r.csv")), "Name,Amount,When,\r\n"
                                                   "\"Smith, \"\"J\"\"\",1234.5,3/5/2024,\r\n"
                                                   "Zoë,0.125,,TRUE\r\n");
  EXPECT_EQ(wb.FileFormat(), 6);
  wb.SaveAs(tmp.file("r8.csv"), 62);
  EXPECT_EQ(testing::readBytes(tmp.file("r8.csv")).substr(0, 8), "\xEF\xBB\xBFName,");
  wb.SaveAs(tmp.file("mac.csv"), 22);
  EXPECT_EQ(testing::readBytes(tmp.file("mac.csv")).substr(0, 19), "Name,Amount,When,\r\"");
}

TEST_F(TextOutput, TabUnicodeAndFormattedText) {
  Workbook &wb = filled();
  wb.SaveAs(tmp.file("r.txt"), -4158);
  EXPECT_EQ(testing::readBytes(tmp.file("r.txt")).substr(0, 19), "Name\tAmount\tWhen\t\r\n");
  wb.SaveAs(tmp.file("u.txt"), 42);
  std::string u = testing::readBytes(tmp.file("u.txt"));
  ASSERT_GE(u.size(), 6u);
  EXPECT_EQ(u.substr(0, 6), std::string("\xFF\xFEN\0a\0", 6));
  EXPECT_NE(u.find(std::string("Z\0o\0\xEB\0", 6)), std::string::npos); // ë as one UTF-16 unit
  wb.SaveAs(tmp.file("r.prn"), 36);
  std::string prn = testing::readBytes(tmp.file("r.prn"));
  // Default columns are 8 characters wide (8.43 rounded); numbers right-aligned.
  EXPECT_NE(prn.find("Name    Amount  When"), std::string::npos) << prn;
  EXPECT_NE(prn.find("Zoë        0.125        TRUE"), std::string::npos) << prn;
}

TEST_F(TextOutput, CsvFileOpensAsOneSheetWorkbookWithTypedValues) {
  testing::writeBytes(tmp.file("in.csv"), "id,name,when,share\r\n"
                                          "1,\"Smith, J\",2024-03-05,12%\n"
                                          "002,\"multi\nline\",3/6/2024 13:45,TRUE\n"
                                          "\"1,234\",=cmd|' /C calc'!A0,,\n");
  Workbook &wb = app.Workbooks().Open(tmp.file("in.csv"));
  EXPECT_EQ(wb.FileFormat(), 6);
  EXPECT_TRUE(isTextFileFormat(wb.FileFormat()));
  ASSERT_EQ(wb.WorksheetCount(), 1);
  Worksheet &ws = wb.Worksheets(1);
  EXPECT_EQ(ws.Name(), "in");
  EXPECT_EQ(std::get<double>(ws.Range("A2").Value()), 1);
  EXPECT_EQ(std::get<std::string>(ws.Range("B2").Value()), "Smith, J");
  EXPECT_EQ(ws.Range("C2").Text(), "3/5/2024");
  EXPECT_EQ(ws.Range("D2").Text(), "12%");
  EXPECT_EQ(std::get<double>(ws.Range("A3").Value()), 2);
  EXPECT_EQ(std::get<std::string>(ws.Range("B3").Value()), "multi\nline");
  EXPECT_EQ(ws.Range("C3").Text(), "3/6/2024 13:45");
  EXPECT_EQ(std::get<bool>(ws.Range("D3").Value()), true);
  EXPECT_EQ(std::get<double>(ws.Range("A4").Value()), 1234);
  // Text that looks like a formula stays text.
  EXPECT_EQ(ws.Range("B4").Formula(), "=cmd|' /C calc'!A0");
  EXPECT_TRUE(std::holds_alternative<std::string>(ws.Range("B4").Value()));
  wb.SaveAs(tmp.file("from-csv.xlsx"), 51);
  EXPECT_EQ(testing::runPython(tmp, "import openpyxl\nws = openpyxl.load_workbook('" +
                                        tmp.file("from-csv.xlsx") +
                                        "').active\nprint(ws['B2'].value, ws['D2'].value, "
                                        "ws['D2'].number_format, ws['C2'].value)\n"),
            "Smith, J 0.12 0% 2024-03-05 00:00:00\n");
}

TEST_F(TextOutput, TextFilesInOtherEncodingsAreRead) {
  testing::writeBytes(tmp.file("latin.txt"), "caf\xE9\t\x80 5\r\n");
  Workbook &wb = app.Workbooks().Open(tmp.file("latin.txt"));
  EXPECT_EQ(wb.FileFormat(), -4158);
  EXPECT_EQ(std::get<std::string>(wb.Worksheets(1).Range("A1").Value()), "café");
  EXPECT_EQ(std::get<std::string>(wb.Worksheets(1).Range("B1").Value()), "€ 5");
  testing::writeBytes(tmp.file("wide.txt"), std::string("\xFF\xFEh\0i\0\t\0"
                                                        "7\0",
                                                        10));
  Workbook &wide = app.Workbooks().Open(tmp.file("wide.txt"));
  EXPECT_EQ(std::get<std::string>(wide.Worksheets(1).Range("A1").Value()), "hi");
  EXPECT_EQ(std::get<double>(wide.Worksheets(1).Range("B1").Value()), 7);
}

} // namespace
} // namespace brevant
