#include "engine/log_box.h"

#include <gtest/gtest.h>

namespace brevant {
namespace {

TEST(LogBox, AppendsLinesWithCrLf) {
  EXPECT_EQ(logBoxText("", "Open log file successfully."), "Open log file successfully.\r\n");
  EXPECT_EQ(logBoxText("a\r\n", "b"), "a\r\nb\r\n");
}

TEST(LogBox, StartsOverBeforeReachingTheLimit) {
  // 309,990 characters in the box: a 7-character line brings it to 309,999 and fits; an
  // 8-character line would reach 310,000 and starts the box over.
  const std::string box(309990, 'x');
  EXPECT_EQ(logBoxText(box, "1234567").size(), 309999u);
  EXPECT_EQ(logBoxText(box, "12345678"), "12345678\r\n");
  EXPECT_TRUE(logBoxKeeps(309990, 7));
  EXPECT_FALSE(logBoxKeeps(309990, 8));

  // The box counts characters, not bytes: 2-byte letters fit where their bytes would not.
  std::string accents;
  for (int i = 0; i < 7; ++i)
    accents += "\xC3\xA9";
  EXPECT_EQ(logBoxText(box, accents).size(), box.size() + accents.size() + 2);
  EXPECT_EQ(logBoxLength("\xF0\x9F\x98\x80"), 2u); // outside the basic plane: two units
}

TEST(LogBox, KeepsItsLengthAcrossManyLines) {
  LogBox box;
  int restarts = 0;
  const std::string line(98, 'r'); // 100 characters with CR LF
  for (int i = 0; i < 10000; ++i)
    restarts += box.append(line) ? 1 : 0;
  // 3,099 lines fit (309,900 + 100 reaches the limit), so the box started over three times.
  EXPECT_EQ(restarts, 3);
  EXPECT_EQ(box.length, box.text.size());
  EXPECT_EQ(box.length, (10000 - 3 * 3099) * 100u);
}

TEST(ErrorCountLabel, UsesThousandsSeparators) {
  EXPECT_EQ(errorCountLabel(0), "0");
  EXPECT_EQ(errorCountLabel(1), "1");
  EXPECT_EQ(errorCountLabel(999), "999");
  EXPECT_EQ(errorCountLabel(1000), "1,000");
  EXPECT_EQ(errorCountLabel(1234), "1,234");
  EXPECT_EQ(errorCountLabel(32767), "32,767");
  EXPECT_EQ(errorCountLabel(1234567), "1,234,567");
  EXPECT_EQ(errorCountLabel(-1234), "-1,234");
}

} // namespace
} // namespace brevant
