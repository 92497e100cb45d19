// Workbooks saved by the spreadsheet application itself, taken from the test suites of
// open-source spreadsheet libraries (tests/corpus/<source>/), run through the engine at three
// levels and checked by real clients:
//   a: opened and saved unchanged: every part kept, untouched parts byte for byte, values,
//      formulas and styles equal as openpyxl reads them; LibreOffice opens the result;
//   b: a fixed fill into empty cells: only those cells change;
//   c: rows inserted and a row copied into them, as a variable fill does, compared with
//      LibreOffice doing the same through its API (a sample of the corpus, to keep the run short).
// Each difference found must be listed in tests/corpus/known-differences.txt with its reason.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "engine/components/spreadsheet/application.h"
#include "engine/components/spreadsheet/file_formats.h"
#include "engine/components/spreadsheet/range.h"
#include "engine/components/spreadsheet/spreadsheet_test_support.h"
#include "engine/components/spreadsheet/structure/rect_set.h"
#include "engine/components/spreadsheet/workbook.h"
#include "engine/components/spreadsheet/worksheet.h"
#include "engine/components/spreadsheet/xl_constants.h"

namespace brevant {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

const fs::path kCorpus = fs::path(BREVANT_SOURCE_DIR) / "tests" / "corpus";
const fs::path kScripts =
    fs::path(BREVANT_SOURCE_DIR) / "tests" / "engine" / "components" / "spreadsheet" / "corpus";

// Level c runs on every n-th file (LibreOffice takes about a second a file).
constexpr size_t kLevelCStride = 10;

struct CorpusFile {
  std::string id; // "<source>/<file name>"
  fs::path path;
};

// The workbooks of the <source>/ folders under `root`.
std::vector<CorpusFile> corpusFilesIn(const fs::path &root) {
  std::vector<CorpusFile> files;
  if (!fs::is_directory(root))
    return files;
  for (const auto &source : fs::directory_iterator(root)) {
    if (!source.is_directory())
      continue;
    for (const auto &entry : fs::directory_iterator(source.path())) {
      const std::string ext = entry.path().extension().string();
      if (ext == ".xlsx" || ext == ".xlsm")
        files.push_back({source.path().filename().string() + "/" + entry.path().filename().string(),
                         entry.path()});
    }
  }
  std::sort(files.begin(), files.end(),
            [](const CorpusFile &a, const CorpusFile &b) { return a.id < b.id; });
  return files;
}

// The workbooks are put into tests/corpus, into the folder BREVANT_CORPUS names, or into the
// shared data folder beside the checkout (shared/corpus); the first that holds them counts.
std::vector<CorpusFile> corpusFiles() {
  std::vector<fs::path> roots;
  if (const char *given = std::getenv("BREVANT_CORPUS"))
    roots.push_back(given);
  roots.push_back(kCorpus);
  roots.push_back(fs::path(BREVANT_SOURCE_DIR).parent_path() / "shared" / "corpus");
  std::vector<CorpusFile> files;
  for (const fs::path &root : roots)
    if (files = corpusFilesIn(root); !files.empty())
      break;
  return files;
}

int formatOf(const fs::path &path) {
  return path.extension() == ".xlsm" ? xlFileFormat::xlOpenXMLWorkbookMacroEnabled
                                     : xlFileFormat::xlOpenXMLWorkbook;
}

std::string outputName(const CorpusFile &file) {
  std::string name = file.id;
  std::replace(name.begin(), name.end(), '/', '_');
  return name;
}

// One difference: file, kind, detail (tab-separated as the checker prints them).
struct Difference {
  std::string file, kind, detail;
};

struct KnownDifference {
  std::string level, file, kind;
};

std::vector<KnownDifference> knownDifferences() {
  std::vector<KnownDifference> known;
  std::ifstream in(kCorpus / "known-differences.txt");
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#')
      continue;
    std::istringstream fields(line);
    KnownDifference k;
    std::getline(fields, k.level, '\t');
    std::getline(fields, k.file, '\t');
    std::getline(fields, k.kind, '\t');
    known.push_back(k);
  }
  return known;
}

bool isKnown(const std::vector<KnownDifference> &known, const std::string &level,
             const Difference &d) {
  for (const auto &k : known)
    if (k.level == level && (k.file == "*" || k.file == d.file) &&
        (k.kind == d.kind || (k.kind.back() == '*' && d.kind.compare(0, k.kind.size() - 1, k.kind,
                                                                     0, k.kind.size() - 1) == 0)))
      return true;
  return false;
}

