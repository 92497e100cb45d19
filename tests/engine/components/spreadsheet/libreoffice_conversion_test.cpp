// Formats made by LibreOffice from the workbook the engine writes: Excel 97-2003, OpenDocument
// and PDF read back by real clients, and the failures of the converter (missing, failing, hung)
// turned into descriptions, shown with stand-in converter scripts.

#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "engine/components/spreadsheet/application.h"
#include "engine/components/spreadsheet/file_formats.h"
#include "engine/components/spreadsheet/spreadsheet_error.h"
#include "engine/components/spreadsheet/workbook.h"
#include "spreadsheet_test_support.h"

namespace brevant {
namespace {

using testing::TempFolder;

class Conversion : public ::testing::Test {
protected:
  void SetUp() override {
    testing::runPython(tmp, "import openpyxl\nwb = openpyxl.Workbook()\nws = wb.active\n"
                            "ws.title = 'Sales'\nws['A1'] = 'Region'\nws['B1'] = 'Amount'\n"
                            "wb.create_sheet('Notes')['A1'] = 'second sheet'\n"
                            "wb.save(r'" +
                                tmp.file("t.xlsx") + "')\n");
  }
  Workbook &filled() {
    Workbook &wb = app.Workbooks().Open(tmp.file("t.xlsx"));
    Worksheet &ws = wb.Worksheets("Sales");
    ws.Range("A2").setValue(std::string("North, upper"));
    ws.Range("B2").setValue(1250.5);
    ws.Range("A3").setValue(std::string("Süd"));
    ws.Range("B3").setValue(-3.0);
    ws.Range("B4").setFormula("=SUM(B2:B3)");
    return wb;
  }
  // A stand-in for soffice: a shell script with the given body.
  std::string fakeConverter(const std::string &body) {
    const std::string path = tmp.file("fake-soffice");
    testing::writeBytes(path, "#!/bin/sh\n" + body + "\n");
    ::chmod(path.c_str(), 0755);
    return path;
  }
  std::string saveError(Workbook &wb, const std::string &path, int code) {
    try {
      wb.SaveAs(path, code);
    } catch (const SpreadsheetError &e) {
      return e.what();
    }
    ADD_FAILURE() << "saving in " << code << " did not fail";
    return {};
  }
  TempFolder tmp;
  Application app;
};

TEST_F(Conversion, ExcelWorkbookOf97ReadsBackWithValuesAndCalculatedFormulas) {
  if (!testing::haveLibreOffice())
    GTEST_SKIP() << "LibreOffice is not installed";
  Workbook &wb = filled();
  wb.SaveAs(tmp.file("report.xls"), 56);
  EXPECT_EQ(wb.FileFormat(), 56);
  EXPECT_EQ(wb.FullName(), tmp.file("report.xls"));
  // An Excel 97-2003 file is an OLE compound document.
  EXPECT_EQ(testing::readBytes(tmp.file("report.xls")).substr(0, 8),
            "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
  // Back to CSV in UTF-8 (44 comma, 34 quote, 76 UTF-8).
  const std::string csv = testing::convertWithLibreOffice(
      tmp, tmp.file("report.xls"), "csv:Text - txt - csv (StarCalc):44,34,76", "csv");
  EXPECT_EQ(testing::readBytes(csv), "Region,Amount\n\"North, upper\",1250.5\nSüd,-3\n,1247.5\n");
}

TEST_F(Conversion, OpenDocumentAndPdfHoldTheReport) {
  if (!testing::haveLibreOffice())
    GTEST_SKIP() << "LibreOffice is not installed";
  Workbook &wb = filled();
  wb.SaveAs(tmp.file("report.ods"), 60);
  EXPECT_EQ(testing::readBytes(tmp.file("report.ods")).substr(30, 8 + 46),
            "mimetypeapplication/vnd.oasis.opendocument.spreadsheet");
  // Without a format the extension chooses PDF; every sheet is printed.
  wb.SaveAs(tmp.file("report.pdf"));
  EXPECT_EQ(wb.FileFormat(), kPdfFileFormat);
  ASSERT_EQ(
      std::system(
          ("pdftotext -layout " + tmp.file("report.pdf") + " " + tmp.file("report.txt")).c_str()),
      0);
  const std::string text = testing::readBytes(tmp.file("report.txt"));
  // The text is cut at the column's edge as on screen.
  for (const char *shown : {"Region", "North, upp", "1250.5", "Süd", "1247.5", "second sheet"})
    EXPECT_NE(text.find(shown), std::string::npos) << shown << " in\n" << text;
}

TEST_F(Conversion, WithoutLibreOfficeTheFormatFailsSayingSoAndNothingIsWritten) {
  Workbook &wb = filled();
  app.setConverterProgram("soffice-not-installed-here");
  const std::string why = saveError(wb, tmp.file("r.xls"), 56);
  EXPECT_NE(why.find("needs LibreOffice"), std::string::npos) << why;
  EXPECT_NE(why.find("not installed"), std::string::npos) << why;
  EXPECT_FALSE(std::filesystem::exists(tmp.file("r.xls")));
  // The workbook is still the one it was, and saves in the formats written here.
  EXPECT_EQ(wb.FileFormat(), 51);
  wb.SaveAs(tmp.file("r.xlsx"), 51);
  EXPECT_TRUE(std::filesystem::exists(tmp.file("r.xlsx")));
}

TEST_F(Conversion, TheConvertersOwnErrorTextIsTheDescription) {
  Workbook &wb = filled();
  app.setConverterProgram(
      fakeConverter("echo 'Warning: failed to launch javaldx - java may not function correctly'\n"
                    "echo 'Error: the filter refused the document' >&2\nexit 0"));
  EXPECT_EQ(saveError(wb, tmp.file("r.pdf"), kPdfFileFormat),
            "LibreOffice could not convert the report to pdf: Error: the filter refused the "
            "document");
  app.setConverterProgram(fakeConverter("exit 3"));
  EXPECT_EQ(saveError(wb, tmp.file("r.pdf"), kPdfFileFormat),
            "LibreOffice could not convert the report to pdf: it exited with status 3");
  app.setConverterProgram(fakeConverter("exit 0"));
  EXPECT_EQ(saveError(wb, tmp.file("r.pdf"), kPdfFileFormat),
            "LibreOffice could not convert the report to pdf: it wrote no file");
  EXPECT_FALSE(std::filesystem::exists(tmp.file("r.pdf")));
}

TEST_F(Conversion, TheConvertedFileReplacesAReadOnlyOneAndGetsAFreshProfile) {
  Workbook &wb = filled();
  // The stand-in records the arguments it was given and writes the file LibreOffice would.
  app.setConverterProgram(
      fakeConverter("echo \"$@\" >> " + tmp.file("args") +
                    "\nwhile [ $# -gt 1 ]; do [ \"$1\" = --outdir ] && out=$2; shift; done\n"
                    "test -s \"$1\" || exit 9\necho converted > \"$out/report.ods\""));
  testing::writeBytes(tmp.file("r.ods"), "old");
  ::chmod(tmp.file("r.ods").c_str(), 0444);
  wb.SaveAs(tmp.file("r.ods"), 60);
  wb.SaveAs(tmp.file("r.ods"), 60);
  EXPECT_EQ(testing::readBytes(tmp.file("r.ods")), "converted\n");
  const std::string args = testing::readBytes(tmp.file("args"));
  const size_t first = args.find("-env:UserInstallation=file:///");
  const size_t second = args.find("-env:UserInstallation=file:///", first + 1);
  ASSERT_NE(second, std::string::npos) << args;
  EXPECT_NE(args.substr(first, args.find(' ', first) - first),
            args.substr(second, args.find(' ', second) - second));
  EXPECT_NE(args.find("--headless"), std::string::npos);
  EXPECT_NE(args.find("--convert-to ods:calc8 "), std::string::npos) << args;
  // The private profile and the intermediate workbook are gone.
  const std::string profile = args.substr(first + 29, args.find(' ', first) - first - 29);
  EXPECT_FALSE(std::filesystem::exists(profile)) << profile;
}

TEST_F(Conversion, AHungConverterIsStoppedWithEveryProcessItStarted) {
  Workbook &wb = filled();
  app.setConversionTimeout(1);
  app.setConverterProgram(
      fakeConverter("sleep 300 &\necho $! > " + tmp.file("child.pid") + "\nsleep 300"));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(saveError(wb, tmp.file("r.xls"), 56),
            "LibreOffice did not finish converting the report to xls within 1 seconds and was "
            "stopped.");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  const pid_t child = std::stoi(testing::readBytes(tmp.file("child.pid")));
  // The background child is dead (at most a zombie waiting for its new parent). SIGKILL takes
  // effect when the killed process is next scheduled, which on a loaded machine may be a moment
  // after the converter returned.
  const std::string statPath = "/proc/" + std::to_string(child) + "/stat";
  std::string state;
  for (int attempt = 0; attempt < 100; ++attempt) {
    state = testing::readBytes(statPath);
    const size_t close = state.rfind(')');
    if (state.empty() || close == std::string::npos || state.substr(close + 2, 1) == "Z")
      return;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ADD_FAILURE() << "still running after five seconds: " << state;
}

TEST_F(Conversion, CodesNothingHereWritesAreRefusedBeforeAnyConversion) {
  for (int code : {0, 50, 46, 61, 39})
    EXPECT_FALSE(saveFormat(code)) << code;
  for (int code : {56, 17, 60, 44, 9, 2, kPdfFileFormat}) {
    auto format = saveFormat(code);
    ASSERT_TRUE(format) << code;
    EXPECT_EQ(format->kind, SaveKind::Converted) << code;
  }
  EXPECT_EQ(formatForExtension("/r/x.XLS", 51), 56);
  EXPECT_EQ(formatForExtension("/r/x.ods", 51), 60);
}

} // namespace
} // namespace brevant
