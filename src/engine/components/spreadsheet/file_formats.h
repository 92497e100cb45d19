#pragma once
// The file-format codes of the spreadsheet application's SaveAs and FileFormat, and what this
// engine writes for each of them.

#include <optional>
#include <string>
#include <string_view>

namespace brevant {

namespace xlFileFormat {
constexpr int xlSYLK = 2;
constexpr int xlCSV = 6;
constexpr int xlDIF = 9;
constexpr int xlTextMac = 19;
constexpr int xlTextWindows = 20;
constexpr int xlTextMSDOS = 21;
constexpr int xlCSVMac = 22;
constexpr int xlCSVWindows = 23;
constexpr int xlCSVMSDOS = 24;
constexpr int xlTextPrinter = 36;
constexpr int xlUnicodeText = 42;
constexpr int xlOpenXMLWorkbook = 51;
constexpr int xlOpenXMLWorkbookMacroEnabled = 52;
constexpr int xlOpenXMLTemplateMacroEnabled = 53;
constexpr int xlOpenXMLTemplate = 54;
constexpr int xlOpenXMLAddIn = 55;
constexpr int xlExcel8 = 56;
constexpr int xlOpenDocumentSpreadsheet = 60;
constexpr int xlTemplate = 17;
constexpr int xlHtml = 44;
constexpr int xlCSVUTF8 = 62;
constexpr int xlCurrentPlatformText = -4158;
} // namespace xlFileFormat

// PDF is no file format of the spreadsheet application; it gets a code of our own, far from
// every code the application uses, and is listed as such in kvdconv.cfg.
constexpr int kPdfFileFormat = 900;

enum class SaveKind {
  Workbook,  // an Office Open XML package
  Delimited, // one line per row, fields separated by `separator`
  Formatted, // space-padded columns
  Converted, // an Open XML package converted by LibreOffice with `filter`
};

struct SaveFormat {
  int code = 0;
  SaveKind kind = SaveKind::Workbook;
  bool macroEnabled = false;
  bool isTemplate = false;
  char separator = ',';
  std::string_view lineEnd = "\r\n";
  bool utf8Bom = false;
  bool utf16 = false;         // UTF-16LE with a byte-order mark
  std::string_view filter;    // LibreOffice's export filter, for Converted
  std::string_view extension; // the extension LibreOffice gives the converted file
};

// nullopt for codes this engine can neither write nor have converted (for example 50, xlsb).
// Converted formats are listed whether or not LibreOffice is installed: saving in one without
// it fails with a description that says so.
[[nodiscard]] std::optional<SaveFormat> saveFormat(int code);

// The codes whose files are plain text: CSV, text, DIF and SYLK.
[[nodiscard]] bool isTextFileFormat(int code);

// The content type of the workbook part of an Open XML format, and back.
std::string_view workbookContentType(int code);
[[nodiscard]] std::optional<int> formatOfWorkbookContentType(std::string_view contentType);

// The format SaveAs uses when none is given: the one the file's extension names, else
// `current` (the workbook's own format).
[[nodiscard]] int formatForExtension(std::string_view path, int current);

} // namespace brevant
