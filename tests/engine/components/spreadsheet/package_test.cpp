#include "engine/components/spreadsheet/package/package.h"

#include <gtest/gtest.h>

#include "engine/components/spreadsheet/application.h"
#include "engine/components/spreadsheet/cells/styles.h"
#include "engine/components/spreadsheet/spreadsheet_error.h"
#include "spreadsheet_test_support.h"

namespace brevant {
namespace {

using testing::TempFolder;

TEST(Package, UnchangedPartsAreCopiedAsStoredAndReplacedOnesRewritten) {
  TempFolder tmp;
  std::string first = tmp.file("a.zip"), second = tmp.file("b.zip");
  std::string picture(300000, '\0');
  for (size_t i = 0; i < picture.size(); ++i)
    picture[i] = static_cast<char>((i * 2654435761u) >> 13);
  {
    ZipWriter zip(first);
    zip.addData("xl/media/image1.png", picture, 9);
    zip.addData("xl/workbook.xml", "<old/>");
    zip.finish();
  }
  Package pkg = Package::fromFile(first);
  pkg.write("xl/workbook.xml", "<new/>");
  pkg.write("xl/added.xml", "<added/>");
  pkg.remove("missing/part.xml");
  pkg.save(second, {{"xl/streamed.xml", [](const std::function<void(std::string_view)> &w) {
                       w("<a>");
                       w("</a>");
                     }}});
  Package back = Package::fromFile(second);
  EXPECT_EQ(back.read("xl/media/image1.png"), picture);
  EXPECT_EQ(back.read("xl/workbook.xml"), "<new/>");
  EXPECT_EQ(back.read("xl/added.xml"), "<added/>");
  EXPECT_EQ(back.read("xl/streamed.xml"), "<a></a>");
  EXPECT_THROW(back.read("nope.xml"), SpreadsheetError);
  // The compressed bytes of the picture are those of the first archive (compressed at level 9,
  // which a recompression at the default level would not reproduce).
  std::string a = testing::readBytes(first), b = testing::readBytes(second);
  std::string probe = Package::fromFile(first).names()[0];
  EXPECT_EQ(probe, "xl/media/image1.png");
  size_t size = a.find("xl/workbook.xml") - 30 - probe.size() - 30;
  EXPECT_NE(b.find(a.substr(30 + probe.size(), size / 2)), std::string::npos);
}

TEST(Package, PartNamesIgnoreLetterCase) {
  // A relationship may name "sharedStrings.xml" for the stored part "xl/SharedStrings.xml".
  TempFolder tmp;
  std::string first = tmp.file("a.zip"), second = tmp.file("b.zip");
  {
    ZipWriter zip(first);
    zip.addData("xl/SharedStrings.xml", "<old/>");
    zip.finish();
  }
  Package pkg = Package::fromFile(first);
  EXPECT_TRUE(pkg.has("xl/sharedStrings.xml"));
  EXPECT_EQ(pkg.read("XL/sharedstrings.XML"), "<old/>");
  pkg.save(second, {{"xl/sharedStrings.xml",
                     [](const std::function<void(std::string_view)> &w) { w("<new/>"); }}});
  Package back = Package::fromFile(second);
  EXPECT_EQ(back.names(), std::vector<std::string>{"xl/SharedStrings.xml"});
  EXPECT_EQ(back.read("xl/sharedStrings.xml"), "<new/>");
}

TEST(Package, ResolvesRelationshipTargets) {
  EXPECT_EQ(Package::resolveTarget("xl/workbook.xml", "worksheets/sheet1.xml"),
            "xl/worksheets/sheet1.xml");
  EXPECT_EQ(Package::resolveTarget("xl/worksheets/sheet1.xml", "../drawings/drawing1.xml"),
            "xl/drawings/drawing1.xml");
  EXPECT_EQ(Package::resolveTarget("xl/workbook.xml", "/xl/styles.xml"), "xl/styles.xml");
  EXPECT_EQ(Package::resolveTarget("", "xl/workbook.xml"), "xl/workbook.xml");
  EXPECT_EQ(Package::resolveTarget("xl/a.xml", "../../../../etc/passwd"), "etc/passwd");
  EXPECT_EQ(Package::relsNameOf("xl/workbook.xml"), "xl/_rels/workbook.xml.rels");
  EXPECT_EQ(Package::relsNameOf(""), "_rels/.rels");
  EXPECT_EQ(Package::relativeTarget("xl/workbook.xml", "xl/sharedStrings.xml"),
            "sharedStrings.xml");
  EXPECT_EQ(Package::relativeTarget("xl/workbook.xml", "docProps/app.xml"), "/docProps/app.xml");
}

TEST(Package, ContentTypesAndRelationshipsRoundTrip) {
  auto ct = ContentTypes::parse(
      "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
      "<Default Extension=\"PNG\" ContentType=\"image/png\"/>"
      "<Override PartName=\"/xl/Workbook.xml\" ContentType=\"main\"/></Types>");
  EXPECT_EQ(ct.typeOf("xl/media/a.png"), "image/png");
  EXPECT_EQ(ct.typeOf("/xl/workbook.xml"), "main"); // part names ignore ASCII case
  EXPECT_EQ(ct.typeOf("xl/other.bin"), "");
  EXPECT_EQ(ContentTypes::parse(ct.serialize()).typeOf("xl/Workbook.xml"), "main");
  Relationships rels;
  std::string id = rels.add("type/a", "a & b.xml");
  rels.items.push_back({"rId9", "type/link", "https://example.com/?q=1&r=2", true});
  auto back = Relationships::parse(rels.serialize());
  ASSERT_EQ(back.items.size(), 2u);
  EXPECT_EQ(back.byId(id)->target, "a & b.xml");
  EXPECT_TRUE(back.byType("type/link")->external);
  back.removeById(id);
  EXPECT_EQ(back.byId(id), nullptr);
}

TEST(Styles, DatesOnlyChangeGeneralCells) {
  Styles styles;
  styles.load("<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
              "<numFmts count=\"1\"><numFmt numFmtId=\"164\" formatCode=\"dd.mm.yyyy\"/>"
              "</numFmts><cellXfs count=\"3\"><xf numFmtId=\"0\"/><xf numFmtId=\"164\"/>"
              "<xf numFmtId=\"4\" fontId=\"0\"/></cellXfs></styleSheet>");
  EXPECT_EQ(styles.dateStyle(1, DateKind::Date), 1u); // already a date format
  EXPECT_EQ(styles.dateStyle(2, DateKind::Date), 2u); // a number format is kept as well
  uint32_t derived = styles.dateStyle(0, DateKind::DateTime);
  EXPECT_EQ(derived, 3u);
  EXPECT_EQ(styles.formatCode(derived), "m/d/yyyy h:mm");
  EXPECT_EQ(styles.dateStyle(0, DateKind::DateTime), derived);
  EXPECT_EQ(styles.formatCode(1), "dd.mm.yyyy");
  EXPECT_TRUE(styles.modified());
  EXPECT_NE(styles.serialize().find("<cellXfs count=\"4\">"), std::string::npos);
  EXPECT_THROW(styles.load("<styleSheet>"), SpreadsheetError);
}

TEST(Application, KeepsItsFlagsAndClosesWorkbooksOnQuit) {
  TempFolder tmp;
  Application app;
  EXPECT_GE(std::stoi(app.Version()), 16);
  app.setVisible(true);
  app.setDisplayAlerts(false);
  app.setInteractive(false);
  app.setScreenUpdating(false);
  app.setCalculateBeforeSave(true);
  app.setCalculation(xlCalculation::xlCalculationManual);
  EXPECT_TRUE(app.Visible());
  EXPECT_FALSE(app.DisplayAlerts());
  EXPECT_FALSE(app.Interactive());
  EXPECT_FALSE(app.ScreenUpdating());
  EXPECT_TRUE(app.CalculateBeforeSave());
  EXPECT_EQ(app.Calculation(), -4135);
  EXPECT_THROW(app.setCalculation(7), SpreadsheetError);
  EXPECT_FALSE(app.Path().empty());
  EXPECT_NE(app.StartupPath().find(app.Path()), std::string::npos);
  testing::writeBytes(tmp.file("one.csv"), "1\n");
  Workbook &wb = app.Workbooks().Open(tmp.file("one.csv"));
  EXPECT_EQ(app.Workbooks().Count(), 1);
  app.Quit();
  EXPECT_EQ(app.Workbooks().Count(), 0);
  EXPECT_THROW(wb.SaveAs(tmp.file("x.xlsx")), SpreadsheetError);
}

} // namespace
} // namespace brevant
