#pragma once
// Workbooks as plain text: the active sheet written out in one of the text formats (its
// displayed values, line by line), and a CSV or tab-separated file read into a sheet with the
// values typed as the spreadsheet types what it reads (numbers, percentages, dates, TRUE/FALSE).

#include <string>
#include <string_view>

#include "engine/components/spreadsheet/file_formats.h"

namespace brevant {

class Worksheet;

// Writes `sheet` to `path` (atomically: a temporary file renamed over it).
void exportText(Worksheet &sheet, const SaveFormat &format, const std::string &path);

// The bytes of a text file as UTF-8: byte-order marks honoured (UTF-8, UTF-16), text that is not
// valid UTF-8 read as Windows-1252.
std::string decodeTextFile(std::string_view bytes);

// Fills `sheet` from delimited text (already UTF-8).
void importDelimitedText(std::string_view text, char separator, Worksheet &sheet);

} // namespace brevant
