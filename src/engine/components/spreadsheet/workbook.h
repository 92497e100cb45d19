#pragma once
// A workbook opened from a file, as the spreadsheet's Workbook object. The package is loaded
// once; parts the engine does not change (themes, charts, drawings, pictures, printer
// settings, custom XML, macros) are written back exactly as they were stored.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/components/spreadsheet/cells/shared_strings.h"
#include "engine/components/spreadsheet/formulas/workbook_calculation.h"
#include "engine/components/spreadsheet/name.h"
#include "engine/components/spreadsheet/package/package.h"
#include "engine/components/spreadsheet/worksheet.h"

namespace brevant {

class Application;
class Styles;
struct SaveFormat;
struct WorkbookXml;

class Workbook {
public:
  // Opens an Open XML workbook (.xlsx, .xlsm, .xltx, .xltm) or a CSV or tab-separated text file
  // as a one-sheet workbook. The file itself is only read. Throws with a description.
  Workbook(Application &app, const std::string &path, const ZipLimits &limits = {});
  ~Workbook();

  Worksheet &Worksheets(std::string_view name); // any letter case, as the spreadsheet matches
  Worksheet &Worksheets(int32_t index);         // 1-based
  int32_t WorksheetCount() const;
  class Name Names(std::string_view name);
  int32_t NameCount() const;
  void RunAutoMacros(int which); // no macros run here: nothing happens
  // Saves under `path` in `fileFormat` (a file-format code); without one, in the format the
  // extension names, else the workbook's own. The workbook then is that file. Formats the engine
  // does not write itself (56, 60, PDF, ...) are converted by LibreOffice from an .xlsx. Throws
  // for formats nothing here can write, and when the conversion fails.
  void SaveAs(const std::string &path, std::optional<int> fileFormat = std::nullopt);
  void Close();
  // What the calculation before the last save left uncomputed.
  const CalculationOutcome &lastCalculation() const { return calculation_; }
  int FileFormat() const { return fileFormat_; }
  const std::string &FullName() const { return path_; }
  Worksheet &ActiveSheet();
  Application &Parent() const { return *app_; }

  // The engine's own access.
  SharedStrings &sharedStrings() { return strings_; }
  Styles &styles() { return *styles_; }
  bool date1904() const { return date1904_; }
  Package &package() { return package_; }
  const std::vector<std::unique_ptr<Worksheet>> &worksheets() const { return sheets_; }
  void setActiveSheet(const Worksheet &sheet);
  // The kept XML: the workbook part, its defined names, the chart parts (see workbook_xml.h).
  WorkbookXml &xml() { return *xml_; }
  // The position of a worksheet in the workbook's whole sheet list (chart sheets included),
  // which is what localSheetId and activeTab count.
  int sheetListIndex(const Worksheet &sheet) const;
  bool closed() const { return closed_; }
  ContentTypes &contentTypes() { return contentTypes_; }
  const ContentTypes &contentTypes() const { return contentTypes_; }
  // Formulas (sheet, index into its formula table) that refer to other sheets.
  std::vector<std::pair<Worksheet *, uint32_t>> &crossSheetFormulas() { return crossSheet_; }
  // Moves the references to `sheet` in the formulas of other sheets, defined names and charts.
  void shiftReferencesTo(Worksheet &sheet, const SheetShift &shift);

private:
  void openPackage(const std::string &path, const ZipLimits &limits);
  void openText(const std::string &path);
  void loadWorkbookPart();
  void saveWorkbook(const std::string &path, int code);
  void saveText(const std::string &path, int code);
  void saveConverted(const std::string &path, const SaveFormat &format);
  void checkOpen() const;

  Application *app_;
  std::string path_;
  int fileFormat_ = 51;
  bool closed_ = false;
  Package package_;
  ContentTypes contentTypes_;
  std::string workbookPart_;
  Relationships workbookRels_;
  std::unique_ptr<WorkbookXml> xml_;
  std::vector<std::unique_ptr<Worksheet>> sheets_;
  std::vector<std::string> sheetListIds_; // r:id of every <sheet>, in order
  SharedStrings strings_;
  std::unique_ptr<Styles> styles_;
  std::string sharedStringsPart_;
  std::string stylesPart_;
  bool date1904_ = false;
  int activeTab_ = 0;
  std::vector<std::pair<Worksheet *, uint32_t>> crossSheet_;
  CalculationOutcome calculation_;
};

} // namespace brevant
