// The batch run end to end: the real executable on files the tests make.
#include "batch_fixture.h"

#include "brevant_version.h"

#include <filesystem>

namespace brevant::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char *kOpening[] = {"Brevant " BREVANT_VERSION,
                                    "Copyright (C) 2026 Velkora. All rights reserved.",
                                    "Open log file successfully."};

class Batch : public BatchRun {
protected:
  void SetUp() override {
    makeDatabase("sales.db", "create table orders (id integer, region text, amount real);"
                             "insert into orders values (1, 'North', 10.5), (2, 'South', 20),"
                             "(3, 'North', 4.5);"
                             "create table runs (note text);");
    makeTemplate("template.xlsx",
                 "from openpyxl.workbook.defined_name import DefinedName\n"
                 "ws.title = 'Sales'\nws['A1'] = 'Total'\nws['B1'] = '=Total'\n"
                 "ws['B2'] = '=Region'\nwb.create_sheet('Notes')\nwb.create_sheet('2024')\n"
                 "wb.defined_names.append(DefinedName('Total', attr_text='0'))\n"
                 "wb.defined_names.append(DefinedName('Region', attr_text='\"none\"'))\n"
                 "wb.defined_names.append(DefinedName('Third', attr_text='\"keep\"'))\n");
  }

  // A definition with one SQLite data source and the given [File] lines and script.
  void definition(const std::string &fileLines, const std::string &script,
                  const std::string &extra = "") {
    write("report.kvd", "Quorvel Version 2.0\r\n[Data Source]\r\nName1=sales\r\n"
                        "ConnectionString1=Driver=SQLite3;Database=sales.db\r\n\r\n[File]\r\n" +
                            fileLines + "\r\n" + extra + "\r\n[SQL]\r\n" + script);
  }

  std::string abs(const std::string &name) const { return fs::absolute(file(name)).string(); }

  std::vector<std::string> expected(std::initializer_list<std::string> body) const {
    std::vector<std::string> lines(std::begin(kOpening), std::end(kOpening));
    lines.insert(lines.end(), body);
    return lines;
  }
};

TEST_F(Batch, NormalRunLogsEveryStepAndFillsTheNames) {
  definition("ReportTemplateFileName=template.xlsx\r\nReportFileName=out/report.xlsx\r\n"
             "ReportFileType=51\r\nLogFileName=run.log",
             "@1=EXECSQL(CONNECT=sales)\r\ninsert into runs values ('x')\r\n"
             "@2 = name ( NAME=Total , Region )\r\nselect sum(amount), 'All' from orders\r\n");
  EXPECT_EQ(brevant("report.kvd -C"), 0) << lastOutput;
  EXPECT_EQ(logLines("run.log"),
            expected({"Connect to database successfully. DSN=sales, Using a connection string.",
                      "The report file \"" + abs("out/report.xlsx") + "\" can be written.",
                      "Open the template file \"" + abs("template.xlsx") + "\".",
                      "[1]    EXECSQL(CONNECT=sales)", "[1]    insert into runs values ('x')",
                      "[1]    Success.", "[2]    NAME(NAME=Total,Region)",
                      "[2]    select sum(amount), 'All' from orders",
                      "[2]    Returns 1 or more record from the data source.", "[2]    Success.",
                      "Save the report file \"" + abs("out/report.xlsx") + "\".",
                      "Close the report file.", "Close the log file."}));
  const std::string names =
      python("import openpyxl\nwb = openpyxl.load_workbook('" + file("out/report.xlsx") +
             "')\nfor n in ('Total', 'Region', 'Third'): print(n, wb.defined_names[n].attr_text)");
  EXPECT_EQ(names, "Total 35\nRegion \"All\"\nThird \"keep\"\n");
  EXPECT_NE(cells("out/report.xlsx").find("Sales!B1='=Total'"), std::string::npos);
}

TEST_F(Batch, RecalculatedByARealClient) {
  definition("ReportTemplateFileName=template.xlsx\r\nReportFileName=report.xlsx\r\n"
             "LogFileName=run.log",
             "@1=NAME(NAME=Total)\r\nselect sum(amount) from orders\r\n");
  ASSERT_EQ(brevant("report.kvd -C"), 0) << lastOutput;
  std::string csv;
  const std::string profile = "file://" + file("lo-profile");
  ASSERT_EQ(runCommand("cd " + shellQuote(folder.path().string()) +
                           " && soffice -env:UserInstallation=" + profile +
                           " --headless --convert-to csv report.xlsx >/dev/null 2>&1 && cat "
                           "report.csv",
                       &csv),
            0);
  EXPECT_EQ(csv.substr(0, csv.find('\n')), "Total,35");
}

