#include "engine/components/spreadsheet/cells/number_format.h"

#include <gtest/gtest.h>

#include "engine/components/spreadsheet/cells/date_serial.h"

namespace brevant {
namespace {

std::string fmt(std::string_view code, double v) { return NumberFormat(code).format(v); }

TEST(NumberFormat, GeneralKeepsFifteenDigitsAndSwitchesToScientific) {
  EXPECT_EQ(formatGeneral(0.1 + 0.2), "0.3");
  EXPECT_EQ(formatGeneral(-1234.5), "-1234.5");
  EXPECT_EQ(formatGeneral(1.0 / 3), "0.333333333333333");
  EXPECT_EQ(formatGeneral(123456789012345.0), "123456789012345");
  EXPECT_EQ(formatGeneral(1e20), "1E+20");
  EXPECT_EQ(formatGeneral(0.0001), "0.0001");
  EXPECT_EQ(formatGeneral(1.5e-12), "1.5E-12");
  EXPECT_EQ(fmt("General", 42), "42");
}

TEST(NumberFormat, DigitPlaceholdersDecimalsAndThousands) {
  EXPECT_EQ(fmt("0", 2.5), "3"); // away from zero on the half... as printf rounds binary 2.5
  EXPECT_EQ(fmt("0.00", 3.14159), "3.14");
  EXPECT_EQ(fmt("0.00", -0.001), "0.00");
  EXPECT_EQ(fmt("#,##0", 1234567), "1,234,567");
  EXPECT_EQ(fmt("#,##0.00", -1234.5), "-1,234.50");
  EXPECT_EQ(fmt("#,##0", 0), "0");
  EXPECT_EQ(fmt("#", 0), "");
  EXPECT_EQ(fmt("000-00-0000", 123456789), "123-45-6789");
  EXPECT_EQ(fmt("0.0#", 1.5), "1.5");
  EXPECT_EQ(fmt("0.0?", 1.5), "1.5 ");
  EXPECT_EQ(fmt("#,##0,", 1234567), "1,235"); // a trailing comma scales by a thousand
  EXPECT_EQ(fmt("0.0,,\"M\"", 12345678), "12.3M");
}

TEST(NumberFormat, PercentScientificAndFractions) {
  EXPECT_EQ(fmt("0%", 0.256), "26%");
  EXPECT_EQ(fmt("0.00%", 0.256), "25.60%");
  EXPECT_EQ(fmt("0.00E+00", 12345.678), "1.23E+04");
  EXPECT_EQ(fmt("0.00E+00", 0.000123), "1.23E-04");
  EXPECT_EQ(fmt("##0.0E+0", 12345), "12.3E+3");
  EXPECT_EQ(fmt("# ?/?", 1.5), "1 1/2");
  EXPECT_EQ(fmt("# ?/8", 0.25), " 2/8");
}

TEST(NumberFormat, SectionsLiteralsAndTextPlaceholder) {
  const char *accounting = "\"$\"#,##0.00_);(\"$\"#,##0.00)";
  EXPECT_EQ(fmt(accounting, 1234.5), "$1,234.50 ");
  EXPECT_EQ(fmt(accounting, -1234.5), "($1,234.50)");
  EXPECT_EQ(fmt("0;-0;\"zero\"", 0), "zero");
  EXPECT_EQ(fmt("[Red]0.0;[Blue]-0.0", -2), "-2.0");
  EXPECT_EQ(fmt("[>=100]\"big\";\"small\"", 150), "big");
  EXPECT_EQ(fmt("[>=100]\"big\";\"small\"", 5), "small");
  EXPECT_EQ(fmt("[$€-407] #,##0.00", 5), "€ 5.00");
  EXPECT_EQ(NumberFormat("0;0;0;\"<\"@\">\"").formatText("x"), "<x>");
  EXPECT_EQ(NumberFormat("@").formatText("kept"), "kept");
  EXPECT_EQ(NumberFormat("0.00").formatText("kept"), "kept");
}

TEST(NumberFormat, DatesAndTimes) {
  double serial = *dateTimeSerial({{2024, 3, 5}, {14, 7, 9, 0}});
  EXPECT_EQ(fmt("m/d/yyyy", serial), "3/5/2024");
  EXPECT_EQ(fmt("yyyy-mm-dd hh:mm:ss", serial), "2024-03-05 14:07:09");
  EXPECT_EQ(fmt("h:mm AM/PM", serial), "2:07 PM");
  EXPECT_EQ(fmt("h:mm:ss am/pm", 0.25), "6:00:00 am");
  EXPECT_EQ(fmt("dddd, mmmm d, yy", serial), "Tuesday, March 5, 24");
  EXPECT_EQ(fmt("ddd d-mmm", serial), "Tue 5-Mar");
  EXPECT_EQ(fmt("[h]:mm", 1.5), "36:00");
  EXPECT_EQ(fmt("mm:ss.0", 1.0 / 86400 * 61.25), "01:01.3");
  EXPECT_EQ(fmt("m/d/yyyy", 60), "2/29/1900"); // the spreadsheet's phantom leap day
  EXPECT_TRUE(NumberFormat("yyyy-mm-dd").isDateTime());
  EXPECT_FALSE(NumberFormat("0.00").isDateTime());
  EXPECT_FALSE(NumberFormat("\"d\"0").isDateTime());
  EXPECT_TRUE(NumberFormat("General").isGeneral());
}

TEST(DateSerial, MatchesTheSpreadsheetCalendar) {
  EXPECT_EQ(*dateSerial({1900, 1, 1}), 1);
  EXPECT_EQ(*dateSerial({1900, 2, 28}), 59);
  EXPECT_EQ(*dateSerial({1900, 3, 1}), 61);
  EXPECT_EQ(*dateSerial({2024, 1, 1}), 45292);
  EXPECT_EQ(*dateSerial({2024, 1, 1}, true), 45292 - 1462);
  EXPECT_FALSE(dateSerial({1899, 12, 31}));
  EXPECT_FALSE(dateSerial({2023, 2, 29}));
  auto back = serialToDateTime(45292.75);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->date, (DateValue{2024, 1, 1}));
  EXPECT_EQ(back->time.hour, 18);
}

} // namespace
} // namespace brevant
