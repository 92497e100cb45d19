#include "engine/components/spreadsheet/file_formats.h"

#include "base/strings.h"

#include <algorithm>
#include <cctype>

namespace brevant {

using namespace xlFileFormat;

namespace {
constexpr std::string_view kSheet =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml";
constexpr std::string_view kTemplate =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.template.main+xml";
constexpr std::string_view kSheetMacro = "application/vnd.ms-excel.sheet.macroEnabled.main+xml";
constexpr std::string_view kTemplateMacro =
    "application/vnd.ms-excel.template.macroEnabled.main+xml";
constexpr std::string_view kAddIn = "application/vnd.ms-excel.addin.macroEnabled.main+xml";
} // namespace

std::optional<SaveFormat> saveFormat(int code) {
  SaveFormat f;
  f.code = code;
  switch (code) {
  case xlOpenXMLWorkbook:
    return f;
  case xlOpenXMLWorkbookMacroEnabled:
    f.macroEnabled = true;
    return f;
  case xlOpenXMLTemplate:
    f.isTemplate = true;
    return f;
  case xlOpenXMLTemplateMacroEnabled:
    f.macroEnabled = f.isTemplate = true;
    return f;
  default:
    break;
  }
  f.kind = SaveKind::Converted;
  auto converted = [&f](std::string_view filter, std::string_view extension) {
    f.filter = filter;
    f.extension = extension;
    return f;
  };
  switch (code) {
  case xlExcel8:
    return converted("MS Excel 97", "xls");
  case xlTemplate:
    f.isTemplate = true;
    return converted("MS Excel 97 Vorlage/Template", "xlt");
  case xlOpenDocumentSpreadsheet:
    return converted("calc8", "ods");
  case xlHtml:
    return converted("HTML (StarCalc)", "html");
  case xlDIF:
    return converted("DIF", "dif");
  case xlSYLK:
    return converted("SYLK", "slk");
  case kPdfFileFormat:
    return converted("calc_pdf_Export", "pdf");
  default:
    break;
  }
  f.kind = SaveKind::Delimited;
  switch (code) {
  case xlCSV:
  case xlCSVWindows:
  case xlCSVMSDOS:
    return f;
  case xlCSVMac:
    f.lineEnd = "\r";
    return f;
  case xlCSVUTF8:
    f.utf8Bom = true;
    return f;
  case xlCurrentPlatformText:
  case xlTextWindows:
  case xlTextMSDOS:
    f.separator = '\t';
    return f;
  case xlTextMac:
    f.separator = '\t';
    f.lineEnd = "\r";
    return f;
  case xlUnicodeText:
    f.separator = '\t';
    f.utf16 = true;
    return f;
  case xlTextPrinter:
    f.kind = SaveKind::Formatted;
    f.separator = ' ';
    return f;
  default:
    return std::nullopt;
  }
}

bool isTextFileFormat(int code) {
  static constexpr int kCodes[] = {6, 22, 24, 23, -4158, 19, 21, 36, 20, 42, 9, 2};
  return std::find(std::begin(kCodes), std::end(kCodes), code) != std::end(kCodes);
}

std::string_view workbookContentType(int code) {
  switch (code) {
  case xlOpenXMLWorkbookMacroEnabled:
    return kSheetMacro;
  case xlOpenXMLTemplate:
    return kTemplate;
  case xlOpenXMLTemplateMacroEnabled:
    return kTemplateMacro;
  case xlOpenXMLAddIn:
    return kAddIn;
  default:
    return kSheet;
  }
}

std::optional<int> formatOfWorkbookContentType(std::string_view contentType) {
  if (contentType == kSheet)
    return xlOpenXMLWorkbook;
  if (contentType == kSheetMacro)
    return xlOpenXMLWorkbookMacroEnabled;
  if (contentType == kTemplate)
    return xlOpenXMLTemplate;
  if (contentType == kTemplateMacro)
    return xlOpenXMLTemplateMacroEnabled;
  if (contentType == kAddIn)
    return xlOpenXMLAddIn;
  return std::nullopt;
}

int formatForExtension(std::string_view path, int current) {
  size_t dot = path.rfind('.');
  size_t slash = path.find_last_of("/\\");
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
    return current;
  const std::string ext = asciiLower(path.substr(dot + 1));
  if (ext == "xlsx")
    return xlOpenXMLWorkbook;
  if (ext == "xlsm")
    return xlOpenXMLWorkbookMacroEnabled;
  if (ext == "xltx")
    return xlOpenXMLTemplate;
  if (ext == "xltm")
    return xlOpenXMLTemplateMacroEnabled;
  if (ext == "csv")
    return xlCSV;
  if (ext == "txt")
    return xlCurrentPlatformText;
  if (ext == "prn")
    return xlTextPrinter;
  if (ext == "xls")
    return xlExcel8;
  if (ext == "xlt")
    return xlTemplate;
  if (ext == "ods")
    return xlOpenDocumentSpreadsheet;
  if (ext == "pdf")
    return kPdfFileFormat;
  return current;
}

} // namespace brevant
