#include "desktop/error_message.h"

#include <gtest/gtest.h>

namespace brevant {
namespace {

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
