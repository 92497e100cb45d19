// Computed values as the saved files carry them: typed cached values in a workbook that a
// reader without a calculation engine sees, and displayed values in text formats.

#include <gtest/gtest.h>

#include "../spreadsheet_test_support.h"
#include "engine/components/spreadsheet/application.h"
#include "engine/components/spreadsheet/workbooks.h"

namespace brevant {
namespace {

using testing::TempFolder;

class SavedValues : public ::testing::Test {
protected:
  void SetUp() override {
    testing::runPython(tmp, "import openpyxl\nwb = openpyxl.Workbook()\nws = wb.active\n"
                            "ws['A1'] = 1234.5\nws['A2'] = \"it's <b>\"\n"
                            "ws['B1'] = '=A1*2'\nws['B1'].number_format = '#,##0.00'\n"
                            "ws['B2'] = '=A2&\"!\"'\nws['B3'] = '=A1>1000'\n"
                            "ws['B4'] = '=A1/0'\nws['B5'] = '=NOSUCHFUNCTION(A1)'\n"
                            "ws['B6'] = '=B5+1'\nws['B7'] = '=A9'\n"
                            "wb.save('" +
                                tmp.file("t.xlsx") + "')\n");
    book = &app.Workbooks().Open(tmp.file("t.xlsx"));
  }
  TempFolder tmp;
  Application app;
  Workbook *book = nullptr;
};

TEST_F(SavedValues, WorkbookCellsCarryTypedResults) {
  book->SaveAs(tmp.file("out.xlsx"));
  EXPECT_EQ(book->lastCalculation().uncomputed, 2u);
  std::string out = testing::runPython(
      tmp, "import openpyxl\nws = openpyxl.load_workbook('" + tmp.file("out.xlsx") +
               "', data_only=True).active\nprint([ws.cell(r, 2).value for r in range(1, 8)])\n"
               "ws = openpyxl.load_workbook('" +
               tmp.file("out.xlsx") + "').active\nprint(ws['B5'].value)\n");
  EXPECT_EQ(out, "[2469, \"it's <b>!\", True, '#DIV/0!', None, None, 0]\n"
                 "=NOSUCHFUNCTION(A1)\n");
}

TEST_F(SavedValues, TextFormatsWriteTheDisplayedResult) {
  book->SaveAs(tmp.file("out.csv"), 6);
  EXPECT_EQ(testing::readBytes(tmp.file("out.csv")), "1234.5,\"2,469.00\"\r\n"
                                                     "it's <b>,it's <b>!\r\n"
                                                     ",TRUE\r\n"
                                                     ",#DIV/0!\r\n"
                                                     ",\r\n"
                                                     ",\r\n"
                                                     ",0\r\n");
}

} // namespace
} // namespace brevant
