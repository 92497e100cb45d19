// The record loop's progress: the step between progress lines, the numbers' grouping, and the
// terminal's one-line display.
#include "engine/progress_display.h"
#include "engine/report_fill.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace brevant {
namespace {

TEST(ProgressStep, IntervalIsAFractionUpToOneAndACountAboveIt) {
  EXPECT_EQ(progressStep(250, 0), 0);
  EXPECT_EQ(progressStep(250, -3), 0);
  EXPECT_EQ(progressStep(250, 0.1), 25);
  EXPECT_EQ(progressStep(250, 1), 250);
  EXPECT_EQ(progressStep(250, 7), 7);
  EXPECT_EQ(progressStep(0, 0.5), 0);
  // Halves round to even.
  EXPECT_EQ(progressStep(5, 0.5), 2);
  EXPECT_EQ(progressStep(7, 0.5), 4);
  EXPECT_EQ(progressStep(100, 2.5), 2);
  EXPECT_EQ(progressStep(100, 3.5), 4);
}

TEST(ProgressText, NumbersAreGroupedByThousands) {
  EXPECT_EQ(groupThousands(0), "0");
  EXPECT_EQ(groupThousands(999), "999");
  EXPECT_EQ(groupThousands(1000), "1,000");
  EXPECT_EQ(groupThousands(1234567), "1,234,567");
  EXPECT_EQ(groupThousands(-45000), "-45,000");
  EXPECT_EQ(returnsLine("[3]    ", 0), "[3]    Returns 0 record from the data source.");
  EXPECT_EQ(returnsLine("[3]    ", 1), "[3]    Returns 1 record from the data source.");
  EXPECT_EQ(returnsLine("[3]    ", 1500), "[3]    Returns 1500 records from the data source.");
  EXPECT_EQ(progressDisplayText("sales", 12345, 1000000, 0),
            "[sales]    12,345 of 1,000,000 records");
  EXPECT_EQ(progressDisplayText("sales", 50000, 1000000, 2),
            "[sales]    50,000 of 1,000,000 records, 25,000 records/s");
}

class Display : public ::testing::Test {
protected:
  void SetUp() override { out = std::tmpfile(); }
  void TearDown() override { std::fclose(out); }
  std::string written() {
    std::fflush(out);
    std::rewind(out);
    std::string text;
    int c;
    while ((c = std::fgetc(out)) != EOF)
      text += char(c);
    return text;
  }
  std::FILE *out = nullptr;
  double now = 100;
};

TEST_F(Display, DrawsAtOnceThenAFewTimesASecondAndErasesItself) {
  {
    ProgressDisplay display(
        out, true, "1", 10, [this] { return now; }, 200);
    display.update(1);
    now += 0.1;
    display.update(2); // too soon
    now += 0.2;
    display.update(3);
  }
  EXPECT_EQ(written(), "\r[1]    1 of 10 records\x1b[K"
                       "\r[1]    3 of 10 records, 10 records/s\x1b[K"
                       "\r\x1b[K");
}

TEST_F(Display, LongLinesAreCutToTheTerminal) {
  {
    ProgressDisplay display(
        out, true, std::string(100, 'x'), 10, [this] { return now; }, 40);
    display.update(1);
    display.finish();
    display.update(2); // nothing after finishing
  }
  EXPECT_EQ(written(), "\r[" + std::string(38, 'x') + "\x1b[K\r\x1b[K");
}

} // namespace
} // namespace brevant
