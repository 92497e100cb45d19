// The ASCII-only helpers change the letters A to Z and nothing else, so UTF-8 text passes
// through them whole; the trims take exactly the characters they are given.

#include "base/strings.h"

#include <gtest/gtest.h>

namespace brevant {
namespace {

TEST(AsciiCase, OnlyTheLettersAToZChange) {
  EXPECT_EQ(asciiUpper("execsql é ß 1-z"), "EXECSQL é ß 1-Z");
  EXPECT_EQ(asciiLower("DRIVER=É{X}"), "driver=É{x}");
  EXPECT_EQ(asciiUpper(std::string_view("a\0b", 3)), std::string_view("A\0B", 3));
  EXPECT_TRUE(equalsAsciiNoCase("Data Source", "data SOURCE"));
  EXPECT_FALSE(equalsAsciiNoCase("É", "é")); // not folded: that is caseFolded's work
  EXPECT_FALSE(equalsAsciiNoCase("abc", "ab"));
  EXPECT_FALSE(equalsAsciiNoCase("[", "{")); // 0x5B and 0x7B differ by 32 but are no letters
}

TEST(AsciiCase, PrefixesAndSuffixes) {
  EXPECT_TRUE(startsWithAsciiNoCase("DWORD:0000", "dword:"));
  EXPECT_TRUE(startsWithAsciiNoCase("x", ""));
  EXPECT_FALSE(startsWithAsciiNoCase("dwor", "dword:"));
  EXPECT_TRUE(endsWithAsciiNoCase("Report.XLSX", ".xlsx"));
  EXPECT_FALSE(endsWithAsciiNoCase("xlsx", ".xlsx"));
}

TEST(Trimmed, TakesExactlyTheGivenCharacters) {
  EXPECT_EQ(trimmed(" \t\r\nx y\n "), "x y");
  EXPECT_EQ(trimmed(" \t \r\n"), "");
  EXPECT_EQ(trimmed(""), "");
  EXPECT_EQ(trimmed("\vx\f"), "\vx\f");           // not blanks
  EXPECT_EQ(trimmed("\vx\f", kAsciiSpaces), "x"); // but white space to std::isspace
  EXPECT_EQ(trimmed("\t 12:00 \t", " "), "\t 12:00 \t");
  EXPECT_EQ(trimmed("  12:00 ", " "), "12:00");
  EXPECT_EQ(trimBlanks("\r\n a \n"), "a");
}

} // namespace
} // namespace brevant