TEST_F(Batch, NameWithFewerColumnsNoRowsAndAnUnknownName) {
  definition("ReportTemplateFileName=template.xlsx\r\nReportFileName=report.xlsx\r\n"
             "LogFileName=run.log",
             "@1=NAME(NAME=Total,Region,Third)\r\nselect 7, 'West'\r\n"
             "@2=NAME(NAME=Total)\r\nselect amount from orders where id = 99\r\n"
             "@3=NAME(NAME=Missing)\r\nselect 1\r\n");
  EXPECT_EQ(brevant("report.kvd -C"), 1);
  const auto lines = logLines("run.log");
  const std::vector<std::string> tail(lines.begin() + 6, lines.end() - 3);
  ASSERT_GE(tail.size(), 14u);
  EXPECT_EQ(tail[3], "[1]    Success.");
  EXPECT_EQ(tail[6], "[2]    Returns 0 record from the data source.");
  EXPECT_EQ(tail[7], "[2]    Failure.");
  EXPECT_EQ(tail[10], "[3]    Returns 1 or more record from the data source.");
  EXPECT_EQ(tail[11], "Error: Failed to execute function NAME.");
  EXPECT_EQ(tail[12].rfind("Error Info: ", 0), 0u);
  EXPECT_NE(tail[12].find("Missing"), std::string::npos);
  EXPECT_EQ(tail[13], "[3]    Failure.");
  const std::string names =
      python("import openpyxl\nwb = openpyxl.load_workbook('" + file("report.xlsx") +
             "')\nfor n in ('Total', 'Region', 'Third'): print(wb.defined_names[n].attr_text)");
  EXPECT_EQ(names, "7\n\"West\"\n\"keep\"\n");
}

TEST_F(Batch, DispatcherChecks) {
  definition("ReportTemplateFileName=template.xlsx\r\nReportFileName=report.xlsx\r\n"
             "LogFileName=run.log",
             "@1=NAME(CONNECT=sales)\r\nselect 1\r\n"
             "@2=REPORT(SHEET=9 CELL=A1)\r\nselect 1\r\n"
             "@3=REPORT(SHEET='Nope' CELL=A1)\r\nselect 1\r\n"
             "@4=REPORT(SHEET=Notes)\r\nselect 1\r\n"
             "@5=REPORT(SHEET=2 CELL=A1 PAGEBREAK=3G2)\r\nselect 1\r\n");
  EXPECT_EQ(brevant("report.kvd -C"), 1);
  const auto lines = logLines("run.log");
  auto has = [&](const std::string &line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  };
  EXPECT_TRUE(has("Error: Syntax error. There is a lack of the parameter \"NAME\"."));
  EXPECT_TRUE(has("Error: Syntax error. The sheet 9 does not exist."));
  EXPECT_TRUE(has("Error: Syntax error. The sheet \"Nope\" does not exist."));
  EXPECT_TRUE(has("Error: Syntax error. There is a lack of the parameter \"CELL\"."));
  EXPECT_TRUE(has("Error: Syntax error. Error in pagebreak \"3G2\"."));
  EXPECT_TRUE(has("[5]    Success.")) << "a refused page break does not stop the function";
  EXPECT_FALSE(has("[1]    Failure.")) << "a function stopped by a check has no outcome line";
}

TEST_F(Batch, PrinterErrorRefusesEveryPageBreak) {
  definition("ReportTemplateFileName=template.xlsx\r\nReportFileName=report.xlsx\r\n"
             "LogFileName=run.log",
             "@1=REPORT(SHEET=1 CELL=A1 PAGEBREAK=50)\r\nselect 1\r\n");
  brevant("report.kvd -C", "BREVANT_NO_PRINTER=1");
  const auto lines = logLines("run.log");
  const auto at =
      std::find(lines.begin(), lines.end(), "Error: Can not add a pagebreak. Printer error.");
  ASSERT_NE(at, lines.end());
  EXPECT_EQ(*(at + 1), "Error: Syntax error. Error in pagebreak \"50\".");
}

