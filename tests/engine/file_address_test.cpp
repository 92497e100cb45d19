// "file:" picture addresses as local paths: the host, the escapes and the end of the path.
#include "engine/file_address.h"

#include "engine/components/spreadsheet/spreadsheet_error.h"

#include <gtest/gtest.h>

namespace brevant {
namespace {

TEST(FileAddress, NamesTheLocalPathTheClientWouldHaveRead) {
  EXPECT_EQ(filePathOfAddress("file:///tmp/a.png"), "/tmp/a.png");
  EXPECT_EQ(filePathOfAddress("File://LocalHost/tmp/a.png"), "/tmp/a.png");
  EXPECT_EQ(filePathOfAddress("file:///tmp/a%20b%2fc.png"), "/tmp/a b/c.png");
  // Not an escape: kept as written.
  EXPECT_EQ(filePathOfAddress("file:///tmp/100%.png"), "/tmp/100%.png");
  EXPECT_EQ(filePathOfAddress("file:///tmp/%zz.png"), "/tmp/%zz.png");
  EXPECT_EQ(filePathOfAddress("file:///tmp/a.png?size=2#top"), "/tmp/a.png");
  EXPECT_EQ(filePathOfAddress("http://host/file:///a.png"), std::nullopt);
  EXPECT_EQ(filePathOfAddress("/tmp/a.png"), std::nullopt);
}

TEST(FileAddress, AnotherHostOrAnEscapedNulIsRefused) {
  EXPECT_THROW(filePathOfAddress("file://server/share/a.png"), SpreadsheetError);
  EXPECT_THROW(filePathOfAddress("file://"), SpreadsheetError);
  EXPECT_THROW(filePathOfAddress("file:///tmp/a%00.png"), SpreadsheetError);
}

} // namespace
} // namespace brevant
