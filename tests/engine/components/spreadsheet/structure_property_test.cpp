// Random sequences of row and column inserts and deletes on a sheet full of formulas, checked
// against a model that only follows the cells: a reference must end up on the cell it named
// (or #REF! when that cell is gone), a range must cover exactly the surviving cells it covered.

#include <gtest/gtest.h>

#include <map>
#include <random>

#include "engine/components/spreadsheet/application.h"
#include "engine/components/spreadsheet/workbook.h"
#include "engine/components/spreadsheet/workbooks.h"
#include "spreadsheet_test_support.h"

namespace brevant {
namespace {

using testing::TempFolder;

// The value of a formula of the forms the test writes: "B3", "Grid!B3", "SUM(B2:D5)",
// "SUM(Grid!B2:D5)", each possibly with #REF! in place of the reference.
std::optional<double> evaluate(Worksheet &grid, std::string text) {
  if (text.rfind("SUM(", 0) == 0)
    text = text.substr(4, text.size() - 5);
  if (text.find("#REF!") != std::string::npos)
    return std::nullopt;
  if (auto bang = text.find('!'); bang != std::string::npos)
    text = text.substr(bang + 1);
  auto rect = parseReference(text);
  EXPECT_TRUE(rect) << text;
  if (!rect)
    return std::nullopt;
  double sum = 0;
  CellStore &cells = grid.cells();
  for (int32_t r = rect->firstRow; r <= std::min(rect->lastRow, cells.rowCount()); ++r)
    for (const Cell &c : cells.row(r)->cells)
      if (c.column >= rect->firstColumn && c.column <= rect->lastColumn &&
          c.type == CellType::Number)
        sum += c.number;
  return sum;
}

struct Expected {
  std::vector<double> values; // the value cells the formula covered
  bool single;
};

TEST(StructureProperty, RandomInsertsAndDeletesKeepEveryReferenceOnItsCells) {
  TempFolder tmp;
  testing::runPython(tmp, "import openpyxl\nwb = openpyxl.Workbook()\nwb.active.title = 'Grid'\n"
                          "wb.create_sheet('Other')\nwb.save(r'" +
                              tmp.file("blank.xlsx") + "')\n");
  std::mt19937 random(20240601);
  for (int round = 0; round < 40; ++round) {
    Application app;
    Workbook &book = app.Workbooks().Open(tmp.file("blank.xlsx"));
    Worksheet &grid = book.Worksheets("Grid");
    Worksheet &other = book.Worksheets("Other");
    const int rows = 14, cols = 8;
    // Values: a unique number per cell; formulas in column J and on the other sheet.
    for (int r = 1; r <= rows; ++r)
      for (int c = 1; c <= cols; ++c)
        grid.Cells(r, c).setValue(double(r * 100 + c));
    struct Probe {
      Worksheet *sheet;
      uint32_t formula;
      std::vector<double> covered;
      bool single;
    };
    std::vector<Probe> probes;
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    for (int k = 0; k < 24; ++k) {
      bool single = pick(0, 2) == 0;
      int r1 = pick(1, rows), c1 = pick(1, cols);
      int r2 = single ? r1 : pick(r1, rows), c2 = single ? c1 : pick(c1, cols);
      bool onOther = k % 3 == 0;
      CellRect rect{r1, c1, r2, c2};
      std::string ref = formatAddress(rect, pick(0, 1), pick(0, 1));
      std::string text = single ? ref : "SUM(" + ref + ")";
      if (onOther)
        text = single ? "Grid!" + ref : "SUM(Grid!" + ref + ")";
      Worksheet &host = onOther ? other : grid;
      Range cell = onOther ? other.Cells(k + 1, 1) : grid.Cells(k + 1, cols + 2);
      cell.setFormula("=" + text);
      Probe p{&host, host.cells().find(cell.Row(), cell.Column())->index, {}, single};
      for (int r = r1; r <= r2; ++r)
        for (int c = c1; c <= c2; ++c)
          p.covered.push_back(double(r * 100 + c));
      probes.push_back(p);
    }
    // A random sequence of structural changes on the grid sheet. Inserts land inside or next
    // to the data; deletes never touch the formula column.
    std::string log;
    for (int step = 0; step < 8; ++step) {
      int kind = pick(0, 3);
      int count = pick(1, 3);
      if (kind == 0) {
        int at = pick(1, rows + 2);
        grid.Range(std::to_string(at) + ":" + std::to_string(at + count - 1)).Insert();
        log += " insert rows " + std::to_string(at) + "+" + std::to_string(count);
      } else if (kind == 1) {
        int at = pick(1, cols);
        grid.Range(grid.Columns(at), grid.Columns(at + count - 1)).Insert();
        log += " insert cols " + std::to_string(at) + "+" + std::to_string(count);
      } else if (kind == 2) {
        // Rows beyond 24 hold only formulas that the deletes must not remove.
        int at = pick(1, rows);
        grid.Rows(at).Delete();
        log += " delete row " + std::to_string(at);
      } else {
        // The formula column sits right of the data; find it and stay left of it.
        int at = pick(1, 3);
        grid.Columns(at).Delete();
        log += " delete col " + std::to_string(at);
      }
    }
    // Which values survived?
    std::map<double, bool> alive;
    CellStore &cells = grid.cells();
    for (int32_t r = 1; r <= cells.rowCount(); ++r)
      for (const Cell &c : cells.row(r)->cells)
        if (c.type == CellType::Number)
          alive[c.number] = true;
    for (const Probe &p : probes) {
      const Formula &f = p.sheet->cells().formula(p.formula);
      if (f.dead)
        continue; // the formula's own cell was deleted
      double sum = 0;
      bool any = false;
      for (double v : p.covered)
        if (alive.count(v)) {
          sum += v;
          any = true;
        }
      auto got = evaluate(grid, f.text);
      if (!any) {
        EXPECT_FALSE(got) << f.text << " after" << log;
      } else {
        ASSERT_TRUE(got) << f.text << " after" << log;
        EXPECT_EQ(*got, sum) << f.text << " after" << log;
      }
    }
  }
}

} // namespace
} // namespace brevant
