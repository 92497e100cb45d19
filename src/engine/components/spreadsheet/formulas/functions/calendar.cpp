#include "engine/components/spreadsheet/formulas/functions/calendar.h"

#include <cmath>

namespace brevant::formulas {
namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's algorithm).
int64_t daysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2 ? 1 : 0;
  int64_t era = (y >= 0 ? y : y - 399) / 400;
  int64_t yoe = y - era * 400;
  int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

CivilDate civilFromDays(int64_t z) {
  z += 719468;
  int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  int64_t doe = z - era * 146097;
  int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  int64_t y = yoe + era * 400;
  int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  int64_t mp = (5 * doy + 2) / 153;
  int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  return CivilDate{y + (m <= 2 ? 1 : 0), m, d};
}

const int64_t kEpoch1900 = daysFromCivil(1899, 12, 31);
const int64_t kEpoch1904 = daysFromCivil(1904, 1, 1);

} // namespace

bool isLeapYear(int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int64_t year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return kDays[month - 1] + (month == 2 && (isLeapYear(year) || year == 1900) ? 1 : 0);
}

double serialFromCivil(int64_t year, int64_t month, int64_t day, bool date1904) {
  // Carry whole years out of the month first.
  int64_t m0 = month - 1;
  year += m0 >= 0 ? m0 / 12 : -((11 - m0) / 12);
  m0 = ((m0 % 12) + 12) % 12;
  int64_t firstOfMonth = daysFromCivil(year, m0 + 1, 1);
  if (date1904)
    return static_cast<double>(firstOfMonth - kEpoch1904 + day - 1);
  int64_t serial = firstOfMonth - kEpoch1900;
  if (serial >= 60) // from 1 March 1900 on, the phantom 29 February is counted
    ++serial;
  return static_cast<double>(serial + day - 1);
}

CivilDate civilFromSerial(double serial, bool date1904) {
  auto s = static_cast<int64_t>(std::floor(serial));
  if (date1904)
    return civilFromDays(kEpoch1904 + s);
  if (s == 0)
    return CivilDate{1900, 1, 0};
  if (s == 60)
    return CivilDate{1900, 2, 29};
  return civilFromDays(kEpoch1900 + (s > 60 ? s - 1 : s));
}

int weekdayOf(double serial, bool date1904) {
  auto s = static_cast<int64_t>(std::floor(serial));
  if (date1904)
    s += 1462;
  // Serial 1, 1 January 1900, counts as a Sunday (the phantom day shifts everything before
  // March 1900 by one).
  return static_cast<int>(((s - 1) % 7 + 7) % 7);
}

} // namespace brevant::formulas
