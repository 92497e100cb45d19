// Pictures named by an address: fetched by the run, placed from their bytes, and an address
// that fails leaves "#Error" in the cell with the error logged.
#include "engine/picture_download.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "definition/run_log.h"
#include "engine/components/spreadsheet/application.h"
#include "engine/components/spreadsheet/drawing/picture_file.h"
#include "engine/components/spreadsheet/drawing/shapes.h"
#include "engine/components/spreadsheet/spreadsheet_error.h"
#include "engine/components/spreadsheet/spreadsheet_test_support.h"
#include "engine/components/spreadsheet/workbook.h"
#include "engine/components/spreadsheet/workbooks.h"
#include "engine/curl_library.h"
#include "engine/report_images.h"
#include "support/local_http_server.h"

namespace brevant {
namespace {

using testing::TempFolder;

struct Lines : LogObserver {
  std::vector<std::string> lines;
  void lineLogged(const std::string &text) override { lines.push_back(text); }
  void errorCountChanged(int16_t) override {}
};

std::string failure(const std::string &address) {
  try {
    downloadPicture(address);
  } catch (const SpreadsheetError &e) {
    return e.what();
  }
  return "no error";
}

// Whether libcurl is mapped into this process (without loading it).
bool curlLoaded() {
  void *library = dlopen(kCurlLibraryName, RTLD_LAZY | RTLD_NOLOAD);
  if (library != nullptr)
    dlclose(library);
  return library != nullptr;
}

TEST(PictureDownload, AddressesAreTheNamesWithASchemeSeparator) {
  EXPECT_TRUE(isPictureAddress("https://host/a.png"));
  EXPECT_TRUE(isPictureAddress("file:///tmp/a.png"));
  EXPECT_FALSE(isPictureAddress("/tmp/a.png"));
  EXPECT_FALSE(isPictureAddress("C:\\pictures\\a.png"));
  EXPECT_FALSE(isPictureAddress("http:/host/a.png"));
}

TEST(PictureDownload, FetchesTheBytesAndDescribesWhatFails) {
  TempFolder tmp;
  const std::string bytes("\x89PNG\r\n\x1a\n\0\0binary", 16);
  testing::writeBytes(tmp.file("p.png"), bytes);
  EXPECT_EQ(downloadPicture("file://" + tmp.file("p.png")), bytes);
  EXPECT_NE(
      failure("http://127.0.0.1:9/p.png").find("\"http://127.0.0.1:9/p.png\" cannot be fetched: "),
      std::string::npos);
  EXPECT_NE(failure("file://" + tmp.file("none.png")).find("cannot be fetched"), std::string::npos);
  // Schemes other than the web's and local files are refused.
  EXPECT_NE(failure("dict://127.0.0.1/x").find("cannot be fetched"), std::string::npos);
  // One byte over the limit ends the transfer (a sparse file: nothing is written to disk).
  { std::ofstream big(tmp.file("big.png"), std::ios::binary); }
  std::filesystem::resize_file(tmp.file("big.png"), kMaxPictureBytes + 1);
  EXPECT_EQ(failure("file://" + tmp.file("big.png")),
            "The picture \"file://" + tmp.file("big.png") + "\" is larger than 50 MB.");
}

TEST(PictureDownload, FileAddressesAreReadWithoutTheHttpClient) {
  // Each test runs in a process of its own under ctest; run together, an earlier one may have
  // loaded the client already.
  const bool loadedBefore = curlLoaded();
  TempFolder tmp;
  const std::string bytes("GIF89a\0\x01\x02", 9);
  testing::writeBytes(tmp.file("a b.gif"), bytes);
  EXPECT_EQ(downloadPicture("FILE://localhost" + tmp.file("a%20b.gif")), bytes);
  EXPECT_NE(failure("file://" + tmp.path().string()).find("cannot be fetched: the file"),
            std::string::npos)
      << "a folder is no picture";
  if (!loadedBefore) {
    EXPECT_FALSE(curlLoaded());
  }
}

TEST(PictureDownload, FetchesOverHttpThroughTheLoadedClient) {
  const std::string bytes("\x89PNG\r\n\x1a\n\0\0over the web", 21);
  testing::LocalHttpServer server({{"/p.png", bytes}}, 2);
  ASSERT_NE(server.port(), 0);
  EXPECT_EQ(downloadPicture(server.address("/p.png")), bytes);
  EXPECT_TRUE(curlLoaded());
  const std::string missing = failure(server.address("/none.png"));
  EXPECT_EQ(
      missing.rfind("The picture \"" + server.address("/none.png") + "\" cannot be fetched: ", 0),
      0u)
      << missing;
  EXPECT_NE(missing.find("404"), std::string::npos) << missing;
}

TEST(PictureDownload, AMissingOrForeignClientLibraryIsAClearError) {
  auto loadFailure = [](const char *name) -> std::string {
    try {
      loadCurlLibrary(name);
    } catch (const SpreadsheetError &e) {
      return e.what();
    }
    return "loaded";
  };
  const std::string absent = loadFailure("libcurl-absent.so.4");
  EXPECT_EQ(absent.rfind("The HTTP client library libcurl-absent.so.4 cannot be loaded: ", 0), 0u)
      << absent;
  EXPECT_NE(absent.find("cannot open shared object file"), std::string::npos) << absent;
  // A library that is there but is not libcurl.
  EXPECT_EQ(loadFailure("libz.so.1")
                .rfind("The HTTP client library libz.so.1 has no "
                       "curl_global_init: ",
                       0),
            0u);
}

TEST(PictureDownload, TheReportPlacesAFetchedPictureAndMarksAFailedOne) {
  TempFolder tmp;
  const std::string book = tmp.file("t.xlsx"), picture = tmp.file("p.png");
  testing::runPython(tmp, "import openpyxl\nfrom PIL import Image\n"
                          "Image.new('RGB', (80, 40), 'blue').save(r'" +
                              picture + "', dpi=(96, 96))\nopenpyxl.Workbook().save(r'" + book +
                              "')\n");
  Application app;
  Worksheet &ws = app.Workbooks().Open(book).Worksheets(1);
  RunLog log;
  Lines lines;
  log.setObserver(&lines);
  InsertImageToCell(log, ws.Range("B2"), std::string("file://" + picture), ImageStyle{}, {});
  ASSERT_EQ(ws.Shapes().Count(), 1);
  EXPECT_DOUBLE_EQ(ws.Shapes().Item(1).Width(), 60);
  EXPECT_DOUBLE_EQ(ws.Shapes().Item(1).Left(), ws.Range("B2").Left());
  EXPECT_EQ(log.errorCount(), 0);
  EXPECT_TRUE(std::holds_alternative<std::monostate>(ws.Range("B2").Value()));

  const std::string unreachable = "http://127.0.0.1:9/p.png";
  InsertImageToCell(log, ws.Range("C3"), unreachable, ImageStyle{}, {});
  EXPECT_EQ(ws.Shapes().Count(), 1);
  EXPECT_EQ(log.errorCount(), 1);
  EXPECT_EQ(ws.Range("C3").Value(), Variant(std::string("#Error")));
  ASSERT_EQ(lines.lines.size(), 2u);
  EXPECT_EQ(lines.lines[0], "Error: Failed to insert the image file \"" + unreachable + "\".");
  EXPECT_NE(
      lines.lines[1].find("Error Info: The picture \"" + unreachable + "\" cannot be fetched"),
      std::string::npos);
}

} // namespace
} // namespace brevant
