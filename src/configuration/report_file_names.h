#pragma once
// How the configuration dialog fills in and tidies the file names of a definition: a report name
// takes the extension of the chosen file type, and a template name suggests the report and log
// names beside it ("Sales.xlsx" gives "Report/Sales.xlsx" and "Log/Sales.log").
// Both '\' and '/' separate folders, as everywhere in a definition.

#include "engine/components/spreadsheet/file_type_table.h"

#include <string>
#include <string_view>
#include <vector>

namespace brevant {

// The part after the last dot of the last path element; empty when it has none.
std::string fileExtension(std::string_view path);
// The file name without its folder and without its extension.
std::string fileBaseName(std::string_view path);
// The folder part, without the separator that ends it; empty for a bare file name. A name
// directly below the root keeps the root ("/a.xlsx" gives "/").
std::string parentFolderOf(std::string_view path);

// The extensions of a file-type row, split at blanks.
std::vector<std::string> fileTypeExtensions(const FileType &type);
// The text the file-type list shows: "Excel Workbook (*.xlsx)".
std::string fileTypeItemText(const FileType &type);
// The text that shows a stored file type the table does not list:
// "xlOpenXMLWorkbook (not in this program's list)".
std::string unlistedFileTypeText(std::string_view reportFileType);

// The report name with the extension the file type asks for: unchanged when its extension is
// one of the type's (exactly, letter case included), otherwise the type's first extension; with
// no type chosen (null), the template's extension. Blanks around the name are removed; an empty
// name stays empty.
std::string normalizeReportFileName(std::string_view report, std::string_view templateName,
                                    const FileType *type);

// The file boxes of the configuration dialog.
struct FileNames {
  std::string templateName;
  std::string report;
  std::string log;
};

// What leaving the template box does to the three names: the template is trimmed, the report
// name normalised, and an empty report or log name gets the default beside the template
// ("<folder>Report/<base>.<ext>", "<folder>Log/<base>.log", with '\' instead when the
// template's own folder is written with it). Nothing changes for an empty template.
FileNames applyTemplateDefaults(const FileNames &names, const FileType *type);

} // namespace brevant
