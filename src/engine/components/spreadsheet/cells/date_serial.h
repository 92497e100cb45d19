#pragma once
// Spreadsheet date serials: days since the epoch of the workbook's date system, the time of day
// as the fraction. The 1900 system counts the nonexistent 29 February 1900 as day 60, as every
// spreadsheet does for compatibility; the 1904 system starts at 1 January 1904 = 0.

#include <optional>

#include "base/variant.h"

namespace brevant {

// nullopt for a date before the start of the date system or after 9999-12-31.
[[nodiscard]] std::optional<double> dateSerial(const DateValue &date, bool date1904 = false);
double timeSerial(const TimeValue &time);
[[nodiscard]] std::optional<double> dateTimeSerial(const DateTimeValue &value,
                                                   bool date1904 = false);

// The calendar date and time of a serial, rounded to the millisecond; nullopt when the serial
// is negative or beyond 9999-12-31.
[[nodiscard]] std::optional<DateTimeValue> serialToDateTime(double serial, bool date1904 = false);

} // namespace brevant
