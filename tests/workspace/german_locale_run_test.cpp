// A report run from the Run dialog while the C library works in a German locale, whose decimal
// separator is a comma: the workspace takes the desktop's locale, so every number the engine
// reads (a template's cells and column widths, a decimal field from the database) and writes (a
// defined name's value, cell values) must still use '.'.

#include "definition/definition_file.h"
#include "report_fixture.h"
#include "workspace/frm_run.h"

#include <QLabel>
#include <QPlainTextEdit>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <locale.h>
#include <string>
#include <unistd.h>

namespace brevant {
namespace {

namespace fs = std::filesystem;

// de_DE.UTF-8 built with localedef into a folder of the tests' own (the machine need not have it
// generated); built once and shared by later runs. Empty when it cannot be built.
std::string germanLocaleFolder() {
  const fs::path folder =
      fs::temp_directory_path() / ("brevant-test-locales-" + std::to_string(::getuid()));
  const fs::path locale = folder / "de_DE.UTF-8";
  std::error_code ec;
  if (fs::exists(locale / "LC_NUMERIC", ec))
    return folder.string();
  fs::create_directories(folder, ec);
  // Built beside it and renamed, so that test programs running at once never see half of it.
  const fs::path partial = folder / ("de_DE.UTF-8." + std::to_string(::getpid()));
  const std::string command =
      "localedef -i de_DE -f UTF-8 " + testing::shellQuote(partial.string()) + " >/dev/null 2>&1";
  [[maybe_unused]] const int status = std::system(command.c_str()); // warnings give status 1
  if (!fs::exists(partial / "LC_NUMERIC", ec))
    return {};
  fs::rename(partial, locale, ec);
  if (ec)
    fs::remove_all(partial, ec); // another program was first
  return folder.string();
}

// Switches the process to de_DE.UTF-8 for its lifetime.
class GermanLocale {
public:
  GermanLocale() {
    const std::string folder = germanLocaleFolder();
    if (folder.empty())
      return;
    ::setenv("LOCPATH", folder.c_str(), 1);
    previous_ = std::setlocale(LC_ALL, nullptr);
    active_ = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
  }
  ~GermanLocale() {
    std::setlocale(LC_ALL, previous_.c_str());
    ::unsetenv("LOCPATH");
  }
  bool active() const { return active_; }

private:
  std::string previous_;
  bool active_ = false;
};

class GermanLocaleRunTest : public testing::ReportTest {};

TEST_F(GermanLocaleRunTest, NumbersAreReadAndWrittenWithADecimalPoint) {
  makeDatabase("prices.db", "create table prices (item text, price numeric(10,2), weight real);"
                            "insert into prices values ('tea', 10.5, 0.25), ('rice', 2.75, 1.5);");
  testing::python("import openpyxl\nfrom openpyxl.workbook.defined_name import DefinedName\n"
                  "wb = openpyxl.Workbook()\nws = wb.active\nws.title = 'Prices'\n"
                  "ws['A1'] = 2.5\nws['B1'] = 1234.125\nws.column_dimensions['A'].width = 12.75\n"
                  "ws.row_dimensions[1].height = 20.5\n"
                  "wb.defined_names.append(DefinedName('Total', attr_text='0'))\n"
                  "wb.save(" +
                  testing::pyString(file("template.xlsx")) + ")\n");
  write("prices.kvd", "Quorvel Version 2.0\r\n[Data Source]\r\nName1=prices\r\n"
                      "ConnectionString1=Driver=SQLite3;Database=prices.db\r\n\r\n[File]\r\n"
                      "ReportTemplateFileName=template.xlsx\r\nReportFileName=out/prices.xlsx\r\n"
                      "ReportFileType=XLSX\r\nLogFileName=run.log\r\n\r\n[SQL]\r\n");
  ASSERT_FALSE(openDefinition(file("prices.kvd"), workspace.definition).has_value());

  {
    GermanLocale german;
    ASSERT_TRUE(german.active()) << "localedef could not build de_DE.UTF-8";
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");

    FrmRun dialog(workspace, "@1=NAME(NAME=Total)\r\nselect sum(price) + 0.125 from prices\r\n"
                             "@2=REPORT(SHEET=1 CELL=A3,B3,C3 RESERVE=2.0)\r\n"
                             "select item, price, weight from prices order by item\r\n");
    dialog.show();
    dialog.start();
    const QString log = dialog.findChild<QPlainTextEdit *>("txtLogInfo")->toPlainText();
    EXPECT_EQ(dialog.findChild<QLabel *>("lblErrorCnt")->text(), "0") << log.toStdString();
  }

  // openpyxl reads the values as numbers, with their fractions.
  const std::string cells = testing::python(
      "import openpyxl\nwb = openpyxl.load_workbook(" + testing::pyString(file("out/prices.xlsx")) +
      ")\nws = wb['Prices']\n"
      "print(wb.defined_names['Total'].attr_text)\n"
      "print(repr(ws['A1'].value), repr(ws['B1'].value), ws.column_dimensions['A'].width, "
      "ws.row_dimensions[1].height)\n"
      "for r in (3, 4): print([repr(ws.cell(r, c).value) for c in (1, 2, 3)])\n");
  EXPECT_EQ(cells, "13.375\n"
                   "2.5 1234.125 12.75 20.5\n"
                   "[\"'rice'\", '2.75', '1.5']\n"
                   "[\"'tea'\", '10.5', '0.25']\n");
}

} // namespace
} // namespace brevant
