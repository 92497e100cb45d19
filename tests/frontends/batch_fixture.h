#pragma once
// Runs the real brevant executable on definitions, templates and SQLite databases that the
// test makes in a folder of its own, and reads back what the run left: its exit status, its
// log with the time stamps checked and taken off, and the report's cells through openpyxl.

#include "support/commands.h"
#include "support/sqlite_file.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace brevant::testing {

class BatchRun : public ::testing::Test {
protected:
  TempFolder folder;

  std::string file(const std::string &name) const { return folder.file(name); }

  void write(const std::string &name, const std::string &text) { writeBytes(file(name), text); }

  void makeDatabase(const std::string &name, const std::string &sql) {
    sqliteExec(file(name), sql);
  }

  // A template made by openpyxl; `body` works on `wb` (a new workbook) and `ws` (its sheet).
  void makeTemplate(const std::string &name, const std::string &body) {
    python("import openpyxl\nwb = openpyxl.Workbook()\nws = wb.active\n" + body + "\nwb.save(" +
           pyString(file(name)) + ")\n");
  }

  // Runs brevant in the test's folder; `arguments` are shell words (quote them yourself).
  int brevant(const std::string &arguments, const std::string &environment = "") {
    // `environment` comes first, so that it may also hold env's own options (-u NAME).
    const std::string command =
        "cd " + shellQuote(folder.path().string()) + " && env " + environment +
        " BREVANT_SETTINGS=" + shellQuote(file("settings.reg")) + " " +
        shellQuote(BREVANT_BINARY_DIR "/brevant") + " " + arguments + " 2>&1";
    return runCommand(command, &lastOutput);
  }

  // The log's lines without their time stamps; every line must carry one.
  std::vector<std::string> logLines(const std::string &name) const {
    std::vector<std::string> lines;
    const std::string text = readBytes(file(name));
    static const std::regex stamp(R"(^\[\d{8} \d{2}:\d{2}:\d{2}\]    )");
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
      EXPECT_FALSE(line.empty() || line.back() != '\r') << "line ends in CR LF: " << line;
      if (!line.empty() && line.back() == '\r')
        line.pop_back();
      std::smatch m;
      EXPECT_TRUE(std::regex_search(line, m, stamp)) << "no time stamp: " << line;
      lines.push_back(std::regex_replace(line, stamp, ""));
    }
    return lines;
  }

  // The cells of a saved workbook as "Sheet!A1=repr(value)" lines, values only.
  std::string cells(const std::string &name, const std::string &sheet = "") {
    return python("import openpyxl\nwb = openpyxl.load_workbook(" + pyString(file(name)) +
                  ")\nfor ws in wb.worksheets:\n"
                  "  if " +
                  pyString(sheet) + " and ws.title != " + pyString(sheet) +
                  ": continue\n"
                  "  for row in ws.iter_rows():\n"
                  "    for c in row:\n"
                  "      if c.value is not None: print(ws.title + '!' + c.coordinate + '=' + "
                  "repr(c.value))\n");
  }

  std::string lastOutput;
};

} // namespace brevant::testing
