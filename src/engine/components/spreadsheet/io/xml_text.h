#pragma once
// Text as it travels in and out of workbook XML: escaping for element text and attributes, the
// "_xHHHH_" escapes that spreadsheet XML uses for characters XML cannot hold, and repair of text
// that is not valid UTF-8 (read as Windows-1252, like every other foreign text in the program).

#include <string>
#include <string_view>

#include "base/codepage.h" // isValidUtf8, repairUtf8, appendUtf8

namespace brevant {

// Appends `text` escaped for element content or a double-quoted attribute value.
void appendXmlEscaped(std::string &out, std::string_view text);

// Appends cell or shared-string text: valid UTF-8 guaranteed, control characters other than tab
// and line feed (carriage return included) and U+FFFE/U+FFFF written as "_xHHHH_" escapes, a
// literal "_xHHHH_" written with its underscore escaped ("_x005F_xHHHH_"), everything else as in
// appendXmlEscaped.
void appendXstring(std::string &out, std::string_view text);

// Undoes the "_xHHHH_" escapes of text read from a workbook part.
std::string decodeXstring(std::string_view text);

} // namespace brevant
