// A workbook saved with its parts compressed in chunks on several threads must be the same
// workbook as one saved in a single pass, for every reader: the zip tester, openpyxl and
// LibreOffice.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "engine/components/spreadsheet/application.h"
#include "engine/components/spreadsheet/package/package.h"
#include "engine/components/spreadsheet/package/zip_writer.h"
#include "engine/components/spreadsheet/spreadsheet_test_support.h"

namespace brevant {
namespace {

using testing::TempFolder;

constexpr size_t kChunk = 4096;
constexpr int kRows = 30000;

void writeTemplate(const std::string &path) {
  ZipWriter zip(path);
  zip.addData("[Content_Types].xml",
              "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
              "<Default Extension=\"rels\" "
              "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
              "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
              "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/"
              "vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
              "<Override PartName=\"/xl/worksheets/sheet1.xml\" ContentType=\"application/"
              "vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/></Types>");
  zip.addData("_rels/.rels",
              "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
              "relationships\"><Relationship Id=\"rId1\" Type=\"http://schemas."
              "openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
              "Target=\"xl/workbook.xml\"/></Relationships>");
  zip.addData("xl/workbook.xml",
              "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
              "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
              "<sheets><sheet name=\"Data\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>");
  zip.addData("xl/_rels/workbook.xml.rels",
              "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
              "relationships\"><Relationship Id=\"rId1\" Type=\"http://schemas."
              "openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
              "Target=\"worksheets/sheet1.xml\"/></Relationships>");
  zip.addData("xl/worksheets/sheet1.xml",
              "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
              "<sheetData/></worksheet>");
  zip.finish();
}

class ParallelSave : public ::testing::Test {
protected:
  // A report of kRows rows (numbers, shared strings, a formula), saved the ordinary way: its
  // sheet spans several default chunks.
  void SetUp() override {
    std::string templ = tmp.file("template.xlsx");
    writeTemplate(templ);
    Workbook &wb = app.Workbooks().Open(templ);
    Worksheet &ws = wb.Worksheets(1);
    for (int r = 1; r <= kRows; ++r) {
      std::string row = std::to_string(r);
      ws.Range("A" + row).setValue(r * 0.25);
      ws.Range("B" + row).setValue(std::string("text ") + std::to_string(r % 997));
      ws.Range("C" + row).setFormula("=A" + row + "*2");
    }
    saved = tmp.file("saved.xlsx");
    wb.SaveAs(saved, 51);
  }

  // Re-saves the saved report with `options`. The sheet is padded with white space after its
  // root element to a multiple of the chunk size, and an empty part is added.
  std::string resave(const std::string &name, const CompressionOptions &options) {
    Package pkg = Package::fromFile(saved);
    for (const std::string &part : pkg.names()) {
      std::string data = pkg.read(part);
      if (part == "xl/worksheets/sheet1.xml")
        data.append((kChunk - data.size() % kChunk) % kChunk, '\n');
      pkg.write(part, std::move(data));
    }
    sheetSize = pkg.read("xl/worksheets/sheet1.xml").size();
    std::string path = tmp.file(name);
    pkg.save(path, {{"xl/empty.bin", [](const std::function<void(std::string_view)> &) {}}},
             options);
    return path;
  }

  TempFolder tmp;
  Application app;
  std::string saved;
  size_t sheetSize = 0;
};

TEST_F(ParallelSave, ChunkedPartsMakeTheSameWorkbookAsASinglePassForEveryReader) {
  std::string serial = resave("serial.xlsx", {4, 1, kChunk});
  std::string parallel = resave("parallel.xlsx", {4, 2, kChunk});
  ASSERT_EQ(sheetSize % kChunk, 0u); // the sheet ends exactly on a chunk boundary
  ASSERT_GT(sheetSize / kChunk, 100u);

  for (const std::string &path : {serial, parallel, saved})
    EXPECT_EQ(std::system(("unzip -tqq " + path + " > /dev/null").c_str()), 0) << path;

  // Every part inflates to the same bytes (the zip module checks each CRC-32 as it reads), and
  // openpyxl sees the same cells.
  std::string out = testing::runPython(tmp, R"(
import openpyxl, sys, zipfile
paths = [r')" + serial + "', r'" + parallel + "', r'" +
                                                saved + R"(']
a, b = zipfile.ZipFile(paths[0]), zipfile.ZipFile(paths[1])
assert a.namelist() == b.namelist(), (a.namelist(), b.namelist())
for name in a.namelist():
    assert a.read(name) == b.read(name), name
assert a.read('xl/empty.bin') == b''
cells = []
for p in paths:
    ws = openpyxl.load_workbook(p).active
    cells.append([[c.value for c in row] for row in ws.iter_rows()])
assert cells[0] == cells[1] == cells[2]
print(len(cells[0]), cells[0][0], cells[0][-1])
)");
  EXPECT_EQ(out, "30000 [0.25, 'text 1', '=A1*2'] [7500, 'text 90', '=A30000*2']\n");

  if (!testing::haveLibreOffice())
    GTEST_SKIP() << "LibreOffice is not installed";
  std::string serialCsv = testing::readBytes(testing::convertWithLibreOffice(
      tmp, serial, "csv:Text - txt - csv (StarCalc):44,34,76", "csv"));
  std::string parallelCsv = testing::readBytes(testing::convertWithLibreOffice(
      tmp, parallel, "csv:Text - txt - csv (StarCalc):44,34,76", "csv"));
  EXPECT_EQ(serialCsv, parallelCsv);
  // LibreOffice recalculated the formulas from the values it read.
  EXPECT_NE(parallelCsv.find("7500,text 90,15000"), std::string::npos);
  EXPECT_EQ(std::count(parallelCsv.begin(), parallelCsv.end(), '\n'), kRows);
}

} // namespace
} // namespace brevant
