#include "base/codepage.h"

#include <gtest/gtest.h>

namespace brevant {
namespace {

TEST(Codepage, AsciiIsUnchangedBothWays) {
  const std::string ascii = "Quorvel Version 2.0\r\n[SQL]\t@1=EXECSQL()";
  EXPECT_EQ(utf8ToAnsi(ascii), ascii);
  EXPECT_EQ(ansiToUtf8(ascii), ascii);
  EXPECT_EQ(fileBytesToText(ascii), ascii);
}

TEST(Codepage, EveryByteRoundTrips) {
  std::string all;
  for (int b = 0; b < 256; ++b)
    all += static_cast<char>(b);
  const std::string text = ansiToUtf8(all);
  EXPECT_TRUE(isValidUtf8(text));
  EXPECT_EQ(utf8ToAnsi(text), all);
}

TEST(Codepage, MapsTheWindowsRange) {
  EXPECT_EQ(ansiToUtf8("\x80"), "\xE2\x82\xAC"); // euro sign
  EXPECT_EQ(ansiToUtf8("\x93Hi\x94"), "\xE2\x80\x9CHi\xE2\x80\x9D");
  EXPECT_EQ(ansiToUtf8("\xE9"), "\xC3\xA9"); // e acute
  EXPECT_EQ(utf8ToAnsi("\xE6\x97\xA5"), "?") << "a character the code page lacks";
}

TEST(Codepage, FilesAreUtf8UnlessTheyCannotBe) {
  EXPECT_EQ(fileBytesToText("caf\xC3\xA9"), "caf\xC3\xA9");
  EXPECT_EQ(fileBytesToText("caf\xE9"), "caf\xC3\xA9");
  EXPECT_EQ(fileBytesToText("\xEF\xBB\xBFQuorvel"), "Quorvel");
}

TEST(Codepage, RejectsMalformedUtf8) {
  EXPECT_FALSE(isValidUtf8("\xC0\xAF"));         // overlong
  EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));     // surrogate
  EXPECT_FALSE(isValidUtf8("\xE2\x82"));         // truncated
  EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80")); // past U+10FFFF
  EXPECT_TRUE(isValidUtf8("\xF0\x9F\x98\x80"));
  EXPECT_EQ(utf8ToAnsi("a\xE2\x82"), "a??");
}

} // namespace
} // namespace brevant
