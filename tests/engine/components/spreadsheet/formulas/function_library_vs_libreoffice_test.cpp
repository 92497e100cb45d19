// The function library against LibreOffice: a generated workbook of several thousand cases (at
// least 20 per function) computed by our evaluator and by LibreOffice headless from the same
// file, compared case by case. Where LibreOffice departs from the spreadsheet application's
// documented behaviour we follow the documentation; those cases are listed below with the
// value we give.

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>

#include "engine/components/spreadsheet/application.h"
#include "engine/components/spreadsheet/formulas/formula_value.h"
#include "engine/components/spreadsheet/formulas/workbook_calculation.h"
#include "engine/components/spreadsheet/spreadsheet_test_support.h"
#include "engine/components/spreadsheet/workbooks.h"
#include "engine/components/spreadsheet/worksheet.h"

namespace brevant {
namespace {

using testing::TempFolder;

// A computed value as text: kind n (number), s (text), e (error), b (boolean), z (nothing).
struct Outcome {
  std::string function;
  char kind = 'z';
  std::string value;
};

std::string unescapeField(const std::string &s);
std::string unescape(const std::string &s) { return unescapeField(s); }

// A case where LibreOffice departs from the spreadsheet's documented behaviour (or lacks the
// function): the value we give instead, and why.
struct KnownDifference {
  std::string ours; // kind:value
  std::string reason;
};

// function_cases_differences.tsv: formula <TAB> kind:value <TAB> reason.
std::map<std::string, KnownDifference> readKnownDifferences(const std::string &path) {
  std::map<std::string, KnownDifference> out;
  std::istringstream in(testing::readBytes(path));
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#')
      continue;
    size_t a = line.find('\t');
    size_t b = line.find('\t', a + 1);
    out[line.substr(0, a)] = {unescapeField(line.substr(a + 1, b - a - 1)), line.substr(b + 1)};
  }
  return out;
}

std::string unescapeField(const std::string &s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 1 < s.size()) {
      char c = s[++i];
      out += c == 't' ? '\t' : c == 'n' ? '\n' : c;
    } else {
      out += s[i];
    }
  }
  return out;
}

std::map<int32_t, Outcome> readOutcomes(const std::string &path) {
  std::map<int32_t, Outcome> out;
  std::istringstream in(testing::readBytes(path));
  std::string line;
  while (std::getline(in, line)) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (int k = 0; k < 3; ++k) {
      size_t tab = line.find('\t', start);
      fields.push_back(line.substr(start, tab - start));
      start = tab + 1;
    }
    fields.push_back(line.substr(start));
    out[std::stoi(fields[0])] = Outcome{fields[1], fields[2][0], unescape(fields[3])};
  }
  return out;
}

Outcome ours(const Variant &v) {
  Outcome o;
  if (const auto *d = std::get_if<double>(&v)) {
    o.kind = 'n';
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.17g", *d);
    o.value = buf;
  } else if (const auto *i = std::get_if<int64_t>(&v)) {
    o.kind = 'n';
    o.value = std::to_string(*i);
  } else if (const auto *b = std::get_if<bool>(&v)) {
    o.kind = 'b';
    o.value = *b ? "TRUE" : "FALSE";
  } else if (const auto *s = std::get_if<std::string>(&v)) {
    o.kind = s->empty() ? 'z' : 's';
    o.value = *s;
    if (!s->empty() && (*s)[0] == '#' && parseErrorText(*s))
      o.kind = 'e';
  }
  return o;
}

std::string escapeField(const std::string &s) {
  std::string out;
  for (char c : s)
    out += c == '\\' ? "\\\\" : c == '\t' ? "\\t" : c == '\n' ? "\\n" : std::string(1, c);
  return out;
}

// Our reader gives an error value as its text, so a text and an error of the same text agree.
bool agree(const Outcome &a, const Outcome &b) {
  // NOW is read minutes apart by the two programs.
  if (a.function == "NOW" && a.kind == 'n' && b.kind == 'n')
    return std::fabs(std::stod(a.value) - std::stod(b.value)) < 0.01;
  if (a.kind == 'n' && b.kind == 'n') {
    double x = std::stod(a.value);
    double y = std::stod(b.value);
    return std::fabs(x - y) <= 1e-9 * std::max(1.0, std::fabs(y));
  }
  auto textual = [](char k) { return k == 's' || k == 'e'; };
  if (textual(a.kind) && textual(b.kind))
    return a.value == b.value;
  return a.kind == b.kind && a.value == b.value;
}

