#include "engine/workbook_lifecycle.h"

#include "base/child_process.h"
#include "base/file_kind.h"
#include "base/paths.h"
#include "base/strings.h"
#include "engine/components/spreadsheet/file_formats.h"
#include "engine/components/spreadsheet/workbook.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace brevant {
namespace {

namespace fs = std::filesystem;

// The template formats after whose opening the columns are fitted, and the report formats
// that keep them as they are (plain text has no column widths).
constexpr std::array<int, 12> kTextLikeFormats = {6, 22, 24, 23, -4158, 19, 21, 36, 20, 42, 9, 2};

bool isTextLike(int code) {
  return std::find(kTextLikeFormats.begin(), kTextLikeFormats.end(), code) !=
         kTextLikeFormats.end();
}

// Makes sure a report can be written at `path` without touching what is there: the folder is
// created when missing and a probe file is made beside the report and removed again. The new
// report is written beside the old one and renamed over it when complete, so an old report
// stays until then.
void checkReportCanBeWritten(const std::string &path) {
  if (const char *kind = nonFileAt(path))
    throw std::runtime_error("The path \"" + path + "\" is " + kind + ", not a file.");
  createFolders(containingFolder(path));
  std::string probe = path + ".XXXXXX";
  const int fd = ::mkstemp(probe.data());
  if (fd < 0)
    throw std::runtime_error("The file \"" + path +
                             "\" cannot be created: " + std::strerror(errno) + ".");
  ::close(fd);
  ::unlink(probe.c_str());
}

std::string describe(const std::exception &e) { return e.what(); }

} // namespace

bool openReportWorkbook(RunState &run) {
  ReportDefinition &def = run.definition;
  try {
    checkReportCanBeWritten(def.resolvedReportPath);
    run.log.logLine("The report file \"" + def.resolvedReportPath + "\" can be written.");
  } catch (const std::exception &e) {
    run.log.logError("Failed to create the report file \"" + def.resolvedReportPath + "\".",
                     describe(e));
    return false;
  }

  try {
    run.reportWorkbook = &run.excelApp->Workbooks().Open(def.resolvedTemplatePath);
    run.log.logLine("Open the template file \"" + def.resolvedTemplatePath + "\".");
    if (run.environment.settings.EnableAutoMacro)
      run.reportWorkbook->RunAutoMacros(1);
  } catch (const std::exception &e) {
    run.log.logError("Failed to open the template file \"" + def.resolvedTemplatePath + "\".",
                     describe(e));
    return false;
  }

  try {
    run.excelApp->setCalculation(xlCalculation::xlCalculationManual);
    run.excelApp->setCalculateBeforeSave(true);
  } catch (const std::exception &) {
  }
  return true;
}

bool reportSavedAsText(const RunState &run) {
  const std::vector<FileType> &fileTypes = run.environment.fileTypes;
  const int index = findFileType(fileTypes, run.definition.ReportFileType);
  if (index >= 0)
    return isTextFileFormat(fileTypes[index].formatCode);
  return run.reportWorkbook != nullptr &&
         isTextFileFormat(formatForExtension(run.definition.resolvedReportPath,
                                             run.reportWorkbook->FileFormat()));
}

bool finishReportWorkbook(RunState &run) {
  ReportDefinition &def = run.definition;
  Application &app = *run.excelApp;
  Workbook &book = *run.reportWorkbook;
  const std::vector<FileType> &fileTypes = run.environment.fileTypes;

  try {
    app.setInteractive(true);
    app.setCalculation(xlCalculation::xlCalculationAutomatic);
  } catch (const std::exception &) {
  }

  const int index = findFileType(fileTypes, def.ReportFileType);

  try {
    if (isTextLike(book.FileFormat()) && index >= 0 &&
        (fileTypes[index].formatCode == xlFileFormat::xlTextPrinter ||
         !isTextLike(fileTypes[index].formatCode)))
      book.ActiveSheet().AutoFitColumns();
  } catch (const std::exception &) {
  }

  if (def.ProtectReport) {
    try {
      const std::string password =
          def.hasProtectionPassword ? def.ProtectionPassword : randomPassword();
      const auto &sheets = book.worksheets();
      for (auto it = sheets.rbegin(); it != sheets.rend(); ++it)
        (*it)->Protect(password);
      run.log.logLine(password.empty()
                          ? std::string("Protect the report file without a password.")
                          : "Protect the report file with a password \"" + password + "\".");
    } catch (const std::exception &) {
    }
  }

  try {
    if (index >= 0)
      book.SaveAs(def.resolvedReportPath, fileTypes[index].formatCode);
    else
      book.SaveAs(def.resolvedReportPath);
  } catch (const std::exception &e) {
    // A format the engine cannot write is named as such; any other fault (a folder that cannot
    // be written, a full disk) keeps its own description, so the user knows what to mend.
    std::string info = describe(e);
    if (index >= 0 && !saveFormat(fileTypes[index].formatCode)) {
      const FileType &row = fileTypes[index];
      info = "Not support the file format: " + row.typeName + " (" +
             std::to_string(row.formatCode) + ") - " + row.description + ".";
    }
    run.log.logError("Failed to save the report file.", info);
    return false;
  }
  run.log.logLine("Save the report file \"" + def.resolvedReportPath + "\".");
  if (std::string warning = calculationWarning(book.lastCalculation()); !warning.empty())
    run.log.logLine(warning);

  if (run.request.displayReport) {
    if (const std::optional<std::string> whyNot = displayWithDesktop(def.resolvedReportPath)) {
      run.log.logLine("The report file can not be displayed: " + *whyNot);
    } else {
      app.setVisible(true);
      run.log.logLine("Display the report file with Microsoft Excel.");
    }
    app.setDisplayAlerts(true);
  }
  // The report is shown by a program of its own, so the workbook is closed either way.
  try {
    book.Close();
    run.log.logLine("Close the report file.");
  } catch (const std::exception &e) {
    run.log.logError("Failed to close the report file.", describe(e));
  }
  return true;
}

std::optional<std::string> displayWithDesktop(const std::string &path) {
  const char *x = std::getenv("DISPLAY");
  const char *wayland = std::getenv("WAYLAND_DISPLAY");
  if ((x == nullptr || *x == '\0') && (wayland == nullptr || *wayland == '\0'))
    return "no display is available.";
  const char *opener = "xdg-open";
  if (findProgram(opener).empty())
    return "the program \"xdg-open\" is not installed.";
  if (const int error = startDetached({opener, path}))
    return std::string("the desktop's program could not be started: ") + std::strerror(error) + ".";
  return std::nullopt;
}

} // namespace brevant