std::vector<Difference> parseDifferences(const std::string &text) {
  std::vector<Difference> out;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("DIFF\t", 0) != 0)
      continue;
    std::istringstream fields(line.substr(5));
    Difference d;
    std::getline(fields, d.file, '\t');
    std::getline(fields, d.kind, '\t');
    std::getline(fields, d.detail);
    out.push_back(d);
  }
  return out;
}

// Runs the checker on a manifest; returns its output (DIFF lines and a summary).
std::string runChecker(const TempFolder &tmp, const std::string &level,
                       const std::string &manifest) {
  const std::string out = tmp.file("check-" + level + ".out");
  const std::string cmd = "/usr/bin/python3 " + (kScripts / "corpus_check.py").string() + " " +
                          level + " " + manifest + " " + tmp.path().string() + " > " + out +
                          " 2>&1";
  const int rc = std::system(cmd.c_str());
  std::string text = testing::readBytes(out);
  EXPECT_EQ(rc, 0) << text;
  return text;
}

// Checks a level's differences against the list; prints the counts for the README.
void judge(const std::string &level, size_t fileCount, const std::vector<Difference> &diffs) {
  const auto known = knownDifferences();
  std::set<std::string> filesWithKnown, filesWithNew;
  for (const auto &d : diffs) {
    if (isKnown(known, level, d)) {
      filesWithKnown.insert(d.file);
    } else {
      filesWithNew.insert(d.file);
      ADD_FAILURE() << "level " << level << ": " << d.file << ": " << d.kind << ": " << d.detail;
    }
  }
  std::set<std::string> differing = filesWithKnown;
  differing.insert(filesWithNew.begin(), filesWithNew.end());
  std::cout << "corpus level " << level << ": " << fileCount << " files, "
            << fileCount - differing.size() << " passed, " << filesWithKnown.size()
            << " with known differences, " << filesWithNew.size() << " with new differences\n";
}

class Corpus : public ::testing::Test {
protected:
  void SetUp() override {
    files = corpusFiles();
    // The workbooks themselves are not kept in the repository (see tests/corpus/README.md).
    if (files.size() < 300)
      GTEST_SKIP() << "the corpus workbooks are not in " << kCorpus << " (" << files.size()
                   << " found)";
    fs::create_directories(tmp.path() / "out");
  }
  std::string outPath(const std::string &level, const CorpusFile &file) {
    return (tmp.path() / "out" / (level + "_" + outputName(file))).string();
  }

  TempFolder tmp;
  std::vector<CorpusFile> files;
};

// Manifest lines: id, original, result (empty when the engine failed), then level fields;
// an engine failure is a difference of its own.
TEST_F(Corpus, LevelAOpenAndSaveUnchanged) {
  std::ostringstream manifest;
  std::vector<Difference> engineFaults;
  for (const auto &file : files) {
    std::string out = outPath("a", file);
    try {
      Application app;
      Workbook &book = app.Workbooks().Open(file.path.string());
      book.SaveAs(out, formatOf(file.path));
    } catch (const std::exception &e) {
      engineFaults.push_back({file.id, "engine-error", e.what()});
      out.clear();
    }
    manifest << file.id << '\t' << file.path.string() << '\t' << out << '\n';
  }
  testing::writeBytes(tmp.file("a.manifest"), manifest.str());
  auto diffs = parseDifferences(runChecker(tmp, "a", tmp.file("a.manifest")));
  diffs.insert(diffs.end(), engineFaults.begin(), engineFaults.end());
  judge("a", files.size(), diffs);
}

// The cells a fixed fill writes: the first empty cell inside the first sheet's used range that
// is not part of a merged area, and the cell two rows below the used range.
std::vector<std::pair<int32_t, int32_t>> emptyTargets(Worksheet &sheet) {
  std::vector<std::pair<int32_t, int32_t>> targets;
  Range used = sheet.UsedRange();
  const int32_t rows = used.Rows().Count(), columns = used.Columns().Count();
  int64_t scanned = 0;
  for (int32_t r = used.Row(); r < used.Row() + rows && targets.empty() && scanned < 20000; ++r)
    for (int32_t c = used.Column(); c < used.Column() + columns && scanned < 20000;
         ++c, ++scanned) {
      if (sheet.mergedCells().containing(r, c))
        continue;
      Range cell = sheet.Cells(r, c);
      if (std::holds_alternative<std::monostate>(cell.Value()) && cell.Formula().empty()) {
        targets.emplace_back(r, c);
        break;
      }
    }
  targets.emplace_back(used.Row() + rows + 1, used.Column());
  return targets;
}

