// Timings of the structural operations a report fill makes: one bulk insert followed by an
// auto-fill over it, and the grouped fill's many small inserts near the end of the filled area,
// each followed by a copy of the template block, on a sheet with formulas in every block.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/components/spreadsheet/application.h"
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

void variableFill(const std::string &path, int32_t records) {
  Application app;
  Worksheet &ws = app.Workbooks().Open(path).Worksheets(1);
  ws.Range("C5").setFormula("=B5*2");
  ws.Range("B6").setFormula("=SUM(B5:B5)");
  auto start = std::chrono::steady_clock::now();
  ws.Range("6:" + std::to_string(5 + records - 1)).Insert(xlDirection::xlDown);
  double insert = seconds(start);
  ws.Range("A5:C5").AutoFill(ws.Range("A5:C" + std::to_string(5 + records - 1)));
  double total = seconds(start);
  std::printf("variable fill, %d records: insert %.3f s, insert + auto-fill %.3f s (total %s)\n",
              records, insert, total, ws.Cells(5 + records, 2).Formula().c_str());
}

void groupedInserts(const std::string &path, int32_t inserts) {
  Application app;
  Worksheet &ws = app.Workbooks().Open(path).Worksheets(1);
  ws.Range("C5").setFormula("=B5*2");
  ws.Range("B6").setFormula("=SUM(B5:B5)");
  // The template copy sits below the output, as in a grouped fill: one row per record.
  ws.Range("6:6").Insert(xlDirection::xlDown);
  ws.Range("A5:C5").Copy(ws.Range("A6"));
  auto start = std::chrono::steady_clock::now();
  int32_t copyRow = 6;
  for (int32_t k = 0; k < inserts; ++k) {
    // One new detail row after the output block, then the template copy into it.
    ws.Rows(copyRow).Insert(xlDirection::xlDown);
    ++copyRow;
    ws.Range("A" + std::to_string(copyRow) + ":C" + std::to_string(copyRow))
        .Copy(ws.Range("A" + std::to_string(copyRow - 1)));
    ws.Cells(copyRow - 1, 2).setValue(double(k));
  }
  double total = seconds(start);
  std::printf("grouped fill, %d inserts + copies with formulas in every row: %.3f s "
              "(%.2f us per record; total %s)\n",
              inserts, total, total * 1e6 / inserts, ws.Cells(copyRow + 1, 2).Formula().c_str());
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
  return 0;
}
