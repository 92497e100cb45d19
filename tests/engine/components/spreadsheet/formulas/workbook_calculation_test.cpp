// The workbook's formulas computed before saving: order across sheets and along long chains,
// circular references, the spreadsheet's coercions and comparisons, errors, implicit
// intersection, names, array formulas, and formulas that cannot be computed.

#include <gtest/gtest.h>

#include "../spreadsheet_test_support.h"
#include "engine/components/spreadsheet/application.h"
#include "engine/components/spreadsheet/formulas/workbook_calculation.h"
#include "engine/components/spreadsheet/workbook_xml.h"
#include "engine/components/spreadsheet/workbooks.h"

namespace brevant {
namespace {

using testing::TempFolder;

class WorkbookCalculation : public ::testing::Test {
protected:
  void SetUp() override {
    testing::runPython(tmp, "import openpyxl\nwb = openpyxl.Workbook()\nwb.active.title = "
                            "'First'\nwb.create_sheet('Second')\nwb.create_sheet('Third')\n"
                            "wb.save('" +
                                tmp.file("three.xlsx") + "')\n");
    book = &app.Workbooks().Open(tmp.file("three.xlsx"));
  }
  Worksheet &sheet(const char *name) { return book->Worksheets(name); }
  void formula(const char *where, const std::string &text) {
    Range r = sheet("First").Range(where);
    sheet("First").writeFormula(r.Row(), r.Column(), "=" + text);
  }
  void value(const char *where, const Variant &v) {
    Range r = sheet("First").Range(where);
    sheet("First").writeValue(r.Row(), r.Column(), v);
  }
  Variant result(const char *where, const char *on = "First") {
    Range r = sheet(on).Range(where);
    return sheet(on).readValue(r.Row(), r.Column());
  }
  CalculationOutcome calculate() { return calculateWorkbook(*book, 45000.5); }

