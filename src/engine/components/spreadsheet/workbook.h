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

#include <pugixml.hpp>

#include "engine/components/spreadsheet/cells/shared_strings.h"
#include "engine/components/spreadsheet/cells/styles.h"
#include "engine/components/spreadsheet/formulas/workbook_calculation.h"
#include "engine/components/spreadsheet/name.h"
#include "engine/components/spreadsheet/package/package.h"
#include "engine/components/spreadsheet/worksheet.h"

namespace brevant {

class Application;
struct SaveFormat;

class Workbook {
public:
  // Opens an Open XML workbook (.xlsx, .xlsm, .xltx, .xltm) or a CSV or tab-separated text file
  // as a one-sheet workbook. The file itself is only read. Throws with a description.
  Workbook(Application &app, const std::string &path, const ZipLimits &limits = {});
  ~Workbook();

  Worksheet &Worksheets(std::string_view name); // any letter case, as the spreadsheet matches
  Worksheet &Worksheets(int32_t index);         // 1-based
  int32_t WorksheetCount();
  class Name Names(std::string_view name);
  int32_t NameCount();
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
  Styles &styles() { return styles_; }
  bool date1904() const { return date1904_; }
  Package &package() { return package_; }
  const std::vector<std::unique_ptr<Worksheet>> &worksheets() const { return sheets_; }
  void setActiveSheet(const Worksheet &sheet);
  // Defined names (the <definedName> elements, in document order).
  std::vector<pugi::xml_node> &definedNames() { return names_; }
  pugi::xml_node addDefinedName(std::string_view name);
  // The position of a worksheet in the workbook's whole sheet list (chart sheets included),
  // which is what localSheetId and activeTab count.
  int sheetListIndex(const Worksheet &sheet) const;
  bool closed() const { return closed_; }
  ContentTypes &contentTypes() { return contentTypes_; }
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
  void loadCharts();
  void saveCharts();

  Application *app_;
  std::string path_;
  int fileFormat_ = 51;
  bool closed_ = false;
  Package package_;
  ContentTypes contentTypes_;
  std::string workbookPart_;
  Relationships workbookRels_;
  pugi::xml_document workbookDoc_;
  std::vector<std::unique_ptr<Worksheet>> sheets_;
  std::vector<std::string> sheetListIds_; // r:id of every <sheet>, in order
  std::vector<pugi::xml_node> names_;
  SharedStrings strings_;
  Styles styles_;
  std::string sharedStringsPart_;
  std::string stylesPart_;
  bool date1904_ = false;
  int activeTab_ = 0;
  std::vector<std::pair<Worksheet *, uint32_t>> crossSheet_;
  struct ChartPart {
    std::string part;
    pugi::xml_document doc;
    std::vector<pugi::xml_node> formulas; // the <c:f> elements
    bool modified = false;
  };
  std::vector<std::unique_ptr<ChartPart>> charts_;
  bool chartsLoaded_ = false;
  CalculationOutcome calculation_;
};

} // namespace brevant
