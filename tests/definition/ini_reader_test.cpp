#include "definition/ini_reader.h"

#include <gtest/gtest.h>

namespace brevant {
namespace {

TEST(IniProfile, NamesMatchWithoutCaseAndTheFirstKeyWins) {
  const IniProfile ini("[Data Source]\r\nname1=first\r\nNAME1=second\r\n[file]\r\nA=1\r\n");
  EXPECT_EQ(ini.value("data source", "Name1"), "first");
  EXPECT_EQ(ini.value("FILE", "a"), "1");
  EXPECT_EQ(ini.value("File", "missing"), "");
  EXPECT_EQ(ini.value("Missing", "A"), "");
  EXPECT_TRUE(ini.hasKey("file", "a"));
  EXPECT_FALSE(ini.hasKey("file", "b"));
}

TEST(IniProfile, ValuesAreTrimmedAndLoseOnePairOfOuterQuotes) {
  const IniProfile ini("[S]\n"
                       "plain =  a b \t\r\n"
                       "double=\"  kept  \"\n"
                       "single=' x '\n"
                       "doubled=\"\"x\"\"\n"
                       "mixed=\"x'\n"
                       "lone=\"\n"
                       "empty=\"\"\n"
                       "inner=a\"b\"\n"
                       "equals=a=b\n");
  EXPECT_EQ(ini.value("S", "plain"), "a b");
  EXPECT_EQ(ini.value("S", "double"), "  kept  ");
  EXPECT_EQ(ini.value("S", "single"), " x ");
  EXPECT_EQ(ini.value("S", "doubled"), "\"x\"");
  EXPECT_EQ(ini.value("S", "mixed"), "\"x'");
  EXPECT_EQ(ini.value("S", "lone"), "\"");
  EXPECT_EQ(ini.value("S", "empty"), "");
  EXPECT_TRUE(ini.hasKey("S", "empty"));
  EXPECT_EQ(ini.value("S", "inner"), "a\"b\"");
  EXPECT_EQ(ini.value("S", "equals"), "a=b");
}

TEST(IniProfile, LinesThatAreNotKeysAreIgnored) {
  const IniProfile ini("orphan=before any section\n"
                       "[S]\n"
                       "just some words\n"
                       "=no key\n"
                       "  [ T ] trailing text\n"
                       "k=v\n"
                       "[unclosed\n"
                       "k2=v2\n");
  EXPECT_EQ(ini.value("S", "orphan"), "");
  EXPECT_EQ(ini.value("T", "k"), "v");
  // "[unclosed" is not a section line, so k2 still belongs to T.
  EXPECT_EQ(ini.value("T", "k2"), "v2");
}

TEST(IniProfile, OnlyTheFirstSectionOfANameIsSearched) {
  const IniProfile ini("[File]\nA=1\n[SQL]\nselect 1\n[File]\nA=2\nB=3\n");
  EXPECT_EQ(ini.value("File", "A"), "1");
  EXPECT_EQ(ini.value("File", "B"), "");
}

TEST(IniProfile, LongValuesAreCutWithoutSplittingACharacter) {
  const std::string ascii(12000, 'x');
  EXPECT_EQ(IniProfile("[S]\nk=" + ascii + "\n").value("S", "k"), ascii.substr(0, 10239));
  // Exactly the limit is kept whole.
  EXPECT_EQ(IniProfile("[S]\nk=" + ascii.substr(0, 10239)).value("S", "k").size(), 10239u);
  // 10,238 ASCII bytes, then a two-byte character that would straddle the limit.
  const std::string straddling = std::string(10238, 'y') + "\xC3\xA9" + "tail";
  EXPECT_EQ(IniProfile("[S]\nk=" + straddling).value("S", "k"), std::string(10238, 'y'));
  // Quotes are removed before the cut.
  EXPECT_EQ(IniProfile("[S]\nk=\"" + ascii + "\"").value("S", "k"), ascii.substr(0, 10239));
}

TEST(IniProfile, SurvivesBeingMoved) {
  IniProfile first("[S]\nk=v\n"); // small enough to sit in a string's inline buffer
  IniProfile moved = std::move(first);
  EXPECT_EQ(moved.value("S", "k"), "v");
}

} // namespace
} // namespace brevant
