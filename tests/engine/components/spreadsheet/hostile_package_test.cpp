// Damaged and hostile templates fail to open with a description, and never crash.

#include <gtest/gtest.h>

#include "engine/components/spreadsheet/application.h"
#include "engine/components/spreadsheet/package/zip_writer.h"
#include "engine/components/spreadsheet/spreadsheet_error.h"
#include "spreadsheet_test_support.h"

namespace brevant {
namespace {

using testing::TempFolder;

const std::string kContentTypes =
    "<?xml version=\"1.0\"?><Types "
    "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
    "<Default Extension=\"rels\" "
    "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
    "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
    "<Override PartName=\"/xl/workbook.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
    "</Types>";
const std::string kRootRels =
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
    "Target=\"xl/workbook.xml\"/></Relationships>";
const std::string kWorkbook =
    "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
    "<sheets><sheet name=\"S\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>";
const std::string kWorkbookRels =
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
    "Target=\"worksheets/sheet1.xml\"/></Relationships>";
const std::string kSheet =
    "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
    "<sheetData><row r=\"1\"><c r=\"A1\"><v>7</v></c></row></sheetData></worksheet>";

class HostilePackage : public ::testing::Test {
protected:
  // Writes a package with the given parts; `extra` may add or replace parts.
  std::string makePackage(const std::vector<std::pair<std::string, std::string>> &parts) {
    std::string path = tmp.file("t" + std::to_string(++count) + ".xlsx");
    ZipWriter zip(path);
    for (const auto &[name, data] : parts)
      zip.addData(name, data);
    zip.finish();
    return path;
  }
  std::vector<std::pair<std::string, std::string>> goodParts() {
    return {{"[Content_Types].xml", kContentTypes},
            {"_rels/.rels", kRootRels},
            {"xl/workbook.xml", kWorkbook},
            {"xl/_rels/workbook.xml.rels", kWorkbookRels},
            {"xl/worksheets/sheet1.xml", kSheet}};
  }
  // The description the open fails with.
  std::string openError(const std::string &path) {
    try {
      app.Workbooks().Open(path);
    } catch (const SpreadsheetError &e) {
      return e.what();
    }
    ADD_FAILURE() << "opened " << path;
    return {};
  }

  TempFolder tmp;
  Application app;
  int count = 0;
};

TEST_F(HostilePackage, AMinimalPackageOpens) {
  Workbook &wb = app.Workbooks().Open(makePackage(goodParts()));
  EXPECT_EQ(std::get<double>(wb.Worksheets("s").Range("A1").Value()), 7);
}

TEST_F(HostilePackage, NotAZipOrNoWorkbookOrMissingFile) {
  std::string junk = tmp.file("junk.xlsx");
  testing::writeBytes(junk, "this is not a zip file at all");
  EXPECT_NE(openError(junk).find("not a workbook"), std::string::npos);
  EXPECT_NE(openError(tmp.file("missing.xlsx")).find("cannot be opened"), std::string::npos);
  auto parts = goodParts();
  parts.erase(parts.begin() + 1); // no root relationships: no main document
  EXPECT_NE(openError(makePackage(parts)).find("no main document"), std::string::npos);
  EXPECT_NE(openError(makePackage({{"readme.txt", "hello"}})).find("content types"),
            std::string::npos);
}

TEST_F(HostilePackage, TruncatedArchiveAndTruncatedXml) {
  std::string good = testing::readBytes(makePackage(goodParts()));
  std::string cut = tmp.file("cut.xlsx");
  testing::writeBytes(cut, good.substr(0, good.size() / 2));
  EXPECT_FALSE(openError(cut).empty());
  auto parts = goodParts();
  parts[4].second = kSheet.substr(0, kSheet.size() - 30);
  EXPECT_NE(openError(makePackage(parts)).find("damaged"), std::string::npos);
  parts = goodParts();
  parts[2].second = "<workbook><sheets><sheet name=";
  EXPECT_NE(openError(makePackage(parts)).find("damaged"), std::string::npos);
}

TEST_F(HostilePackage, DotDotAndAbsolutePathsAreRefused) {
  auto parts = goodParts();
  parts.push_back({"xl/../../evil.txt", "x"});
  EXPECT_NE(openError(makePackage(parts)).find("unsafe name"), std::string::npos);
  parts = goodParts();
  parts.push_back({"/etc/evil", "x"});
  EXPECT_NE(openError(makePackage(parts)).find("unsafe name"), std::string::npos);
}

TEST_F(HostilePackage, ReferencesToMissingStringsOrSheetsAreRefused) {
  auto parts = goodParts();
  parts[4].second = "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/"
                    "main\"><sheetData><row r=\"1\"><c r=\"A1\" t=\"s\"><v>99</v></c></row>"
                    "</sheetData></worksheet>";
  EXPECT_NE(openError(makePackage(parts)).find("shared string"), std::string::npos);
  parts = goodParts();
  parts.pop_back();
  EXPECT_NE(openError(makePackage(parts)).find("missing"), std::string::npos);
}

TEST_F(HostilePackage, APartInflatingBeyondTheLimitIsRefused) {
  // An image part of 1.1 GB of zeros compresses to about a megabyte.
  std::string path = tmp.file("bomb.xlsx");
  {
    ZipWriter zip(path);
    for (const auto &[name, data] : goodParts())
      zip.addData(name, data);
    std::string zeros(1 << 24, '\0');
    zip.addStreamed(
        "xl/media/image1.png",
        [&](const std::function<void(std::string_view)> &write) {
          for (int i = 0; i < 70; ++i)
            write(zeros);
        },
        1);
    zip.finish();
  }
  EXPECT_LT(std::filesystem::file_size(path), 8u << 20);
  EXPECT_NE(openError(path).find("decompresses to more than 1024 MB"), std::string::npos);
  // A lower limit catches a small bomb the same way.
  app.Workbooks().setLimits(ZipLimits{1 << 20, 1 << 22, 100});
  auto parts = goodParts();
  parts.push_back({"xl/media/big.bin", std::string(2 << 20, 'a')});
  EXPECT_NE(openError(makePackage(parts)).find("decompresses to more than 1 MB"),
            std::string::npos);
}

TEST_F(HostilePackage, DuplicatePartNamesAreRefused) {
  auto parts = goodParts();
  parts.push_back({"XL/Workbook.xml", kWorkbook});
  EXPECT_NE(openError(makePackage(parts)).find("twice"), std::string::npos);
}

} // namespace
} // namespace brevant