TEST_F(Batch, RunDriverErrorPathsCloseTheLogWithoutAClosingLine) {
  struct Case {
    std::string fileLines;
    std::string error;
  } cases[] = {
      {"ReportFileName=r.xlsx\r\nLogFileName=run.log",
       "Error: The template file is not named correctly."},
      {"ReportTemplateFileName=none.xlsx\r\nReportFileName=r.xlsx\r\nLogFileName=run.log",
       "Error: Report template file \"" + abs("none.xlsx") + "\" does not exist."},
      {"ReportTemplateFileName=template.xlsx\r\nLogFileName=run.log",
       "Error: The report file is not named correctly."},
  };
  for (const Case &c : cases) {
    definition(c.fileLines, "@1=EXECSQL()\r\nselect 1\r\n");
    EXPECT_EQ(brevant("report.kvd -C"), 1);
    EXPECT_EQ(logLines("run.log"), expected({c.error})) << c.error;
  }
}

TEST_F(Batch, WarningsForParametersAndDataSources) {
  write("report.kvd", "Quorvel Version 2.0\r\n[Data Source]\r\n\r\n[File]\r\n"
                      "ReportTemplateFileName=template.xlsx\r\nReportFileName=r-%Y%.xlsx\r\n"
                      "LogFileName=run.log\r\n\r\n[Parameter]\r\nName1=%Y%\r\nTitle1=Year\r\n"
                      "Default1=2000\r\nName2=%M%\r\nTitle2=Month\r\nDefault2=01\r\n"
                      "Name3=%D%\r\nTitle3=Day\r\nDefault3=01\r\n\r\n[SQL]\r\n");
  EXPECT_EQ(brevant("report.kvd -C 2024"), 0);
  EXPECT_EQ(logLines("run.log"),
            expected({"Warning: 3 parameters have been defined in the report, but just 1 "
                      "parameter is inputed on command line.",
                      "Warning: None of data sources is defined.",
                      "The report file \"" + abs("r-2024.xlsx") + "\" can be written.",
                      "Open the template file \"" + abs("template.xlsx") + "\".",
                      "Save the report file \"" + abs("r-2024.xlsx") + "\".",
                      "Close the report file.", "Close the log file."}));
  EXPECT_TRUE(fs::exists(file("r-2024.xlsx")));
}

TEST_F(Batch, MissingFileTypeTableIsAWarning) {
  // A copy of the program in a folder without kvdconv.cfg.
  fs::create_directory(file("bin"));
  fs::copy_file(BREVANT_BINARY_DIR "/brevant", file("bin/brevant"));
  definition("ReportTemplateFileName=template.xlsx\r\nReportFileName=r.xlsx\r\n"
             "ReportFileType=51\r\nLogFileName=run.log",
             "");
  EXPECT_EQ(runCommand("cd " + shellQuote(folder.path().string()) + " && BREVANT_SETTINGS=" +
                       shellQuote(file("s.reg")) + " bin/brevant report.kvd -C"),
            0);
  const auto lines = logLines("run.log");
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(lines[3], "Warning: The file \"" + abs("bin") +
                          "/kvdconv.cfg\" does not exist. You can not convert file format.");
  EXPECT_TRUE(fs::exists(file("r.xlsx")));
}

TEST_F(Batch, StartupErrorsGoToTheStartupLog) {
  fs::create_directory(file("bin"));
  fs::copy_file(BREVANT_BINARY_DIR "/brevant", file("bin/brevant"));
  write("plain.kvd", "quorvel Version 2.0\r\n");
  const std::string run = "cd " + shellQuote(folder.path().string()) + " && bin/brevant ";
  EXPECT_EQ(runCommand(run + "missing.kvd -C"), 2);
  EXPECT_EQ(runCommand(run + "plain.kvd -C"), 2);
  const auto lines = logLines("bin/brevant.log");
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "Error: The file \"" + abs("missing.kvd") + "\" does not exist.",
                       "Error: The file \"" + abs("plain.kvd") + "\" is not an Quorvel file."}));
  EXPECT_FALSE(fs::exists(file("missing.log")));
}

TEST_F(Batch, LogThatCannotBeCreatedEndsTheRunWithStatus2) {
  write("blocker", "a file where a folder should be");
  definition("ReportTemplateFileName=template.xlsx\r\nReportFileName=r.xlsx\r\n"
             "LogFileName=blocker/run.log",
             "");
  EXPECT_EQ(brevant("report.kvd -C"), 2);
  EXPECT_FALSE(fs::exists(file("r.xlsx")));
}

