#include "definition/log_box.h"

#include <gtest/gtest.h>

#include "definition/error_message.h"

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

TEST(ErrorMessage, ShowsTwoLines) {
  EXPECT_EQ(errorMessageText("x"), "Error!\r\nError Info: x");
  EXPECT_EQ(errorMessageText(""), "Error!\r\nError Info: ");
}

TEST(ShellError, MapsResultCodesToNumbersAndMessages) {
  EXPECT_TRUE(shellOpenSucceeded(33));
  EXPECT_TRUE(shellOpenSucceeded(-1));
  EXPECT_FALSE(shellOpenSucceeded(32));
  EXPECT_FALSE(shellOpenSucceeded(0));

  struct Case {
    int code;
    int32_t number;
    const char *message;
  };
  const int32_t base = -2147220456; // 0x80040418 as a signed number
  for (const Case &c : {
           Case{0, 7, "Out of memory"},
           Case{2, 53, "File not found"},
           Case{3, 76, "Path not found"},
           Case{5, 75, "Path/file access error"},
           Case{8, 7, "Out of memory"},
           Case{11, base + 11, "The executable file is invalid or corrupt"},
           Case{26, 75, "A sharing violation occurred."},
           Case{27, base + 27, "This file type does not have a valid file association."},
           Case{28, 286,
                "The file could not be opened due to time out.  Please try again in a moment."},
           Case{29, 285,
                "The file could not be opened because the DDE transaction failed.  Please try "
                "again in a moment."},
           Case{30, 285,
                "The file could not be opened because the target application is busy.  Please "
                "try again in a moment."},
           Case{31, base + 31, "No application is associated with this file type."},
           Case{32, 48, "The specified dynamic-link library was not found."},
       }) {
    const ShellError error = shellErrorFor(c.code);
    EXPECT_EQ(error.number, c.number) << c.code;
    EXPECT_EQ(error.message, c.message) << c.code;
  }
  for (int code : {1, 4, 6, 7, 9, 10, 12, 25}) {
    const ShellError error = shellErrorFor(code);
    EXPECT_EQ(error.number, base + code);
    EXPECT_EQ(error.message,
              "An error occurred occurred whilst trying to open or print the selected file.");
  }
  const ShellOpenError raised(shellErrorFor(2), shellErrorSource("brevant"));
  EXPECT_STREQ(raised.what(), "File not found");
  EXPECT_EQ(raised.number, 53);
  EXPECT_EQ(raised.source, "brevant.GShell");
}

} // namespace
} // namespace brevant
