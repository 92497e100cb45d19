#pragma once
// Numbers as the spreadsheet reads them from text and writes them as text: "1,234.5", "12%",
// "$5", "(3)", "1e3", dates and times such as "2024-03-15", "3/15/2024", "15-Mar-2024",
// "10:30 PM"; and back to text with up to 15 significant digits.

#include <optional>
#include <string>
#include <string_view>

namespace brevant::formulas {

// The number a text stands for (blanks around it allowed), dates and times as serials of the
// given date system; nullopt when the text is not a number, a date or a time.
std::optional<double> parseNumberText(std::string_view text, bool date1904 = false);

// A date, a time or both only (no plain numbers): DATEVALUE and TIMEVALUE.
std::optional<double> parseDateTimeText(std::string_view text, bool date1904 = false);

// The number as text the way a formula joins it: "3", "0.1", "-2.5", "1E+20", "1.5E-10".
std::string numberToText(double value);

} // namespace brevant::formulas
