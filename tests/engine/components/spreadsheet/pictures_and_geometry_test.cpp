// Cell geometry in points and pictures on sheets: sizes, placement through row inserts, and
// what openpyxl reads back.

#include <gtest/gtest.h>

#include "engine/components/spreadsheet/application.h"
#include "engine/components/spreadsheet/drawing/shapes.h"
#include "engine/components/spreadsheet/spreadsheet_error.h"
#include "engine/components/spreadsheet/workbook.h"
#include "engine/components/spreadsheet/workbooks.h"
#include "spreadsheet_test_support.h"

namespace brevant {
namespace {

using testing::TempFolder;

class PicturesAndGeometry : public ::testing::Test {
protected:
  void SetUp() override {
    book = tmp.file("t.xlsx");
    picture = tmp.file("p.png");
    testing::runPython(tmp, "import openpyxl\nfrom PIL import Image\n"
                            "Image.new('RGB', (200, 100), 'red').save(r'" +
                                picture +
                                "', dpi=(96, 96))\n"
                                "wb = openpyxl.Workbook()\nws = wb.active\nws.title = 'S'\n"
                                "ws.column_dimensions['B'].width = 20\n"
                                "ws.column_dimensions['C'].hidden = True\n"
                                "ws.row_dimensions[2].height = 30\n"
                                "ws.row_dimensions[3].hidden = True\n"
                                "ws.merge_cells('D4:F5')\nws['A10'] = 'x'\n"
                                "wb.save(r'" +
                                book + "')\n");
  }
  TempFolder tmp;
  std::string book, picture;
};

TEST_F(PicturesAndGeometry, CellsArePlacedFromWidthsAndHeightsWithHiddenOnesCountingZero) {
  Application app;
  Worksheet &ws = app.Workbooks().Open(book).Worksheets(1);
  EXPECT_DOUBLE_EQ(ws.Range("A1").Width(), 48);  // the default 64 pixels
  EXPECT_DOUBLE_EQ(ws.Range("A1").Height(), 15); // the default row
  // openpyxl stores the width 20 as it is, padding included: 140 pixels.
  EXPECT_DOUBLE_EQ(ws.Range("B1").Width(), 105);
  EXPECT_DOUBLE_EQ(ws.Range("C1").Width(), 0);
  EXPECT_DOUBLE_EQ(ws.Range("D1").Left(), 48 + 105);
  EXPECT_DOUBLE_EQ(ws.Range("A4").Top(), 15 + 30);
  EXPECT_DOUBLE_EQ(ws.Range("A1:A4").Height(), 15 + 30 + 0 + 15);
  Range merged = ws.Range("E5").MergeArea();
  EXPECT_EQ(merged.Address(false, false), "D4:F5");
  EXPECT_DOUBLE_EQ(merged.Width(), 3 * 48);
  EXPECT_EQ(ws.Range("A1").MergeArea().Address(false, false), "A1");
  // Rows inserted above move the cells below.
  ws.Range("1:2").Insert();
  EXPECT_DOUBLE_EQ(ws.Range("A6").Top(), 15 + 15 + 15 + 30);
}

TEST_F(PicturesAndGeometry, PicturesTakeTheirOwnSizeOrKeepTheirAspect) {
  Application app;
  Workbook &wb = app.Workbooks().Open(book);
  Worksheet &ws = wb.Worksheets(1);
  Shape &own = ws.Shapes().AddPicture(picture, false, true, 0, 0);
  EXPECT_DOUBLE_EQ(own.Width(), 150);
  EXPECT_DOUBLE_EQ(own.Height(), 75);
  Shape &both = ws.Shapes().AddPicture(picture, false, true, 10, 10, 30, 40);
  EXPECT_NEAR(both.Width(), 30, 0.01);
  EXPECT_NEAR(both.Height(), 40, 0.01);
  // The fill's recipe for a width alone: own width, then the height scaled by the same factor.
  Shape &wide = ws.Shapes().AddPicture(picture, false, true, ws.Range("B6").Left(),
                                       ws.Range("B6").Top(), 10, 10);
  wide.ScaleWidth(1, true);
  double factor = 100 / wide.Width();
  wide.setWidth(100);
  wide.ScaleHeight(factor, true);
  EXPECT_NEAR(wide.Width(), 100, 0.01);
  EXPECT_NEAR(wide.Height(), 50, 0.01);
  wide.setPlacement(xlPlacement::xlFreeFloating);
  both.setPlacement(xlPlacement::xlMoveAndSize);
  double wideTop = wide.Top(), bothHeight = both.Height();
  // Rows inserted above the free-floating picture and through the sizing one.
  ws.Range("2:3").Insert();
  EXPECT_NEAR(wide.Top(), wideTop, 0.01);
  EXPECT_NEAR(wide.Height(), 50, 0.01);
  EXPECT_NEAR(both.Height(), bothHeight + 30, 0.01);
  EXPECT_EQ(own.Placement(), xlPlacement::xlMove);
  std::string out = tmp.file("out.xlsx");
  wb.SaveAs(out);
  std::string read = testing::runPython(tmp, R"(
import openpyxl
ws = openpyxl.load_workbook(r')" + out + R"(')['S']
for i in ws._images:
    a = i.anchor
    print(type(a).__name__, a._from.col, a._from.row, getattr(a, 'editAs', None))
)");
  EXPECT_EQ(read, "TwoCellAnchor 0 0 oneCell\n"
                  "TwoCellAnchor 0 0 twoCell\n"
                  "TwoCellAnchor 1 5 absolute\n");
}

TEST_F(PicturesAndGeometry, MissingUnreadableAndUnreachablePicturesFailWithADescription) {
  Application app;
  Worksheet &ws = app.Workbooks().Open(book).Worksheets(1);
  auto message = [&](const std::string &file) {
    try {
      ws.Shapes().AddPicture(file, false, true, 0, 0);
    } catch (const std::exception &e) {
      return std::string(e.what());
    }
    return std::string("no error");
  };
  EXPECT_EQ(message(tmp.file("none.png")),
            "The picture file \"" + tmp.file("none.png") + "\" does not exist.");
  testing::writeBytes(tmp.file("text.png"), "not a picture");
  EXPECT_NE(message(tmp.file("text.png")).find("is not a picture"), std::string::npos);
  // The sheet reads files only: an address is the report run's to fetch.
  EXPECT_EQ(message("http://127.0.0.1:9/p.png"),
            "The picture file \"http://127.0.0.1:9/p.png\" does not exist.");
}

TEST_F(PicturesAndGeometry, FetchedBytesArePlacedAndNamedByTheirAddress) {
  Application app;
  Worksheet &ws = app.Workbooks().Open(book).Worksheets(1);
  const std::string address = "https://example.test/p.png";
  Shape &fetched =
      ws.Shapes().AddPictureBytes(testing::readBytes(picture), address, false, true, 0, 0);
  EXPECT_DOUBLE_EQ(fetched.Width(), 150);
  EXPECT_DOUBLE_EQ(fetched.Height(), 75);
  try {
    ws.Shapes().AddPictureBytes("<html>not found</html>", address, false, true, 0, 0);
    ADD_FAILURE() << "bytes that are no picture were placed";
  } catch (const std::exception &e) {
    EXPECT_NE(std::string(e.what()).find("\"" + address + "\" is not a picture"), std::string::npos)
        << e.what();
  }
  EXPECT_THROW(
      ws.Shapes().AddPictureBytes(testing::readBytes(picture), address, false, false, 0, 0),
      SpreadsheetError);
  EXPECT_EQ(ws.Shapes().Count(), 1);
}

} // namespace
} // namespace brevant
