#include "base/case_folding.h"

#include <gtest/gtest.h>

namespace brevant {
namespace {

TEST(CaseFolding, LettersOfEveryScriptMatchInAnyCase) {
  EXPECT_TRUE(equalsIgnoringCase("Émission", "éMISSION"));
  EXPECT_TRUE(equalsIgnoringCase("ŒUVRE Straße", "œuvre STRAßE"));
  EXPECT_TRUE(equalsIgnoringCase("ΣΎΝΟΛΟ", "σύνολο"));
  EXPECT_TRUE(equalsIgnoringCase("όροΣ", "ΌΡΟς")); // final sigma folds like sigma
  EXPECT_TRUE(equalsIgnoringCase("Сумма Ёлка", "сУММА ёЛКА"));
  EXPECT_TRUE(equalsIgnoringCase("\xE1\xBA\x9E", "\xC3\x9F")); // capital sharp s
  EXPECT_TRUE(equalsIgnoringCase("𐐀", "𐐨"));                   // Deseret, outside the BMP
}

TEST(CaseFolding, DifferentLettersStayDifferent) {
  EXPECT_FALSE(equalsIgnoringCase("Emission", "Émission"));
  EXPECT_FALSE(equalsIgnoringCase("A", "\xCE\x91")); // Latin A, Greek Alpha
  EXPECT_FALSE(equalsIgnoringCase("ss", "ß"));       // simple folding: no expansion
  // No locale: the Turkish dotted capital I has no simple folding, dotless i is a letter of
  // its own.
  EXPECT_FALSE(equalsIgnoringCase("\xC4\xB0", "i"));
  EXPECT_FALSE(equalsIgnoringCase("I", "\xC4\xB1"));
  EXPECT_TRUE(equalsIgnoringCase("I", "i"));
  EXPECT_FALSE(equalsIgnoringCase("ab", "abc"));
  EXPECT_FALSE(equalsIgnoringCase("×", "÷"));
}

TEST(CaseFolding, BytesThatAreNotUtf8CompareExactly) {
  EXPECT_TRUE(equalsIgnoringCase("a\xC9", "A\xC9"));
  EXPECT_FALSE(equalsIgnoringCase("\xC9", "\xE9"));
  EXPECT_FALSE(equalsIgnoringCase("\xC3", "\xC3\xA9"));
  EXPECT_EQ(caseFolded("ÀB\xFF\xCE\xA3"), "àb\xFF\xCF\x83");
}

} // namespace
} // namespace brevant
