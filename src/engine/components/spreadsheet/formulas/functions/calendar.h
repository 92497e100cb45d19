#pragma once
// Calendar arithmetic on date serials, in both date systems. The 1900 system keeps the
// spreadsheet's phantom 29 February 1900 (serial 60) and its day 0, "1900-01-00".

#include <cstdint>
#include <optional>

namespace brevant::formulas {

struct CivilDate {
  int64_t year;
  int month; // 1-12
  int day;   // 0 only for the 1900 system's serial 0
};

// The serial of a calendar date, months and days past their ends carried over as DATE does
// (month 14 is February of the next year, day 0 the last day of the month before).
double serialFromCivil(int64_t year, int64_t month, int64_t day, bool date1904);
// The calendar date of the whole part of a serial (which must not be negative).
CivilDate civilFromSerial(double serial, bool date1904);
// Day of the week, 0 = Sunday ... 6 = Saturday, of a serial's whole part.
int weekdayOf(double serial, bool date1904);
int daysInMonth(int64_t year, int month);
bool isLeapYear(int64_t year);

} // namespace brevant::formulas
