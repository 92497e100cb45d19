#pragma once
// Runs the real brevant executable on definitions, templates and SQLite databases that the
// test makes in a folder of its own, and reads back what the run left: its exit status, its
// log with the time stamps checked and taken off, and the report's cells through openpyxl.

#include "definition/temp_folder.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace brevant::testing {

inline std::string shellQuote(const std::string &text) {
  std::string out = "'";
  for (char c : text)
    out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// Runs a shell command; returns its exit status and its standard output.
inline int runCommand(const std::string &command, std::string *output = nullptr) {
  FILE *pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr)
    return -1;
  std::string text;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
    text.append(buffer, n);
  const int status = ::pclose(pipe);
  if (output != nullptr)
    *output = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Python with Debian's openpyxl.
inline std::string python(const std::string &script) {
  std::string out;
  const int status = runCommand("/usr/bin/python3 -c " + shellQuote(script) + " 2>&1", &out);
  EXPECT_EQ(status, 0) << out;
  return out;
}

class BatchRun : public ::testing::Test {
protected:
  TempFolder folder;

  std::string file(const std::string &name) const { return folder.file(name); }

  void write(const std::string &name, const std::string &text) { writeBytes(file(name), text); }

  void makeDatabase(const std::string &name, const std::string &sql) {
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(file(name).c_str(), &db), SQLITE_OK);
    char *error = nullptr;
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
    const std::string message = error != nullptr ? error : "";
    sqlite3_free(error);
    sqlite3_close(db);
    ASSERT_EQ(rc, SQLITE_OK) << message;
  }

  // A template made by openpyxl; `body` works on `wb` (a new workbook) and `ws` (its sheet).
  void makeTemplate(const std::string &name, const std::string &body) {
    python("import openpyxl\nwb = openpyxl.Workbook()\nws = wb.active\n" + body + "\nwb.save(" +
           pyString(file(name)) + ")\n");
  }

  static std::string pyString(const std::string &text) {
    std::string out = "'";
    for (char c : text)
      out += (c == '\'' || c == '\\') ? std::string("\\") + c : std::string(1, c);
    return out + "'";
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