TEST_F(Corpus, LevelBFixedFillIntoEmptyCells) {
  std::ostringstream manifest;
  std::vector<Difference> engineFaults;
  // Text that needs every escape: a carriage return, a literal escape, a control character.
  const std::string text = "corpus \xE2\x9C\x93 _x0041_ line\r\nnext\x01";
  for (const auto &file : files) {
    std::string out = outPath("b", file), cells, sheetName;
    try {
      Application app;
      Workbook &book = app.Workbooks().Open(file.path.string());
      Worksheet &sheet = book.Worksheets(1);
      sheetName = sheet.Name();
      bool first = true;
      for (auto [r, c] : emptyTargets(sheet)) {
        Range cell = sheet.Cells(r, c);
        if (first)
          cell.setValue(text);
        else
          cell.setValue(12345.5);
        cells += (first ? "" : " ") + cell.Address(false, false);
        first = false;
      }
      book.SaveAs(out, formatOf(file.path));
    } catch (const std::exception &e) {
      engineFaults.push_back({file.id, "engine-error", e.what()});
      out.clear();
    }
    manifest << file.id << '\t' << file.path.string() << '\t' << out << '\t' << cells << '\t'
             << sheetName << '\n';
  }
  testing::writeBytes(tmp.file("b.manifest"), manifest.str());
  auto diffs = parseDifferences(runChecker(tmp, "b", tmp.file("b.manifest")));
  diffs.insert(diffs.end(), engineFaults.begin(), engineFaults.end());
  judge("b", files.size(), diffs);
}

// Level c: on the first sheet, three rows are inserted below the used range's second row (the
// "record row") and that row's used cells are copied into them, as a variable fill makes room
// for four records and copies the template block.
constexpr int32_t kInsertedRows = 3;

TEST_F(Corpus, LevelCInsertAndCopyRowsLikeLibreOffice) {
  if (!testing::haveLibreOffice())
    GTEST_SKIP() << "LibreOffice is not installed";
  std::ostringstream manifest;
  std::vector<Difference> engineFaults;
  size_t sampled = 0;
  for (size_t i = 0; i < files.size(); i += kLevelCStride) {
    const auto &file = files[i];
    ++sampled;
    std::string out = outPath("c", file);
    int32_t recordRow = 0, firstColumn = 0, lastColumn = 0;
    try {
      Application app;
      Workbook &book = app.Workbooks().Open(file.path.string());
      Worksheet &sheet = book.Worksheets(1);
      Range used = sheet.UsedRange();
      recordRow = used.Rows().Count() > 1 ? used.Row() + 1 : used.Row();
      firstColumn = used.Column();
      lastColumn = used.Column() + used.Columns().Count() - 1;
      sheet.Range(std::to_string(recordRow + 1) + ":" + std::to_string(recordRow + kInsertedRows))
          .Insert(xlDirection::xlDown);
      Range block =
          sheet.Range(sheet.Cells(recordRow, firstColumn), sheet.Cells(recordRow, lastColumn));
      block.AutoFill(sheet.Range(sheet.Cells(recordRow, firstColumn),
                                 sheet.Cells(recordRow + kInsertedRows, lastColumn)),
                     xlAutoFillType::xlFillCopy);
      book.SaveAs(out, formatOf(file.path));
    } catch (const std::exception &e) {
      engineFaults.push_back({file.id, "engine-error", e.what()});
      out.clear();
    }
    manifest << file.id << '\t' << file.path.string() << '\t' << out << '\t' << recordRow << '\t'
             << firstColumn << '\t' << lastColumn << '\t' << kInsertedRows << '\n';
  }
  testing::writeBytes(tmp.file("c.manifest"), manifest.str());
  auto diffs = parseDifferences(runChecker(tmp, "c", tmp.file("c.manifest")));
  diffs.insert(diffs.end(), engineFaults.begin(), engineFaults.end());
  judge("c", sampled, diffs);
}

} // namespace
} // namespace brevant
