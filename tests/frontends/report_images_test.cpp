// Pictures from image fields end to end: where they are found, how they are sized and anchored,
// and what a picture that cannot be added leaves behind.
#include "report_fixture.h"

#include <filesystem>

namespace brevant::testing {
namespace {

constexpr long kEmuPerPoint = 12700;

class Images : public ReportRun {
protected:
  void SetUp() override {
    // The template and its pictures live in a folder of their own, apart from the definition
    // and from the folder the program runs in.
    std::filesystem::create_directories(file("tpl/pics"));
    // 40 x 20 pixels: 30 x 15 points at 96 dots per inch.
    python("from PIL import Image\nImage.new('RGB', (40, 20), (200, 30, 30)).save(" +
           pyString(file("tpl/pics/a.png")) + ")\n");
  }

  // Every picture anchor of the report's first drawing: "kind editAs from-col,row to-col,row
  // width,height" in points (to-cells only for two-cell anchors).
  std::string anchors() {
    return python(
        "import zipfile, re\nz = zipfile.ZipFile(" + pyString(file("report.xlsx")) +
        ")\nnames = [n for n in z.namelist() if n.startswith('xl/drawings/drawing')]\n"
        "xml = z.read(names[0]).decode() if names else ''\n"
        "for m in re.finditer(r'<xdr:(twoCellAnchor|oneCellAnchor|absoluteAnchor)([^>]*)>(.*?)"
        "</xdr:\\1>', xml):\n"
        "  kind, attrs, body = m.groups()\n"
        "  edit = re.search(r'editAs=\"(\\w+)\"', attrs)\n"
        "  cells = re.findall(r'<xdr:col>(\\d+)</xdr:col>.*?<xdr:row>(\\d+)</xdr:row>', body)\n"
        "  ext = re.search(r'<a:ext cx=\"(\\d+)\" cy=\"(\\d+)\"', body)\n"
        "  print(kind, edit.group(1) if edit else '-', ' '.join(c + ',' + r for c, r in cells), "
        "'%g,%g' % (int(ext.group(1)) / " +
        std::to_string(kEmuPerPoint) + ", int(ext.group(2)) / " + std::to_string(kEmuPerPoint) +
        "))\n");
  }
};

TEST_F(Images, StretchedPicturesCoverTheMergedAreaOfEveryBlock) {
  makeDatabase("data.db", "create table p (id integer, pic text);"
                          "insert into p values (1, 'pics/a.png'), (2, 'pics\\a.png');");
  makeTemplate("tpl/template.xlsx", "ws.merge_cells('B2:D3')\nws['B2'] = 'stretch NMS'\n");
  definition("@1=REPORT(SHEET=1 CELL=A2,B2 IMAGE=2 COPYRANGE=A2:D3)\r\nselect * from p\r\n",
             "tpl/template.xlsx");
  const auto lines = run();
  EXPECT_TRUE(has(lines, "[1]    Success.")) << lastOutput;
  // Three columns of 48 points by two rows of 15 points, fixed on the sheet.
  EXPECT_EQ(anchors(), "twoCellAnchor absolute 1,1 4,3 144,30\n"
                       "twoCellAnchor absolute 1,3 4,5 144,30\n");
  EXPECT_EQ(values("A2:B5"), "1|\n|\n2|\n|\n") << "the style text is gone from every block";
}

TEST_F(Images, EachFixedBlockReadsItsOwnStyle) {
  makeDatabase("data.db",
               "create table p (id integer, Pic text);"
               "insert into p values (1, 'pics/a.png'), (2, 'pics/a.png'), (3, 'pics/a.png'),"
               "(4, 'missing.png'), (5, null), (6, '   ');");
  makeTemplate("tpl/template.xlsx", "ws['B2'] = 'W100'\nws['B4'] = 'H30 MAS'\n"
                                    "ws['B6'] = 'W=100'\nws['B7'] = 'NMS'\n");
  definition("@1=REPORT(SHEET=1 CELL=A2 TYPE=FIX IMAGE=pIC)\r\nselect * from p order by id\r\n",
             "tpl/template.xlsx");
  const auto lines = run();
  EXPECT_TRUE(has(lines, "[1]    Success.")) << "a picture that fails does not fail the fill";
  const std::string missing = std::filesystem::absolute(file("tpl/missing.png")).string();
  const auto at = std::find(lines.begin(), lines.end(),
                            "Error: Failed to insert the image file \"" + missing + "\".");
  ASSERT_NE(at, lines.end()) << lastOutput;
  EXPECT_EQ((at + 1)->rfind("Error Info: ", 0), 0u);
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                          [](const std::string &l) { return l.rfind("Error: ", 0) == 0; }),
            1);
  // W100 keeps the aspect ratio; no style is the picture's own size moving with its cells;
  // H30 MAS moves and sizes with the cells.
  EXPECT_EQ(anchors(), "twoCellAnchor oneCell 1,1 3,4 100,50\n"
                       "twoCellAnchor oneCell 1,2 1,3 30,15\n"
                       "twoCellAnchor twoCell 1,3 2,5 60,30\n");
  EXPECT_EQ(values("A2:B7"), "1|\n2|\n3|\n4|#Error\n5|\n6|\n");
}

TEST_F(Images, PictureThatDeclaresTooManyPixelsIsRefusedFromItsHeader) {
  // 23 bytes that declare 16,384 x 16,384 pixels: decoding them would take gigabytes.
  write("tpl/pics/huge.ppm", std::string("P6\n16384 16384\n255\n") + "\x01\x02\x03\x04");
  ASSERT_EQ(std::filesystem::file_size(file("tpl/pics/huge.ppm")), 23u);
  makeDatabase("data.db", "create table p (id integer, pic text);"
                          "insert into p values (1, 'pics/huge.ppm'), (2, 'pics/a.png');");
  makeTemplate("tpl/template.xlsx", "");
  definition("@1=REPORT(SHEET=1 CELL=A2,B2 IMAGE=2)\r\nselect * from p order by id\r\n",
             "tpl/template.xlsx");
  const auto lines = run();
  const std::string huge = std::filesystem::absolute(file("tpl/pics/huge.ppm")).string();
  const auto at = std::find(lines.begin(), lines.end(),
                            "Error: Failed to insert the image file \"" + huge + "\".");
  ASSERT_NE(at, lines.end()) << lastOutput;
  EXPECT_EQ(*(at + 1), "Error Info: The picture \"" + huge +
                           "\" is too large: 16384 x 16384 pixels (more than 100 million).");
  EXPECT_TRUE(has(lines, "[1]    Success."));
  EXPECT_EQ(values("A2:B3"), "1|#Error\n2|\n");
  EXPECT_EQ(anchors(), "twoCellAnchor oneCell 1,2 1,3 30,15\n") << "the next picture is added";
}

} // namespace
} // namespace brevant::testing
