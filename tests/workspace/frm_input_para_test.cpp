#include "workspace/frm_input_para.h"

#include "workspace_fixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace brevant {
namespace {

class ParameterDialogTest : public testing::WorkspaceTest {
protected:
  void parameters(int count) {
    workspace.definition.parameterCount = static_cast<int16_t>(count);
    for (int i = 0; i < count; ++i)
      workspace.definition.parameters[i] = {"%P" + std::to_string(i) + "%",
                                            i == 1 ? "" : "Title " + std::to_string(i),
                                            "v" + std::to_string(i)};
  }
  QLabel *label(FrmInputPara &d, int i) {
    return d.findChild<QLabel *>(QString("lblPName(%1)").arg(i));
  }
  QLineEdit *box(FrmInputPara &d, int i) {
    return d.findChild<QLineEdit *>(QString("txtPVaule(%1)").arg(i));
  }
};

TEST_F(ParameterDialogTest, ShowsOneRowPerParameterAndShrinksToThem) {
  parameters(10);
  FrmInputPara all(workspace);
  all.show();
  for (int i = 0; i < 10; ++i)
    EXPECT_TRUE(box(all, i)->isVisible()) << i;
  const int fullHeight = all.height();

  parameters(3);
  FrmInputPara three(workspace);
  three.show();
  EXPECT_EQ(three.windowTitle(), "Input Parameters");
  EXPECT_EQ(label(three, 0)->text(), "Title 0");
  EXPECT_EQ(label(three, 1)->text(), "%P1%"); // no title: the name
  EXPECT_EQ(box(three, 2)->text(), "v2");
  for (int i = 3; i < 10; ++i) {
    EXPECT_FALSE(box(three, i)->isVisible()) << i;
    EXPECT_FALSE(box(three, i)->isEnabled()) << i;
    EXPECT_FALSE(label(three, i)->isVisible()) << i;
  }
  EXPECT_LT(three.height(), fullHeight - 6 * box(three, 0)->height());
}

TEST_F(ParameterDialogTest, OkStoresEveryRowAndOnlyTypingCountsAsAChange) {
  parameters(2);
  FrmInputPara dialog(workspace);
  dialog.show();
  box(dialog, 0)->setText("set by code"); // not the user: no change flag
  dialog.findChild<QPushButton *>("cmdOK")->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_FALSE(workspace.definition.definitionChanged);
  EXPECT_EQ(workspace.definition.parameters[0].Default, "set by code");

  dialog.show(); // refilled from the definition
  EXPECT_EQ(box(dialog, 0)->text(), "set by code");
  box(dialog, 1)->selectAll();
  QTest::keyClicks(box(dialog, 1), "2025");
  QTest::keyClick(box(dialog, 1), Qt::Key_Return);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_TRUE(workspace.definition.definitionChanged);
  EXPECT_EQ(workspace.definition.parameters[1].Default, "2025");
}

TEST_F(ParameterDialogTest, EscIsCancelAndKeepsTheValues) {
  parameters(1);
  FrmInputPara dialog(workspace);
  dialog.show();
  QTest::keyClicks(box(dialog, 0), "typed");
  QTest::keyClick(&dialog, Qt::Key_Escape);
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_EQ(workspace.definition.parameters[0].Default, "v0");
  EXPECT_FALSE(workspace.definition.definitionChanged);
}

} // namespace
} // namespace brevant