TEST_F(Batch, DefaultLogIsBesideTheDefinition) {
  fs::create_directory(file("defs"));
  definition("ReportTemplateFileName=../template.xlsx\r\nReportFileName=..\\out\\r.xlsx", "");
  fs::rename(file("report.kvd"), file("defs/monthly.kvd"));
  fs::copy_file(file("sales.db"), file("defs/sales.db")); // the database is beside it too
  EXPECT_EQ(brevant("defs/monthly.kvd -C"), 0) << lastOutput;
  EXPECT_TRUE(fs::exists(file("defs/monthly.log")));
  EXPECT_TRUE(fs::exists(file("out/r.xlsx"))) << "names with '\\' resolve on Linux";
}

TEST_F(Batch, UnwritableReportIsASaveFailureAndTheLogStillCloses) {
  definition("ReportTemplateFileName=template.xlsx\r\nReportFileName=r.xlsx\r\n"
             "LogFileName=run.log",
             "");
  // A file-size limit makes the save fail part way, as a full disk would.
  const std::string limited = "cd " + shellQuote(folder.path().string()) +
                              " && ulimit -f 4 && BREVANT_SETTINGS=" + shellQuote(file("s.reg")) +
                              " " + shellQuote(BREVANT_BINARY_DIR "/brevant") +
                              " report.kvd -C 2>/dev/null";
  makeTemplate("template.xlsx", "for r in range(1, 3000):\n  ws.cell(row=r, column=1, "
                                "value='row %d with some text to make it long' % r)\n");
  EXPECT_EQ(runCommand("bash -c " + shellQuote(limited)), 1);
  const auto lines = logLines("run.log");
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[lines.size() - 3], "Error: Failed to save the report file.");
  EXPECT_EQ(lines.back(), "Close the log file.");
}

TEST_F(Batch, RunsWhereTheAddressSpaceIsTooSmallForTheHugePageHeap) {
  // A scheduler may cap a job's address space below the heap region a batch run reserves for
  // huge pages: the run must then do without it, not fail.
  definition("ReportTemplateFileName=template.xlsx\r\nReportFileName=r.xlsx\r\n"
             "LogFileName=run.log",
             "@1=NAME(NAME=Total)\r\nselect 3\r\n");
  const std::string limited =
      "cd " + shellQuote(folder.path().string()) +
      " && ulimit -v 786432 && BREVANT_SETTINGS=" + shellQuote(file("s.reg")) + " " +
      shellQuote(BREVANT_BINARY_DIR "/brevant") + " report.kvd -C";
  EXPECT_EQ(runCommand("bash -c " + shellQuote(limited)), 0);
  EXPECT_EQ(logLines("run.log").back(), "Close the log file.");
  EXPECT_TRUE(fs::exists(file("r.xlsx")));
}

TEST_F(Batch, CsvReportOfTheActiveSheet) {
  definition("ReportTemplateFileName=template.xlsx\r\nReportFileName=r.csv\r\n"
             "ReportFileType=6\r\nLogFileName=run.log",
             "@1=NAME(NAME=Total)\r\nselect 3\r\n");
  EXPECT_EQ(brevant("report.kvd -C"), 0) << lastOutput;
  EXPECT_EQ(readBytes(file("r.csv")).substr(0, 5), "Total");
}

TEST_F(Batch, EveryTextFormatOfTheTable) {
  // code -> the bytes the first line of Sales must start with
  const std::pair<int, std::string> formats[] = {{6, "Total,"},
                                                 {22, "Total,"},
                                                 {23, "Total,"},
                                                 {24, "Total,"},
                                                 {62, "\xEF\xBB\xBFTotal,"},
                                                 {-4158, "Total\t"},
                                                 {20, "Total\t"},
                                                 {21, "Total\t"},
                                                 {42, std::string("\xFF\xFET\0o\0", 6)},
                                                 {36, "Total"}};
  for (const auto &[code, start] : formats) {
    definition("ReportTemplateFileName=template.xlsx\r\nReportFileName=r.txt\r\nReportFileType=" +
                   std::to_string(code) + "\r\nLogFileName=run.log",
               "@1=NAME(NAME=Total)\r\nselect 3\r\n");
    EXPECT_EQ(brevant("report.kvd -C"), 0) << code << lastOutput;
    EXPECT_EQ(readBytes(file("r.txt")).substr(0, start.size()), start) << code;
  }
}

TEST_F(Batch, UnknownFileTypeSavesInTheDefaultFormat) {
  definition("ReportTemplateFileName=template.xlsx\r\nReportFileName=r.xlsx\r\n"
             "ReportFileType=NoSuchType\r\nLogFileName=run.log",
             "");
  EXPECT_EQ(brevant("report.kvd -C"), 0);
  EXPECT_NE(cells("r.xlsx").find("Sales!A1='Total'"), std::string::npos);
}

