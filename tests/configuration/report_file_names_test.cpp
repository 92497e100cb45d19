#include "configuration/report_file_names.h"

#include <gtest/gtest.h>

namespace brevant {
namespace {

const FileType kXls{"XLS", 56, "Excel 97-2003 Workbook", "xls xlt"};

TEST(ReportFileNames, PathPartsTakeBothSeparators) {
  EXPECT_EQ(fileExtension("C:\\T\\Sales.xlsx"), "xlsx");
  EXPECT_EQ(fileExtension("dir.v2\\report"), "");
  EXPECT_EQ(fileExtension("a/b.c/d.tar.gz"), "gz");
  EXPECT_EQ(fileBaseName("C:\\T\\Sales.2024.xlsx"), "Sales.2024");
  EXPECT_EQ(fileBaseName("Sales"), "Sales");
  EXPECT_EQ(parentFolderOf("C:\\T\\Sales.xlsx"), "C:\\T");
  EXPECT_EQ(parentFolderOf("C:\\Sales.xlsx"), "C:\\");
  EXPECT_EQ(parentFolderOf("/Sales.xlsx"), "/");
  EXPECT_EQ(parentFolderOf("Sales.xlsx"), "");
}

TEST(ReportFileNames, FileTypeItemsListEveryExtension) {
  EXPECT_EQ(fileTypeItemText(kXls), "Excel 97-2003 Workbook (*.xls *.xlt)");
  EXPECT_EQ(fileTypeItemText({"HTM", 44, "Web Page", "  htm   html "}), "Web Page (*.htm *.html)");
}

TEST(ReportFileNames, AChosenTypeKeepsItsOwnExtensionsAndReplacesOthersCaseSensitively) {
  EXPECT_EQ(normalizeReportFileName("Out.xlt", "T.xlsx", &kXls), "Out.xlt");
  EXPECT_EQ(normalizeReportFileName("Out.txt", "T.xlsx", &kXls), "Out.xls");
  EXPECT_EQ(normalizeReportFileName("Out.XLS", "T.xlsx", &kXls), "Out.xls");
  EXPECT_EQ(normalizeReportFileName("  Out  ", "T.xlsx", &kXls), "Out.xls");
  EXPECT_EQ(normalizeReportFileName("out.v2\\Out", "T.xlsx", &kXls), "out.v2\\Out.xls");
  EXPECT_EQ(normalizeReportFileName("   ", "T.xlsx", &kXls), "");
}

TEST(ReportFileNames, TheDefaultTypeTakesTheTemplatesExtensionOrNone) {
  EXPECT_EQ(normalizeReportFileName("Out.csv", " T.xlsm ", nullptr), "Out.xlsm");
  EXPECT_EQ(normalizeReportFileName("Out", "Template", nullptr), "Out");
  EXPECT_EQ(normalizeReportFileName("Out.csv", "Template", nullptr), "Out");
}

TEST(ReportFileNames, TheTemplateSuggestsReportAndLogBesideIt) {
  FileNames names = applyTemplateDefaults({"C:\\T\\Sales.xlsx", "", ""}, nullptr);
  EXPECT_EQ(names.report, "C:\\T\\Report\\Sales.xlsx");
  EXPECT_EQ(names.log, "C:\\T\\Log\\Sales.log");

  // A template without a folder gets the names this system writes; one in a folder written
  // with '\\' gets its names written the same way.
  names = applyTemplateDefaults({"Sales.xls", "", " "}, nullptr);
  EXPECT_EQ(names.report, "Report/Sales.xls");
  EXPECT_EQ(names.log, "Log/Sales.log");
  names = applyTemplateDefaults({"Forms\\Sales.xls", "", ""}, nullptr);
  EXPECT_EQ(names.report, "Forms\\Report\\Sales.xls");
  EXPECT_EQ(names.log, "Forms\\Log\\Sales.log");
  names = applyTemplateDefaults({"..\\forms/Sales.xls", "", ""}, nullptr);
  EXPECT_EQ(names.report, "..\\forms/Report/Sales.xls");

  // A folder written with '/' gets names written the same way.
  names = applyTemplateDefaults({"  /srv/reports/Sales.xlsx ", "", ""}, &kXls);
  EXPECT_EQ(names.templateName, "/srv/reports/Sales.xlsx");
  EXPECT_EQ(names.report, "/srv/reports/Report/Sales.xls");
  EXPECT_EQ(names.log, "/srv/reports/Log/Sales.log");
}

TEST(ReportFileNames, NamesAlreadyGivenStayAndAnEmptyTemplateChangesNothing) {
  FileNames names = applyTemplateDefaults({"T\\Sales.xlsx", " Out.csv ", "my.log"}, nullptr);
  EXPECT_EQ(names.report, "Out.xlsx");
  EXPECT_EQ(names.log, "my.log");

  names = applyTemplateDefaults({"T\\Sales.xlsx", "Out.csv", ""}, nullptr);
  EXPECT_EQ(names.report, "Out.xlsx");
  EXPECT_EQ(names.log, "T\\Log\\Sales.log");

  names = applyTemplateDefaults({"  ", " Out.csv ", ""}, nullptr);
  EXPECT_EQ(names.templateName, "  ");
  EXPECT_EQ(names.report, " Out.csv ");
  EXPECT_EQ(names.log, "");
}

} // namespace
} // namespace brevant
