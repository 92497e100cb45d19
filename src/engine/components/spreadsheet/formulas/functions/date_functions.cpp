// Dates and times: DATE, DATEVALUE, TIME, TIMEVALUE, YEAR, MONTH, DAY, HOUR, MINUTE, SECOND,
// WEEKDAY, WEEKNUM, EOMONTH, EDATE, DATEDIF, YEARFRAC, NETWORKDAYS, WORKDAY, TODAY, NOW.

#include <algorithm>
#include <cmath>
#include <set>

#include "base/case_folding.h"
#include "engine/components/spreadsheet/formulas/functions/argument_values.h"
#include "engine/components/spreadsheet/formulas/functions/calendar.h"
#include "engine/components/spreadsheet/formulas/functions/function_families.h"
#include "engine/components/spreadsheet/formulas/functions/value_compare.h"
#include "engine/components/spreadsheet/formulas/functions/value_text.h"

namespace brevant::formulas {
namespace {

// The last serial of the date systems: 31 December 9999.
double maxSerial(bool date1904) { return date1904 ? 2957003 : 2958465; }

// A date argument: a number (or a text that reads as one) from 0 to 9999-12-31.
Or<double> dateArgument(const FunctionCall &call, size_t index) {
  auto v = numberArgument(call, index);
  if (!v.ok())
    return v;
  if (*v < 0 || *v >= maxSerial(call.context().date1904()) + 1)
    return FormulaError::Num;
  return *v;
}

FormulaValue dateResult(double serial, bool date1904) {
  if (serial < 0 || serial > maxSerial(date1904))
    return FormulaError::Num;
  return serial;
}

FormulaValue date(const FunctionCall &call, double year, double month, double day) {
  bool date1904 = call.context().date1904();
  if (year < 0 || year >= 10000)
    return FormulaError::Num;
  if (year < 1900)
    year += 1900;
  if (std::fabs(month) > 1e6 || std::fabs(day) > 1e8)
    return FormulaError::Num;
  return dateResult(serialFromCivil(static_cast<int64_t>(year), static_cast<int64_t>(month),
                                    static_cast<int64_t>(day), date1904),
                    date1904);
}

// DATEVALUE and TIMEVALUE read a text only.
template <bool DatePart> FormulaValue fromText(const FunctionCall &call, const Scalar &v) {
  const auto *s = std::get_if<std::string>(&v);
  if (!s)
    return FormulaError::Value;
  auto serial = parseDateTimeText(*s, call.context().date1904());
  if (!serial)
    return FormulaError::Value;
  return DatePart ? std::floor(*serial) : *serial - std::floor(*serial);
}

FormulaValue time(double hours, double minutes, double secondsPart) {
  if (hours > 32767 || minutes > 32767 || secondsPart > 32767)
    return FormulaError::Num;
  double seconds = hours * 3600 + minutes * 60 + secondsPart;
  if (seconds < 0)
    return FormulaError::Num;
  return std::fmod(seconds, 86400.0) / 86400.0;
}

enum class Part { Year, Month, Day };
template <Part P> FormulaValue datePart(const FunctionCall &call, double serial) {
  CivilDate d = civilFromSerial(serial, call.context().date1904());
  return static_cast<double>(P == Part::Year ? d.year : P == Part::Month ? d.month : d.day);
}

// HOUR, MINUTE and SECOND of the time rounded to the second.
template <int Unit> FormulaValue timePart(double serial) {
  double seconds = std::round((serial - std::floor(serial)) * 86400.0);
  if (seconds >= 86400)
    seconds = 0;
  if (Unit == 0)
    return std::floor(seconds / 3600);
  if (Unit == 1)
    return std::fmod(std::floor(seconds / 60), 60.0);
  return std::fmod(seconds, 60.0);
}

// WEEKDAY's return types: the first day of the week and the number it gets.
std::optional<std::pair<int, int>> weekStart(int type) {
  switch (type) {
  case 1:
  case 17:
    return std::pair{0, 1}; // Sunday = 1
  case 2:
  case 11:
    return std::pair{1, 1}; // Monday = 1
  case 3:
    return std::pair{1, 0}; // Monday = 0
  case 12:
  case 13:
  case 14:
  case 15:
  case 16:
    return std::pair{type - 10, 1};
  default:
    return std::nullopt;
  }
}

FormulaValue weekday(const FunctionCall &call, double serial, double type) {
  auto start = weekStart(static_cast<int>(type));
  if (!start)
    return FormulaError::Num;
  int w = weekdayOf(serial, call.context().date1904());
  return static_cast<double>((w - start->first + 7) % 7 + start->second);
}

// WEEKNUM: the week of the year, week 1 holding 1 January (type 21: the ISO week).
FormulaValue weeknum(const FunctionCall &call, double serial, double type) {
  int t = static_cast<int>(type);
  bool date1904 = call.context().date1904();
  double day = std::floor(serial);
  if (t == 21) {
    // ISO: weeks start on Monday; week 1 holds the year's first Thursday.
    int w = (weekdayOf(day, date1904) + 6) % 7; // Monday = 0
    double thursday = day - w + 3;
    CivilDate d = civilFromSerial(thursday, date1904);
    double jan1 = serialFromCivil(d.year, 1, 1, date1904);
    return std::floor((thursday - jan1) / 7) + 1;
  }
  int firstDay;
  if (t == 1 || t == 17)
    firstDay = 0;
  else if (t == 2 || t == 11)
    firstDay = 1;
  else if (t >= 12 && t <= 16)
    firstDay = t - 10;
  else
    return FormulaError::Num;
  CivilDate d = civilFromSerial(day, date1904);
  double jan1 = serialFromCivil(d.year, 1, 1, date1904);
  if (d.day == 0) // the 1900 system's day 0
    jan1 = 0;
  int offset = (weekdayOf(jan1, date1904) - firstDay + 7) % 7;
  return std::floor((day - jan1 + offset) / 7) + 1;
}

// EDATE and EOMONTH: months added, the day kept (clipped to the month) or the month's end.
template <bool EndOfMonth>
FormulaValue addMonths(const FunctionCall &call, double serial, double months) {
  bool date1904 = call.context().date1904();
  CivilDate d = civilFromSerial(serial, date1904);
  int64_t total = d.year * 12 + (d.month - 1) + static_cast<int64_t>(months);
  int64_t year = total >= 0 ? total / 12 : -((11 - total) / 12);
  int month = static_cast<int>(total - year * 12) + 1;
  if (year < 1900 || year > 9999)
    return FormulaError::Num;
  int last = daysInMonth(year, month);
  if (year == 1900 && month == 2 && date1904)
    last = 28;
  int day = EndOfMonth ? last : std::min(std::max(d.day, 1), last);
  if (!EndOfMonth && d.day == 0)
    day = 0;
  return dateResult(serialFromCivil(year, month, day, date1904), date1904);
}

// DATEDIF(start, end, unit): whole years "Y", months "M", days "D", and the remainders "MD",
// "YM", "YD".
FormulaValue datedif(const FunctionCall &call, double start, double end, const std::string &unit) {
  double s = std::floor(start);
  double e = std::floor(end);
  if (s > e)
    return FormulaError::Num;
  bool date1904 = call.context().date1904();
  CivilDate a = civilFromSerial(s, date1904);
  CivilDate b = civilFromSerial(e, date1904);
  int64_t months = (b.year - a.year) * 12 + (b.month - a.month) - (b.day < a.day ? 1 : 0);
  std::string u = caseFolded(unit);
  if (u == "d")
    return e - s;
  if (u == "m")
    return static_cast<double>(months);
  if (u == "y")
    return static_cast<double>(months / 12); // NOLINT(bugprone-integer-division): whole years
  if (u == "ym")
    return static_cast<double>(months % 12);
  if (u == "md") {
    if (b.day >= a.day)
      return static_cast<double>(b.day - a.day);
    // Days from the same day of the month before the end.
    int prevMonth = b.month == 1 ? 12 : b.month - 1;
    int64_t prevYear = b.month == 1 ? b.year - 1 : b.year;
    double from = serialFromCivil(prevYear, prevMonth, a.day, date1904);
    return e - from;
  }
  if (u == "yd") {
    int64_t year = b.year;
    if (b.month < a.month || (b.month == a.month && b.day < a.day))
      --year;
    return e - serialFromCivil(year, a.month, a.day, date1904);
  }
  return FormulaError::Num;
}

bool lastDayOfFebruary(const CivilDate &d) {
  return d.month == 2 && d.day == daysInMonth(d.year, 2);
}

// YEARFRAC(start, end, [basis]): 0 US 30/360, 1 actual/actual, 2 actual/360, 3 actual/365,
// 4 European 30/360.
FormulaValue yearfrac(const FunctionCall &call, double start, double end, double basisNumber) {
  int basis = static_cast<int>(basisNumber);
  if (basis < 0 || basis > 4)
    return FormulaError::Num;
  double s = std::floor(start);
  double e = std::floor(end);
  if (s > e)
    std::swap(s, e);
  bool date1904 = call.context().date1904();
  CivilDate a = civilFromSerial(s, date1904);
  CivilDate b = civilFromSerial(e, date1904);
  switch (basis) {
  case 0:
  case 4: {
    int d1 = a.day;
    int d2 = b.day;
    if (basis == 0) {
      if (lastDayOfFebruary(a) && lastDayOfFebruary(b))
        d2 = 30;
      if (lastDayOfFebruary(a))
        d1 = 30;
      if (d2 == 31 && d1 >= 30)
        d2 = 30;
      if (d1 == 31)
        d1 = 30;
    } else {
      d1 = std::min(d1, 30);
      d2 = std::min(d2, 30);
    }
    double days =
        static_cast<double>((b.year - a.year) * 360 + int64_t{b.month - a.month} * 30) + (d2 - d1);
    return days / 360;
  }
  case 2:
    return (e - s) / 360;
  case 3:
    return (e - s) / 365;
  default:
    break;
  }
  // Actual/actual: within a year, by the length of the year(s) touched; across years, by
  // their average length.
  bool withinYear =
      a.year == b.year ||
      (b.year == a.year + 1 && (a.month > b.month || (a.month == b.month && a.day >= b.day)));
  if (withinYear) {
    double length = 365;
    if (a.year == b.year) {
      if (isLeapYear(a.year))
        length = 366;
    } else {
      // A 29 February between the dates makes it a leap year's length.
      auto feb29 = [&](int64_t y) {
        return isLeapYear(y) ? std::optional(serialFromCivil(y, 2, 29, date1904)) : std::nullopt;
      };
      for (int64_t y : {a.year, b.year})
        if (auto f = feb29(y); f && *f >= s && *f <= e)
          length = 366;
    }
    return (e - s) / length;
  }
  double yearDays = 0;
  for (int64_t y = a.year; y <= b.year; ++y)
    yearDays += isLeapYear(y) ? 366 : 365;
  double average = yearDays / static_cast<double>(b.year - a.year + 1);
  return (e - s) / average;
}

// The holidays of NETWORKDAYS and WORKDAY as whole serials.
Or<std::set<double>> holidays(const FunctionCall &call, size_t index) {
  std::set<double> out;
  if (index >= call.size() || call.omitted(index))
    return out;
  std::optional<FormulaError> error;
  bool date1904 = call.context().date1904();
  forEachValue(call.context(), call.argument(index), [&](const Scalar &v, Origin origin) {
    if (std::holds_alternative<Blank>(v))
      return true;
    auto n = toNumber(v, date1904);
    if (!n.ok() || (origin != Origin::Direct && std::holds_alternative<bool>(v))) {
      error = n.ok() ? FormulaError::Value : n.error();
      return false;
    }
    out.insert(std::floor(*n));
    return true;
  });
  if (error)
    return *error;
  return out;
}

bool weekend(double serial, bool date1904) {
  int w = weekdayOf(serial, date1904);
  return w == 0 || w == 6;
}

// Working days (Monday to Friday, not a holiday) from start to end, both counted; negative
// when the end comes first.
FormulaValue networkdays(const FunctionCall &call, double start, double end,
                         const std::set<double> &off) {
  bool date1904 = call.context().date1904();
  double s = std::floor(start);
  double e = std::floor(end);
  double sign = 1;
  if (s > e) {
    std::swap(s, e);
    sign = -1;
  }
  // Whole weeks at once, then the remaining days one by one.
  double days = e - s + 1;
  double weeks = std::floor(days / 7);
  double count = weeks * 5;
  for (double d = s + weeks * 7; d <= e; ++d)
    if (!weekend(d, date1904))
      ++count;
  for (double h : off)
    if (h >= s && h <= e && !weekend(h, date1904))
      --count;
  return sign * count;
}

FormulaValue workday(const FunctionCall &call, double start, double days,
                     const std::set<double> &off) {
  bool date1904 = call.context().date1904();
  double d = std::floor(start);
  double remaining = std::fabs(days);
  if (remaining > 1e7)
    return FormulaError::Num;
  double step = days < 0 ? -1 : 1;
  while (remaining > 0) {
    d += step;
    if (d < 0 || d > maxSerial(date1904))
      return FormulaError::Num;
    if (!weekend(d, date1904) && !off.count(d))
      --remaining;
  }
  return d;
}

FormulaValue today(const FunctionCall &call) { return std::floor(call.context().now()); }
FormulaValue now(const FunctionCall &call) { return call.context().now(); }

constexpr FunctionSpec kFunctions[] = {
    {"DATE", 3, 3, withArguments<date, integerArgument, integerArgument, integerArgument>},
    {"DATEVALUE", 1, 1, withArguments<fromText<true>, valueArgument>},
    {"TIMEVALUE", 1, 1, withArguments<fromText<false>, valueArgument>},
    {"TIME", 3, 3, withArguments<time, integerArgument, integerArgument, integerArgument>},
    {"YEAR", 1, 1, withArguments<datePart<Part::Year>, dateArgument>},
    {"MONTH", 1, 1, withArguments<datePart<Part::Month>, dateArgument>},
    {"DAY", 1, 1, withArguments<datePart<Part::Day>, dateArgument>},
    {"HOUR", 1, 1, withArguments<timePart<0>, dateArgument>},
    {"MINUTE", 1, 1, withArguments<timePart<1>, dateArgument>},
    {"SECOND", 1, 1, withArguments<timePart<2>, dateArgument>},
    {"WEEKDAY", 1, 2, withArguments<weekday, dateArgument, integerOr<1>>},
    {"WEEKNUM", 1, 2, withArguments<weeknum, dateArgument, integerOr<1>>},
    {"EOMONTH", 2, 2, withArguments<addMonths<true>, dateArgument, integerArgument>},
    {"EDATE", 2, 2, withArguments<addMonths<false>, dateArgument, integerArgument>},
    {"DATEDIF", 3, 3, withArguments<datedif, dateArgument, dateArgument, textArgument>},
    {"YEARFRAC", 2, 3, withArguments<yearfrac, dateArgument, dateArgument, integerOr<0>>},
    {"NETWORKDAYS", 2, 3, withArguments<networkdays, dateArgument, dateArgument, holidays>},
    {"WORKDAY", 2, 3, withArguments<workday, dateArgument, integerArgument, holidays>},
    {"TODAY", 0, 0, today, 0, true},
    {"NOW", 0, 0, now, 0, true},
};

} // namespace

std::span<const FunctionSpec> dateFunctions() { return kFunctions; }

} // namespace brevant::formulas
