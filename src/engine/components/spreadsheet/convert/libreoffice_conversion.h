#pragma once
// Formats the engine does not write itself (Excel 97-2003, OpenDocument, PDF, ...) are made by
// LibreOffice from an Open XML workbook the engine writes first: soffice runs headless with a
// user profile of its own for every conversion and is ended when it takes too long.

#include <functional>
#include <string>
#include <string_view>

namespace brevant {

struct ConversionRequest {
  // Writes the Open XML workbook to convert to the path it is given.
  std::function<void(const std::string &)> writeWorkbook;
  std::string outputPath;          // where the converted file goes (replaced when it exists)
  std::string_view extension;      // of the converted file, as LibreOffice names it
  std::string_view filter;         // LibreOffice's export filter
  std::string program = "soffice"; // a name looked up on PATH, or a path
  double timeoutSeconds = 120;
};

// Throws with a description: when LibreOffice is not installed, when it fails (its own error
// text), when it runs out of time, and when the result cannot be moved into place.
void convertWithLibreOffice(const ConversionRequest &request);

// True when the converter program can be found.
[[nodiscard]] bool libreOfficeAvailable(const std::string &program = "soffice");

} // namespace brevant