  TempFolder tmp;
  Application app;
  Workbook *book = nullptr;
};

TEST_F(WorkbookCalculation, ChainsOfAMillionCellsInEitherOrder) {
  // A1 = A2+1, A2 = A3+1, ...: every cell waits on the one below it.
  Worksheet &ws = sheet("First");
  const int32_t n = 1000000;
  for (int32_t r = 1; r < n; ++r)
    ws.writeFormula(r, 1, "=A" + std::to_string(r + 1) + "+1");
  ws.writeValue(n, 1, 1.0);
  // And the other way round in column B.
  ws.writeValue(1, 2, 1.0);
  for (int32_t r = 2; r <= 1000; ++r)
    ws.writeFormula(r, 2, "=B" + std::to_string(r - 1) + "*1+1");
  CalculationOutcome out = calculate();
  EXPECT_EQ(out.uncomputed, 0u);
  EXPECT_EQ(std::get<double>(ws.readValue(1, 1)), n);
  EXPECT_EQ(std::get<double>(ws.readValue(1000, 2)), 1000);
}

TEST_F(WorkbookCalculation, ATotalAboveItsFormulasIsEvaluatedTwiceNotOncePerCell) {
  // A1 comes first but reads 100,000 formulas below it; B1 reads A1 100,000 times over.
  Worksheet &ws = sheet("First");
  const int32_t n = 100000;
  ws.writeFormula(1, 1, "=SUM(A2:A" + std::to_string(n + 1) + ")");
  for (int32_t r = 2; r <= n + 1; ++r) {
    ws.writeValue(r, 3, double(r));
    ws.writeFormula(r, 1, "=C" + std::to_string(r) + "*2");
    ws.writeFormula(r, 2, "=$A$1-A" + std::to_string(r));
  }
  CalculationOutcome out = calculate();
  EXPECT_EQ(out.uncomputed, 0u);
  EXPECT_EQ(out.formulas, 2u * n + 1);
  EXPECT_LE(out.evaluations, out.formulas + 2);
  const double total = double(n + 1) * (n + 2) - 2; // 2 * (2 + ... + n+1)
  EXPECT_EQ(std::get<double>(ws.readValue(1, 1)), total);
  EXPECT_EQ(std::get<double>(ws.readValue(n + 1, 2)), total - 2.0 * (n + 1));
}

TEST_F(WorkbookCalculation, OrderAcrossSheets) {
  formula("A1", "Second!A1*2");
  sheet("Second").writeFormula(1, 1, "=Third!A1+First!B1");
  sheet("Third").writeFormula(1, 1, "=First!C1*10");
  value("B1", 1.0);
  value("C1", 4.0);
  formula("D1", "NoSuchName"); // an unknown name: #NAME?, computed as the spreadsheet computes it
  formula("E1", "First:Third!A1"); // a 3-D reference to one cell in a scalar context
  EXPECT_EQ(calculate().uncomputed, 0u);
  EXPECT_EQ(std::get<double>(result("A1")), 82);
  EXPECT_EQ(std::get<double>(result("A1", "Second")), 41);
  EXPECT_EQ(std::get<std::string>(result("D1")), "#NAME?");
  EXPECT_EQ(std::get<std::string>(result("E1")), "#VALUE!");
}

TEST_F(WorkbookCalculation, CircularReferencesAreLeftUncomputed) {
  formula("A1", "B1+1");
  formula("B1", "A1+1");
  formula("C1", "A1*2"); // depends on the cycle
  formula("D1", "D1");   // refers to itself
  value("E1", 5.0);
  formula("F1", "E1+1"); // unaffected
  CalculationOutcome out = calculate();
  EXPECT_EQ(out.uncomputed, 4u);
  EXPECT_EQ(out.causes, std::vector<std::string>{"circular reference"});
  for (const char *cell : {"A1", "B1", "C1", "D1"})
    EXPECT_TRUE(std::holds_alternative<std::monostate>(result(cell))) << cell;
  EXPECT_EQ(std::get<double>(result("F1")), 6);
}

TEST_F(WorkbookCalculation, CoercionComparisonAndEmptyCells) {
  value("A1", std::string("3"));
  value("A2", std::string(" 1,000.5 "));
  value("A3", true);
  value("A4", std::string("abc"));
  formula("B1", "A1+A2");       // text that reads as a number counts as one
  formula("B2", "A3+1");        // TRUE is 1
  formula("B3", "A9+1");        // an empty cell is 0
  formula("B4", "A9&\"x\"");    // and "" for text
  formula("B5", "A9");          // a formula showing an empty cell shows 0
  formula("B6", "A4*2");        // text that is no number
  formula("B7", "\"a\"<\"B\""); // text compares without letter case
  formula("B8", "\"ABC\"=\"abc\"");
  formula("B9", "9<\"1\"");      // any number is less than any text
  formula("B10", "\"z\"<FALSE"); // any text is less than any boolean
  formula("B11", "A9=0");        // empty equals 0 ...
  formula("B12", "A9=\"\"");     // ... and ""
  formula("B13", "0.1+0.2=0.3"); // equal to 15 digits
  formula("B14", "1&2.5&TRUE");
  formula("B15", "\"50%\"*2");
  formula("B16", "-\"2024-01-31\"");
  EXPECT_EQ(calculate().uncomputed, 0u);
  EXPECT_EQ(std::get<double>(result("B1")), 1003.5);
  EXPECT_EQ(std::get<double>(result("B2")), 2);
  EXPECT_EQ(std::get<double>(result("B3")), 1);
  EXPECT_EQ(std::get<std::string>(result("B4")), "x");
  EXPECT_EQ(std::get<double>(result("B5")), 0);
  EXPECT_EQ(std::get<std::string>(result("B6")), "#VALUE!");
  for (const char *cell : {"B7", "B8", "B9", "B10", "B11", "B12", "B13"})
    EXPECT_TRUE(std::get<bool>(result(cell))) << cell;
  EXPECT_EQ(std::get<std::string>(result("B14")), "12.5TRUE");
  EXPECT_EQ(std::get<double>(result("B15")), 1);
  EXPECT_EQ(std::get<double>(result("B16")), -45322);
}

TEST_F(WorkbookCalculation, ErrorsPropagateLeftOperandFirst) {
  formula("A1", "1/0");
  formula("A2", "A1+1");
  formula("A3", "#N/A+A1");
  formula("A4", "A1=A1");
  formula("A5", "0^0");
  formula("A6", "(-8)^(1/3)");
  formula("A7", "1E+300*1E+300");
  formula("A8", "A1:A2 C1:C2"); // ranges that do not meet
  calculate();
  EXPECT_EQ(std::get<std::string>(result("A1")), "#DIV/0!");
  EXPECT_EQ(std::get<std::string>(result("A2")), "#DIV/0!");
  EXPECT_EQ(std::get<std::string>(result("A3")), "#N/A");
  EXPECT_EQ(std::get<std::string>(result("A4")), "#DIV/0!");
  EXPECT_EQ(std::get<std::string>(result("A5")), "#NUM!");
  EXPECT_EQ(std::get<std::string>(result("A6")), "#NUM!");
  EXPECT_EQ(std::get<std::string>(result("A7")), "#NUM!");
  EXPECT_EQ(std::get<std::string>(result("A8")), "#NULL!");
}

TEST_F(WorkbookCalculation, RangesInAScalarContextMeetTheHostRowOrColumn) {
  for (int r = 1; r <= 3; ++r)
    sheet("First").writeValue(r, 1, double(r * 10));
  formula("C2", "A1:A3*2"); // row 2 of the column
  formula("C5", "A1:A3*2"); // no row 5 in it
  formula("B4", "A1:C1+1"); // column B of the row: empty, so 0
  formula("E4", "A1:C1+1"); // no column E in it
  formula("D1", "(A1:A3)");
  calculate();
  EXPECT_EQ(std::get<double>(result("C2")), 40);
  EXPECT_EQ(std::get<std::string>(result("C5")), "#VALUE!");
  EXPECT_EQ(std::get<double>(result("B4")), 1);
  EXPECT_EQ(std::get<std::string>(result("E4")), "#VALUE!");
  EXPECT_EQ(std::get<double>(result("D1")), 10);
}

TEST_F(WorkbookCalculation, ArrayFormulasSpreadOverTheirRange) {
  Worksheet &ws = sheet("First");
  for (int r = 1; r <= 3; ++r)
    ws.writeValue(r, 1, double(r));
  ws.writeFormula(1, 2, "=A1:A3*{10;20;30}");
  Formula &f = ws.cells().formula(ws.cells().find(1, 2)->index);
  f.setAttributes(" t=\"array\" ref=\"B1:B4\"");
  formula("C1", "B3+1"); // reads a cell the array fills
  calculate();
  EXPECT_EQ(std::get<double>(result("B1")), 10);
  EXPECT_EQ(std::get<double>(result("B2")), 40);
  EXPECT_EQ(std::get<double>(result("B3")), 90);
  EXPECT_EQ(std::get<std::string>(result("B4")), "#N/A");
  EXPECT_EQ(std::get<double>(result("C1")), 91);
}

// A function of single values given a range or an array where an array is wanted (an array
// formula, SUMPRODUCT's arguments) gives one result per element; elsewhere it takes the cell in
// its own row, as before.
TEST_F(WorkbookCalculation, FunctionsOfSingleValuesApplyElementByElementInArrayContexts) {
  Worksheet &ws = sheet("First");
  value("A1", std::string("a"));
  value("A2", std::string("bb"));
  value("A3", std::string("ccc"));
  value("B1", -1.5);
  value("B2", 0.0);
  value("B3", 4.0);
  formula("C1", "SUMPRODUCT(LEN(A1:A3))");
  formula("C2", "SUMPRODUCT(ABS(B1:B3))");
  formula("C3", "SUMPRODUCT(IF(B1:B3>0,B1:B3,10))");
  formula("C4", "SUMPRODUCT(IFERROR(1/B1:B3,100))");
  formula("C5", "SUMPRODUCT(--ISNUMBER(A1:B3))");
  formula("C6", "SUMPRODUCT(ROUND(B1:B3,{0,1}))"); // a column against a row: 3 x 2
  formula("C7", "SUMPRODUCT(LEN(A1:A3)*(B1:B3<1))");
  formula("C8", "SUMPRODUCT(--(MID(\"abcdef\",{1,3,5},2)=\"cd\"))");
  formula("D2", "LEN(A1:A3)");                  // not an array context: the cell in its own row
  ws.writeFormula(1, 5, "=MOD({5,6,7},{4,4})"); // E1:G1 and one more: #N/A past the shorter
  ws.cells().formula(ws.cells().find(1, 5)->index).setAttributes(" t=\"array\" ref=\"E1:H1\"");
  ws.writeFormula(2, 5, "=UPPER(A1:A3)");
  ws.cells().formula(ws.cells().find(2, 5)->index).setAttributes(" t=\"array\" ref=\"E2:E4\"");
  EXPECT_EQ(calculate().uncomputed, 0u);
  EXPECT_EQ(std::get<double>(result("C1")), 6);
  EXPECT_EQ(std::get<double>(result("C2")), 5.5);
  EXPECT_EQ(std::get<double>(result("C3")), 24);
  EXPECT_NEAR(std::get<double>(result("C4")), -2.0 / 3 + 100 + 0.25, 1e-12);
  EXPECT_EQ(std::get<double>(result("C5")), 3);
  EXPECT_EQ(std::get<double>(result("C6")), (-2 + 0 + 4) + (-1.5 + 0 + 4));
  EXPECT_EQ(std::get<double>(result("C7")), 3);
  EXPECT_EQ(std::get<double>(result("C8")), 1);
  EXPECT_EQ(std::get<double>(result("D2")), 2);
  EXPECT_EQ(std::get<double>(result("E1")), 1);
  EXPECT_EQ(std::get<double>(result("F1")), 2);
  EXPECT_EQ(std::get<std::string>(result("G1")), "#N/A");
  EXPECT_EQ(std::get<std::string>(result("H1")), "#N/A");
  EXPECT_EQ(std::get<std::string>(result("E2")), "A");
  EXPECT_EQ(std::get<std::string>(result("E4")), "CCC");
}

TEST_F(WorkbookCalculation, DefinedNamesHoldConstantsReferencesAndFormulas) {
  book->xml().addDefinedName("ReportMonth").text().set("\"June\"");
  book->xml().addDefinedName("Rate").text().set("=0.5");
  book->xml().addDefinedName("Base").text().set("First!$A$1");
  book->xml().addDefinedName("Twice").text().set("Base*2");
  auto local = book->xml().addDefinedName("Rate");
  local.append_attribute("localSheetId") = 1; // Second's own Rate
  local.text().set("3");
  value("A1", 7.0);
  formula("B1", "\"Month \"&ReportMonth");
  formula("B2", "Twice*Rate");
  sheet("Second").writeFormula(1, 1, "=Rate+First!Rate");
  calculate();
  EXPECT_EQ(std::get<std::string>(result("B1")), "Month June");
  EXPECT_EQ(std::get<double>(result("B2")), 7);
  EXPECT_EQ(std::get<double>(result("A1", "Second")), 3.5);
}

TEST_F(WorkbookCalculation, UncomputableFormulasAndTheirDependentsHaveNoValue) {
  value("A1", 2.0);
  formula("B1", "_xlfn.CUBEVALUE(\"x\")+A1");
  formula("B2", "B1*2");
  formula("B3", "[1]Data!A1");
  formula("B4", "-B2");
  formula("B5", "A1*3");
  CalculationOutcome out = calculate();
  EXPECT_EQ(out.uncomputed, 4u);
  EXPECT_EQ(calculationWarning(out),
            "Warning: 4 formulas could not be computed (CUBEVALUE, external reference).");
  for (const char *cell : {"B1", "B2", "B3", "B4"})
    EXPECT_TRUE(std::holds_alternative<std::monostate>(result(cell))) << cell;
  EXPECT_EQ(std::get<double>(result("B5")), 6);
  EXPECT_EQ(calculationWarning(CalculationOutcome{}), "");
}

} // namespace
} // namespace brevant