TEST_F(Batch, UnsupportedFileFormatIsNamed) {
  definition("ReportTemplateFileName=template.xlsx\r\nReportFileName=r.xlsb\r\n"
             "ReportFileType=50\r\nLogFileName=run.log",
             "");
  EXPECT_EQ(brevant("report.kvd -C"), 1);
  const auto lines = logLines("run.log");
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[lines.size() - 3], "Error: Failed to save the report file.");
  EXPECT_EQ(lines[lines.size() - 2].rfind("Error Info: Not support the file format: ", 0), 0u)
      << lines[lines.size() - 2];
}

TEST_F(Batch, ProtectionWithAndWithoutAPassword) {
  definition("ReportTemplateFileName=template.xlsx\r\nReportFileName=r.xlsx\r\n"
             "ProtectReport=Y\r\nProtectionPassword=\"  pw \"\r\nLogFileName=run.log",
             "");
  EXPECT_EQ(brevant("report.kvd -C"), 0);
  auto lines = logLines("run.log");
  EXPECT_NE(
      std::find(lines.begin(), lines.end(), "Protect the report file with a password \"  pw \"."),
      lines.end());
  EXPECT_EQ(python("import openpyxl\nwb = openpyxl.load_workbook('" + file("r.xlsx") +
                   "')\nprint([ws.protection.sheet for ws in wb.worksheets])"),
            "[True, True, True]\n");

  definition("ReportTemplateFileName=template.xlsx\r\nReportFileName=r.xlsx\r\n"
             "ProtectReport=Y\r\nLogFileName=run.log",
             "");
  EXPECT_EQ(brevant("report.kvd -C"), 0);
  lines = logLines("run.log");
  const std::regex random(R"(Protect the report file with a password "[0-z]{6}"\.)");
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                          [&](const std::string &l) { return std::regex_match(l, random); }));

  definition("ReportTemplateFileName=template.xlsx\r\nReportFileName=r.xlsx\r\n"
             "ProtectReport=Y\r\nProtectionPassword=\"\"\r\nLogFileName=run.log",
             "");
  EXPECT_EQ(brevant("report.kvd -C"), 0);
  lines = logLines("run.log");
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Protect the report file without a password."),
            lines.end());
}

TEST_F(Batch, CorruptTemplateIsAnOpenFailure) {
  write("template.xlsx", "PK\x03\x04 not really a zip");
  definition("ReportTemplateFileName=template.xlsx\r\nReportFileName=r.xlsx\r\n"
             "LogFileName=run.log",
             "");
  EXPECT_EQ(brevant("report.kvd -C"), 1);
  const auto lines = logLines("run.log");
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[lines.size() - 2],
            "Error: Failed to open the template file \"" + abs("template.xlsx") + "\".");
  EXPECT_EQ(lines.back().rfind("Error Info: ", 0), 0u);
}

TEST_F(Batch, ParserErrorsSkipOnlyTheirFunction) {
  definition("ReportTemplateFileName=template.xlsx\r\nReportFileName=r.xlsx\r\n"
             "LogFileName=run.log",
             "@1 REPORT(SHEET=1)\r\nselect 1\r\n@2=NAME(NAME=Total)\r\nselect 5\r\n");
  EXPECT_EQ(brevant("report.kvd -C"), 1);
  const auto lines = logLines("run.log");
  EXPECT_NE(
      std::find(lines.begin(), lines.end(), "Error: Syntax error. Expected \"=\" after \"@1\"."),
      lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "[2]    Success."), lines.end());
}

TEST_F(Batch, HelpVersionAndInteractiveStart) {
  EXPECT_EQ(brevant("--version"), 0);
  // The version comes from project(VERSION) in CMakeLists.txt, as the package's does.
  EXPECT_EQ(lastOutput.rfind("Brevant " BREVANT_VERSION "\n", 0), 0u);
  EXPECT_EQ(brevant("--help"), 0);
  EXPECT_NE(lastOutput.find("Usage: brevant"), std::string::npos);
  EXPECT_EQ(brevant("report.kvd", "-u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM"), 2)
      << "the workspace needs a display";
#ifdef BREVANT_HAS_WORKSPACE_PROGRAM
  // Said by brevant-workspace, which brevant handed the start to.
  EXPECT_NE(lastOutput.find("brevant: no display to open the workspace on"), std::string::npos)
      << lastOutput;
#else
  EXPECT_NE(lastOutput.find("the workspace is not available in this build"), std::string::npos)
      << lastOutput;
#endif
}

} // namespace
} // namespace brevant::testing