TEST(FunctionLibraryVsLibreOffice, EveryCaseAgreesOrFollowsTheDocumentedBehaviour) {
  if (!testing::haveLibreOffice())
    GTEST_SKIP() << "LibreOffice is not installed";
  TempFolder tmp;
  std::string folder =
      std::string(BREVANT_SOURCE_DIR) + "/tests/engine/components/spreadsheet/formulas/";
  std::string script = folder + "function_cases.py";
  std::map<std::string, KnownDifference> known =
      readKnownDifferences(folder + "function_cases_differences.tsv");
  std::string cases = tmp.file("cases.xlsx");
  ASSERT_EQ(std::system(("/usr/bin/python3 " + script + " generate " + cases).c_str()), 0);

  // LibreOffice recalculates every formula on load in a private profile.
  std::filesystem::create_directories(tmp.path() / "lo-profile" / "user");
  testing::writeBytes(
      tmp.file("lo-profile/user/registrymodifications.xcu"),
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<oor:items xmlns:oor=\"http://openoffice.org/2001/registry\" "
      "xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
      "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n"
      "<item oor:path=\"/org.openoffice.Office.Calc/Formula/Load\"><prop "
      "oor:name=\"OOXMLRecalcMode\" oor:op=\"fuse\"><value>0</value></prop></item>\n"
      "</oor:items>\n");
  std::string converted = testing::convertWithLibreOffice(tmp, cases, "xlsx", "xlsx");
  std::string expectedPath = tmp.file("libreoffice.tsv");
  ASSERT_EQ(std::system(("/usr/bin/python3 " + script + " read " + converted + " " + expectedPath +
                         " 2>/dev/null")
                            .c_str()),
            0);
  std::map<int32_t, Outcome> expected = readOutcomes(expectedPath);
  ASSERT_GT(expected.size(), 3000u);

  Application app;
  Workbook &book = app.Workbooks().Open(cases);
  CalculationOutcome outcome = calculateWorkbook(book, currentDateSerial(false));
  Worksheet &sheet = book.Worksheets("Cases");

  std::map<std::string, int> perFunction;
  std::map<std::string, int> disagreements;
  int agreed = 0;
  int documented = 0;
  std::map<std::string, int> byReason;
  std::string report;
  std::string unlisted; // in the differences file's form, for review
  for (const auto &[row, lo] : expected) {
    Outcome mine = ours(sheet.readValue(row, 2));
    mine.function = lo.function;
    ++perFunction[lo.function];
    std::string formula = std::get<std::string>(sheet.readValue(row, 3));
    if (agree(mine, lo)) {
      ++agreed;
      continue;
    }
    std::string ourValue = std::string(1, mine.kind) + ":" + mine.value;
    auto listed = known.find(formula);
    if (listed != known.end()) {
      ++documented;
      ++byReason[listed->second.reason];
      EXPECT_EQ(ourValue, listed->second.ours) << "=" << formula;
      continue;
    }
    ++disagreements[lo.function];
    report += "  row " + std::to_string(row) + " =" + formula + "  ours " + ourValue +
              "  LibreOffice " + lo.kind + ":" + lo.value + "\n";
    unlisted += formula + "\t" + escapeField(ourValue) + "\t" + lo.kind + ":" +
                escapeField(lo.value) + "\n";
  }
  for (const auto &[function, n] : perFunction)
    EXPECT_GE(n, 20) << function << " has too few cases";
  std::string summary;
  for (const auto &[function, n] : disagreements)
    summary += function + ":" + std::to_string(n) + " ";
  std::cout << "cases " << expected.size() << ", functions " << perFunction.size() << ", agreed "
            << agreed << ", documented differences " << documented << ", uncomputed "
            << outcome.uncomputed << "\n";
  for (const auto &[reason, n] : byReason)
    std::cout << "  " << n << " x " << reason << "\n";
  if (const char *dump = std::getenv("BREVANT_UNLISTED_DIFFERENCES"))
    testing::writeBytes(dump, unlisted);
  EXPECT_TRUE(report.empty()) << "disagreements by function: " << summary << "\n" << report;
}

} // namespace
} // namespace brevant
