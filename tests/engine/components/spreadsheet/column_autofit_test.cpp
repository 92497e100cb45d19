// Columns fitted to their displayed text: digits, narrow and wide letters, East Asian text,
// several lines, the cell's own font, merged cells, read back with openpyxl.

#include <gtest/gtest.h>

#include "engine/components/spreadsheet/application.h"
#include "engine/components/spreadsheet/cells/text_width.h"
#include "engine/components/spreadsheet/workbook.h"
#include "spreadsheet_test_support.h"

namespace brevant {
namespace {

using testing::TempFolder;

// The saved column widths, one "letter=width" per line.
std::string widths(const TempFolder &tmp, const std::string &path) {
  return testing::runPython(tmp, "import openpyxl\nws = openpyxl.load_workbook(r'" + path +
                                     "').active\nfor k in sorted(ws.column_dimensions):\n"
                                     "    d = ws.column_dimensions[k]\n"
                                     "    print('%s=%.2f' % (k, d.width))\n");
}

TEST(ColumnAutoFit, ACsvBornWorkbookGetsColumnsAsWideAsTheirText) {
  TempFolder tmp;
  testing::writeBytes(tmp.file("in.csv"), "1234567,iiiiiiiiii,WWWWWWWWWW,日本語テキスト,"
                                          "\"short\nthe longest line\nmid\",,x\n"
                                          "12,,,abc,,,\n");
  Application app;
  Workbook &wb = app.Workbooks().Open(tmp.file("in.csv"));
  wb.ActiveSheet().AutoFitColumns();
  wb.SaveAs(tmp.file("out.xlsx"), 51);
  std::map<std::string, double> w;
  std::istringstream lines(widths(tmp, tmp.file("out.xlsx")));
  for (std::string line; std::getline(lines, line);)
    w[line.substr(0, line.find('='))] = std::stod(line.substr(line.find('=') + 1));
  // Seven digits of the default font and the cell padding of 5 pixels at 7 pixels a digit.
  EXPECT_DOUBLE_EQ(w["A"], 7.71);
  // Ten narrow letters take less room than ten wide ones, and less than ten digits.
  EXPECT_LT(w["B"], 6);
  EXPECT_GT(w["C"], 15);
  // Seven East Asian characters count as fourteen digits.
  EXPECT_NEAR(w["D"], 14.71, 0.05);
  // The widest of several lines counts; an empty column keeps its width.
  EXPECT_GT(w["E"], 12);
  EXPECT_LT(w["E"], 17);
  EXPECT_EQ(w.count("F"), 0u);
  EXPECT_LT(w["G"], 2);
}

TEST(ColumnAutoFit, TheCellsOwnFontCountsAndMergedCellsDoNot) {
  TempFolder tmp;
  testing::runPython(tmp, "import openpyxl\nfrom openpyxl.styles import Font\n"
                          "wb = openpyxl.Workbook()\nws = wb.active\n"
                          "ws['A1'] = 'Total'\nws['B1'] = 'Total'\n"
                          "ws['B1'].font = Font(name='Calibri', size=22)\n"
                          "ws['C1'] = 'Total'\nws['C1'].font = Font(name='Calibri', bold=True)\n"
                          "ws['D1'] = 'a heading merged over two columns'\n"
                          "ws.merge_cells('D1:E1')\nws['D2'] = 'ab'\n"
                          "ws.column_dimensions['E'].width = 30\n"
                          "wb.save(r'" +
                              tmp.file("t.xlsx") + "')\n");
  Application app;
  Workbook &wb = app.Workbooks().Open(tmp.file("t.xlsx"));
  wb.ActiveSheet().AutoFitColumns();
  wb.SaveAs(tmp.file("out.xlsx"), 51);
  // "Total" is 4.06 digits: twice that at double the size, a little more in bold; D fits "ab"
  // (1.98 digits), not the merged heading, and E keeps its width.
  EXPECT_EQ(widths(tmp, tmp.file("out.xlsx")), "A=4.77\nB=8.84\nC=4.98\nD=2.70\nE=30.00\n");
}

TEST(ColumnAutoFit, TextWidthFollowsTheFontsMetrics) {
  const CellFont calibri, arial{"Arial", 10, false};
  EXPECT_DOUBLE_EQ(textWidthInDigits("0123456789", calibri, calibri), 10);
  EXPECT_DOUBLE_EQ(textWidthInDigits("0123456789", arial, arial), 10);
  // An Arial 10 cell in a Calibri 11 workbook: its digits are 1139/1038 as wide at 10/11 size.
  EXPECT_NEAR(textWidthInDigits("00", arial, calibri), 2 * 1139.0 / 1038 * 10 / 11, 1e-9);
  // Accents and combining marks do not make a word wider than its plain letters.
  EXPECT_DOUBLE_EQ(textWidthInDigits("Zoë", calibri, calibri),
                   textWidthInDigits("Zon", calibri, calibri));
  EXPECT_DOUBLE_EQ(textWidthInDigits("e\xCC\x81", calibri, calibri),
                   textWidthInDigits("e", calibri, calibri));
  EXPECT_DOUBLE_EQ(textWidthInDigits("한국", calibri, calibri), 4);
  EXPECT_DOUBLE_EQ(textWidthInDigits("", calibri, calibri), 0);
}

} // namespace
} // namespace brevant
