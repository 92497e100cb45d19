// A picture placed at a cell's Left and Top is drawn by LibreOffice at that cell: the sheet is
// saved as PDF, rendered to PNG, and the picture's corner found against a filled cell beside it.

#include <gtest/gtest.h>

#include "engine/components/spreadsheet/application.h"
#include "engine/components/spreadsheet/drawing/shapes.h"
#include "engine/components/spreadsheet/file_formats.h"
#include "engine/components/spreadsheet/workbook.h"
#include "spreadsheet_test_support.h"

namespace brevant {
namespace {

using testing::TempFolder;

TEST(PicturesInLibreOffice, APictureAtACellIsDrawnAtThatCell) {
  if (!testing::haveLibreOffice() || std::system("command -v pdftoppm > /dev/null") != 0)
    GTEST_SKIP() << "LibreOffice or pdftoppm is not installed";
  TempFolder tmp;
  // B3 is filled blue; the red picture goes to C4, so its top-left corner touches B3's
  // bottom-right one. Column B and row 3 are not of the default size.
  testing::runPython(tmp, "import openpyxl\nfrom PIL import Image\n"
                          "from openpyxl.styles import PatternFill\n"
                          "Image.new('RGB', (120, 60), (255, 0, 0)).save(r'" +
                              tmp.file("p.png") +
                              "', dpi=(96, 96))\n"
                              "wb = openpyxl.Workbook()\nws = wb.active\n"
                              "ws.column_dimensions['B'].width = 20\n"
                              "ws.row_dimensions[3].height = 40\n"
                              "ws['B3'].fill = PatternFill('solid', fgColor='0000FF')\n"
                              "ws['A1'] = 'page'\nws['H20'] = 'end'\n"
                              "wb.save(r'" +
                              tmp.file("t.xlsx") + "')\n");
  Application app;
  Workbook &wb = app.Workbooks().Open(tmp.file("t.xlsx"));
  Worksheet &ws = wb.Worksheets(1);
  Range at = ws.Range("C4");
  EXPECT_DOUBLE_EQ(at.Left(), 48 + 105);
  EXPECT_DOUBLE_EQ(at.Top(), 15 + 15 + 40);
  Shape &picture = ws.Shapes().AddPicture(tmp.file("p.png"), false, true, at.Left(), at.Top());
  EXPECT_DOUBLE_EQ(picture.Width(), 90); // 120 pixels at 96 dpi
  EXPECT_DOUBLE_EQ(picture.Height(), 45);
  wb.SaveAs(tmp.file("sheet.pdf"), kPdfFileFormat);
  ASSERT_EQ(std::system(
                ("pdftoppm -png -r 96 -f 1 -l 1 " + tmp.file("sheet.pdf") + " " + tmp.file("page"))
                    .c_str()),
            0);
  // Bounding boxes of the blue cell and the red picture on the rendered page, in pixels.
  const std::string boxes = testing::runPython(
      tmp,
      "import glob\nfrom PIL import Image\n"
      "im = Image.open(sorted(glob.glob(r'" +
          tmp.file("page") +
          "*.png'))[0]).convert('RGB')\n"
          "def box(test):\n"
          "    xs, ys = [], []\n"
          "    px = im.load()\n"
          "    for y in range(im.height):\n"
          "        for x in range(im.width):\n"
          "            if test(px[x, y]): xs.append(x); ys.append(y)\n"
          "    return min(xs), min(ys), max(xs) + 1, max(ys) + 1\n"
          "b = box(lambda p: p[2] > 200 and p[0] < 60 and p[1] < 60)\n"
          "r = box(lambda p: p[0] > 200 and p[1] < 60 and p[2] < 60)\n"
          "print(r[0] - b[2], r[1] - b[3], b[2] - b[0], b[3] - b[1], r[2] - r[0], r[3] - r[1])\n");
  int dx, dy, blueWidth, blueHeight, redWidth, redHeight;
  ASSERT_EQ(std::sscanf(boxes.c_str(), "%d %d %d %d %d %d", &dx, &dy, &blueWidth, &blueHeight,
                        &redWidth, &redHeight),
            6)
      << boxes;
  // The corner within 2 pixels. Heights are in points for every program; widths are in
  // digits of the default font, which LibreOffice measures in the font it has in its place, so
  // only the height is compared (as a ratio, in case the page is scaled).
  EXPECT_LE(std::abs(dx), 2) << boxes;
  EXPECT_LE(std::abs(dy), 2) << boxes;
  EXPECT_GT(redWidth, 100) << boxes;
  EXPECT_NEAR(double(redHeight) / blueHeight, 45.0 / 40, 0.03) << boxes;
}

} // namespace
} // namespace brevant
