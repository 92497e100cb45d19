// Timings of the structural operations a report fill makes: one bulk insert followed by an
// auto-fill over it, and the grouped fill's many small inserts near the end of the filled area,
// each followed by a copy of the template block, on a sheet with formulas in every block; and
// both again on a record row that carries a note, a sparkline and a dynamic-array formula.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>

#include "engine/components/spreadsheet/application.h"
#include "engine/components/spreadsheet/package/package.h"
#include "engine/components/spreadsheet/workbook.h"
#include "engine/components/spreadsheet/workbooks.h"

using namespace brevant;

namespace {

double seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

std::string makeTemplate() {
  std::string path = (std::filesystem::temp_directory_path() / "brevant-structure-bench.csv");
  std::ofstream(path) << "Report\n\n\nName,Amount,Double\nrec,1,0\nTotal,0,0\n";
  return path;
}

// The same sheet as an .xlsx whose record row 5 has a note on A5 (with its VML box), a
// sparkline in D5 over B5:C5 and a dynamic-array formula in C5; a note sits on the total too.
std::string makeRichTemplate() {
  std::string path = (std::filesystem::temp_directory_path() / "brevant-structure-bench.xlsx");
  const std::string main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
  const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
  const std::string pkg = "http://schemas.openxmlformats.org/package/2006/relationships";
  const std::string ct = "application/vnd.openxmlformats-officedocument.spreadsheetml.";
  Package p;
  p.write("[Content_Types].xml",
          "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
          "<Default Extension=\"rels\" ContentType=\"application/"
          "vnd.openxmlformats-package.relationships+xml\"/><Default Extension=\"xml\" "
          "ContentType=\"application/xml\"/><Default Extension=\"vml\" ContentType=\"application/"
          "vnd.openxmlformats-officedocument.vmlDrawing\"/><Override PartName=\"/xl/workbook.xml\" "
          "ContentType=\"" +
              ct +
              "sheet.main+xml\"/><Override PartName=\"/xl/worksheets/sheet1.xml\" "
              "ContentType=\"" +
              ct +
              "worksheet+xml\"/><Override PartName=\"/xl/comments1.xml\" "
              "ContentType=\"" +
              ct + "comments+xml\"/></Types>");
  p.write("_rels/.rels", "<Relationships xmlns=\"" + pkg + "\"><Relationship Id=\"rId1\" Type=\"" +
                             rel +
                             "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>");
  p.write("xl/workbook.xml", "<workbook xmlns=\"" + main + "\" xmlns:r=\"" + rel +
                                 "\"><sheets><sheet name=\"S\" sheetId=\"1\" r:id=\"rId1\"/>"
                                 "</sheets></workbook>");
  p.write("xl/_rels/workbook.xml.rels",
          "<Relationships xmlns=\"" + pkg + "\"><Relationship Id=\"rId1\" Type=\"" + rel +
              "/worksheet\" Target=\"worksheets/sheet1.xml\"/></Relationships>");
  p.write(
      "xl/worksheets/sheet1.xml",
      "<worksheet xmlns=\"" + main + "\" xmlns:r=\"" + rel +
          "\"><sheetData><row r=\"5\"><c r=\"A5\" t=\"inlineStr\"><is><t>rec</t></is></c>"
          "<c r=\"B5\"><v>1</v></c><c r=\"C5\" cm=\"1\"><f t=\"array\" ref=\"C5\">B5*2</f>"
          "</c></row><row r=\"6\"><c r=\"B6\"><f>SUM(B5:B5)</f></c></row></sheetData>"
          "<legacyDrawing r:id=\"rId2\"/><extLst><ext uri=\"{05C60535-1F16-4fd2-B633-"
          "F4F36F0B64E0}\" xmlns:x14=\"http://schemas.microsoft.com/office/spreadsheetml/2009/9/"
          "main\"><x14:sparklineGroups xmlns:xm=\"http://schemas.microsoft.com/office/excel/2006/"
          "main\"><x14:sparklineGroup><x14:sparklines><x14:sparkline><xm:f>S!B5:C5</xm:f>"
          "<xm:sqref>D5</xm:sqref></x14:sparkline></x14:sparklines></x14:sparklineGroup>"
          "</x14:sparklineGroups></ext></extLst></worksheet>");
  p.write("xl/worksheets/_rels/sheet1.xml.rels",
          "<Relationships xmlns=\"" + pkg + "\"><Relationship Id=\"rId1\" Type=\"" + rel +
              "/comments\" Target=\"../comments1.xml\"/><Relationship Id=\"rId2\" Type=\"" + rel +
              "/vmlDrawing\" Target=\"../drawings/vmlDrawing1.vml\"/></Relationships>");
  p.write("xl/comments1.xml", "<comments xmlns=\"" + main +
                                  "\"><authors><author>a</author></authors><commentList>"
                                  "<comment ref=\"A5\" authorId=\"0\"><text><t>record</t></text>"
                                  "</comment><comment ref=\"B6\" authorId=\"0\"><text><t>total"
                                  "</t></text></comment></commentList></comments>");
  std::string vml = "<xml xmlns:v=\"urn:schemas-microsoft-com:vml\" xmlns:o=\"urn:schemas-"
                    "microsoft-com:office:office\" xmlns:x=\"urn:schemas-microsoft-com:office:"
                    "excel\"><o:shapelayout v:ext=\"edit\"><o:idmap v:ext=\"edit\" data=\"1\"/>"
                    "</o:shapelayout>";
  for (auto [id, row, column] : {std::tuple{1025, 4, 0}, std::tuple{1026, 5, 1}})
    vml += "<v:shape id=\"_x0000_s" + std::to_string(id) +
           "\" type=\"#_x0000_t202\"><x:ClientData ObjectType=\"Note\"><x:Anchor>1, 15, " +
           std::to_string(row) + ", 2, 3, 15, " + std::to_string(row + 4) +
           ", 4</x:Anchor><x:Row>" + std::to_string(row) + "</x:Row><x:Column>" +
           std::to_string(column) + "</x:Column></x:ClientData></v:shape>";
  p.write("xl/drawings/vmlDrawing1.vml", vml + "</xml>");
  p.save(path, {});
  return path;
}

void variableFill(const std::string &path, int32_t records, bool rich = false) {
  Application app;
  Worksheet &ws = app.Workbooks().Open(path).Worksheets(1);
  if (!rich) {
    ws.Range("C5").setFormula("=B5*2");
    ws.Range("B6").setFormula("=SUM(B5:B5)");
  }
  auto start = std::chrono::steady_clock::now();
  ws.Range("6:" + std::to_string(5 + records - 1)).Insert(xlDirection::xlDown);
  double insert = seconds(start);
  const std::string last = rich ? "D" : "C"; // the rich row's sparkline is in D
  ws.Range("A5:" + last + "5").AutoFill(ws.Range("A5:" + last + std::to_string(5 + records - 1)));
  double total = seconds(start);
  std::printf("variable fill%s, %d records: insert %.3f s, insert + auto-fill %.3f s (total %s)\n",
              rich ? " (note, sparkline, metadata)" : "", records, insert, total,
              ws.Cells(5 + records, 2).Formula().c_str());
}

void groupedInserts(const std::string &path, int32_t inserts, bool rich = false) {
  Application app;
  Worksheet &ws = app.Workbooks().Open(path).Worksheets(1);
  if (!rich) {
    ws.Range("C5").setFormula("=B5*2");
    ws.Range("B6").setFormula("=SUM(B5:B5)");
  }
  // The template copy sits below the output, as in a grouped fill: one row per record.
  ws.Range("6:6").Insert(xlDirection::xlDown);
  const std::string last = rich ? "D" : "C";
  ws.Range("A5:" + last + "5").Copy(ws.Range("A6"));
  auto start = std::chrono::steady_clock::now();
  int32_t copyRow = 6;
  for (int32_t k = 0; k < inserts; ++k) {
    // One new detail row after the output block, then the template copy into it.
    ws.Rows(copyRow).Insert(xlDirection::xlDown);
    ++copyRow;
    ws.Range("A" + std::to_string(copyRow) + ":" + last + std::to_string(copyRow))
        .Copy(ws.Range("A" + std::to_string(copyRow - 1)));
    ws.Cells(copyRow - 1, 2).setValue(double(k));
  }
  double total = seconds(start);
  std::printf("grouped fill%s, %d inserts + copies with formulas in every row: %.3f s "
              "(%.2f us per record; total %s)\n",
              rich ? " (note, sparkline, metadata)" : "", inserts, total, total * 1e6 / inserts,
              ws.Cells(copyRow + 1, 2).Formula().c_str());
}

} // namespace

int main(int argc, char **argv) {
  int32_t scale = argc > 1 ? std::stoi(argv[1]) : 1;
  std::string path = makeTemplate();
  variableFill(path, 100000 * scale);
  variableFill(path, 1000000);
  groupedInserts(path, 10000 * scale);
  groupedInserts(path, 100000);
  std::filesystem::remove(path);
  if (argc > 2 && std::string(argv[2]) == "plain")
    return 0;
  path = makeRichTemplate();
  variableFill(path, 100000 * scale, true);
  variableFill(path, 1000000, true);
  groupedInserts(path, 10000 * scale, true);
  groupedInserts(path, 100000, true);
  std::filesystem::remove(path);
  return 0;
}
