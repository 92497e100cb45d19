// Image style words and where a picture's name leads.
#include "engine/report_images.h"

#include <gtest/gtest.h>

namespace brevant {
namespace {

TEST(ImageStyle, EmptyTextGivesOwnSizeMovingWithItsCells) {
  const ImageStyle style = ParseImageStyle("");
  EXPECT_EQ(style.placement, 2);
  EXPECT_FALSE(style.stretch);
  EXPECT_LT(style.width, 0);
  EXPECT_LT(style.height, 0);
}

TEST(ImageStyle, WordsInAnyCaseAndTheLaterWordWins) {
  ImageStyle style = ParseImageStyle("stretch NMS");
  EXPECT_TRUE(style.stretch);
  EXPECT_EQ(style.placement, 3);
  style = ParseImageStyle("MAS w120 h80.5 MNS W90");
  EXPECT_EQ(style.placement, 2);
  EXPECT_FLOAT_EQ(style.width, 90);
  EXPECT_FLOAT_EQ(style.height, 80.5f);
  EXPECT_EQ(ParseImageStyle("mas").placement, 1);
}

TEST(ImageStyle, SizesNeedTheirNumberRightAfterTheLetter) {
  // "W=100" is three tokens: W, = and 100; none of them sets a width.
  EXPECT_LT(ParseImageStyle("W=100").width, 0);
  EXPECT_LT(ParseImageStyle("W 100").width, 0);
  EXPECT_LT(ParseImageStyle("Wide H").height, 0);
  const ImageStyle style = ParseImageStyle("W100 bogus XYZ");
  EXPECT_FLOAT_EQ(style.width, 100);
  EXPECT_LT(style.height, 0);
  EXPECT_EQ(style.placement, 2);
}

TEST(ImagePath, RelativeNamesJoinTheTemplateFolder) {
  const ImageFolder local{false, "/data/templates"};
  EXPECT_EQ(resolveImagePath("logo.png", local), "/data/templates/logo.png");
  EXPECT_EQ(resolveImagePath("pics\\a.png", local), "/data/templates/pics/a.png");
  EXPECT_EQ(resolveImagePath("../shared/b.png", local), "/data/shared/b.png");
  EXPECT_EQ(resolveImagePath("/abs/c.png", local), "/abs/c.png");
  EXPECT_EQ(resolveImagePath("http://host/x.png", local), "http://host/x.png");
  const ImageFolder network{true, "//server/share/reports"};
  EXPECT_EQ(resolveImagePath("a.png", network), "//server/share/reports/a.png");
  EXPECT_EQ(resolveImagePath("\\\\other\\b.png", network), "\\\\other\\b.png");
}

} // namespace
} // namespace brevant
