#include "engine/components/spreadsheet/cells/date_serial.h"

#include <cmath>
#include <cstdint>

namespace brevant {

namespace {

// Days from 1970-01-01 to the given proleptic Gregorian date (Howard Hinnant's algorithm).
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void civilFromDays(int64_t z, int &y, unsigned &m, unsigned &d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t yy = static_cast<int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y = static_cast<int>(yy + (m <= 2));
}

const int64_t kDays1899_12_30 = daysFromCivil(1899, 12, 30);
const int64_t kDays1904_01_01 = daysFromCivil(1904, 1, 1);
const int64_t kDays1900_03_01 = daysFromCivil(1900, 3, 1);

bool validDate(const DateValue &d) {
  if (d.month < 1 || d.month > 12 || d.day < 1 || d.year > 9999)
    return false;
  static constexpr unsigned kDaysIn[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (d.day > kDaysIn[d.month - 1])
    return false;
  bool leap = (d.year % 4 == 0 && d.year % 100 != 0) || d.year % 400 == 0;
  return !(d.month == 2 && d.day == 29 && !leap);
}

} // namespace

std::optional<double> dateSerial(const DateValue &date, bool date1904) {
  if (!validDate(date))
    return std::nullopt;
  int64_t days = daysFromCivil(date.year, date.month, date.day);
  if (date1904) {
    if (days < kDays1904_01_01)
      return std::nullopt;
    return static_cast<double>(days - kDays1904_01_01);
  }
  int64_t serial = days - kDays1899_12_30;
  // Before March 1900 the serials are one lower, because day 60 is the phantom 29 February.
  if (days < kDays1900_03_01)
    serial -= 1;
  if (serial < 1)
    return std::nullopt;
  return static_cast<double>(serial);
}

double timeSerial(const TimeValue &time) {
  double seconds = time.hour * 3600.0 + time.minute * 60.0 + time.second + time.nanosecond / 1e9;
  return seconds / 86400.0;
}

std::optional<double> dateTimeSerial(const DateTimeValue &value, bool date1904) {
  auto day = dateSerial(value.date, date1904);
  if (!day)
    return std::nullopt;
  return *day + timeSerial(value.time);
}

std::optional<DateTimeValue> serialToDateTime(double serial, bool date1904) {
  if (!std::isfinite(serial) || serial < 0 || serial >= 2958466.0)
    return std::nullopt;
  int64_t ms = std::llround(serial * 86400000.0);
  int64_t day = ms / 86400000;
  int64_t msOfDay = ms % 86400000;
  DateTimeValue out;
  int y;
  unsigned m, d;
  if (date1904) {
    civilFromDays(day + kDays1904_01_01, y, m, d);
  } else if (day == 60) {
    y = 1900, m = 2, d = 29;
  } else if (day == 0) {
    y = 1900, m = 1, d = 0; // the spreadsheet's "1/0/1900"
  } else {
    civilFromDays(day + kDays1899_12_30 + (day < 60 ? 1 : 0), y, m, d);
  }
  if (y > 9999)
    return std::nullopt;
  out.date.year = static_cast<int16_t>(y);
  out.date.month = static_cast<uint8_t>(m);
  out.date.day = static_cast<uint8_t>(d);
  out.time.hour = static_cast<uint8_t>(msOfDay / 3600000);
  out.time.minute = static_cast<uint8_t>(msOfDay / 60000 % 60);
  out.time.second = static_cast<uint8_t>(msOfDay / 1000 % 60);
  out.time.nanosecond = static_cast<uint32_t>(msOfDay % 1000) * 1000000u;
  return out;
}

} // namespace brevant
