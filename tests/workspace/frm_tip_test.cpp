#include "workspace/frm_tip.h"

#include "settings/app_settings.h"
#include "settings/registry.h"
#include "workspace_fixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace brevant {
namespace {

class TipsTest : public testing::WorkspaceTest {
protected:
  QString tipText(FrmTip &tip) { return tip.findChild<QLabel *>("lblTipText")->text(); }
  int32_t storedShowTips() {
    return RegGetNumber(Hive::CurrentUser, settingsKeyPath(), kShowTipsValue, -1);
  }
};

TEST_F(TipsTest, NextTipCyclesInFileOrderFromARandomStart) {
  testing::writeBytes(programFolder() + "/kvdtips.txt",
                      "First tip\r\n\r\n   \r\nSecond\\nhas two lines\r\n\r\nThird tip\r\n");
  FrmTip tip(programFolder());
  ASSERT_EQ(tip.tips().size(), 3);
  EXPECT_EQ(tip.tips()[1], "Second\nhas two lines");
  const int first = tip.currentTip();
  ASSERT_GE(first, 1);
  ASSERT_LE(first, 3);
  EXPECT_EQ(tipText(tip), tip.tips()[first - 1]);
  QStringList seen;
  for (int i = 0; i < 3; ++i) {
    tip.findChild<QPushButton *>("cmdNextTip")->click();
    seen << tipText(tip);
  }
  // Three clicks later the first tip is back, having shown the other two in order.
  EXPECT_EQ(seen.back(), tip.tips()[first - 1]);
  EXPECT_EQ(seen[0], tip.tips()[first % 3]);
  EXPECT_EQ(seen[1], tip.tips()[(first + 1) % 3]);
}

TEST_F(TipsTest, WithoutTheFileTheTipAreaExplainsAndNextTipChangesNothing) {
  FrmTip tip(programFolder());
  const QString text = tipText(tip);
  EXPECT_TRUE(text.startsWith("That the kvdtips.txt file was not found? ")) << text.toStdString();
  EXPECT_TRUE(text.contains(
      "Create a text file named kvdtips.txt using a text editor with 1 tip per line."));
  tip.nextTip();
  EXPECT_EQ(tipText(tip), text);
}

TEST_F(TipsTest, ShowTipsIsStoredOnlyWhenTheUserChangedTheBox) {
  {
    FrmTip tip(programFolder());
    EXPECT_TRUE(tip.findChild<QCheckBox *>("chkLoadTipsAtStartup")->isChecked());
    QTest::keyClick(&tip, Qt::Key_Escape);
  }
  EXPECT_EQ(storedShowTips(), -1);
  {
    FrmTip tip(programFolder());
    tip.show();
    tip.findChild<QCheckBox *>("chkLoadTipsAtStartup")->click();
    tip.findChild<QPushButton *>("cmdOK")->click();
  }
  EXPECT_EQ(storedShowTips(), 0);
  FrmTip again(programFolder());
  EXPECT_FALSE(again.findChild<QCheckBox *>("chkLoadTipsAtStartup")->isChecked());
}

} // namespace
} // namespace brevant
