#include "workspace/frm_edit.h"
#include "workspace/frm_goto.h"
#include "workspace/frm_main.h"
#include "workspace/script_text_edit.h"
#include "workspace_fixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTextCursor>

namespace brevant {
namespace {

using testing::errorBoxText;

QStringList labels(const ScriptOutline &outline) {
  QStringList out;
  for (const OutlineEntry &e : outline.entries)
    out << e.label;
  return out;
}

TEST(ScriptOutlineTest, LabelLinesGiveTheirTrimmedTextBeforeTheFirstEquals) {
  const QString text = "  @first = EXECSQL(a=b)\n"
                       "select 1\n"
                       "\t@second=OPEN()\n"
                       "@noequals\n";
  const ScriptOutline outline = outlineScript(text);
  EXPECT_EQ(labels(outline), QStringList({"(Top)", "@first", "@second", "(Bottom)"}));
  ASSERT_EQ(outline.entries.size(), 4u);
  EXPECT_EQ(outline.entries[1].offset, 0);
  EXPECT_EQ(outline.entries[2].offset, text.indexOf("\t@second"));
  EXPECT_EQ(outline.entries[3].offset, text.size());
}

TEST(ScriptOutlineTest, LabelsInsideBlockCommentsAreSkipped) {
  const QString text = "select 1 /* start\n"
                       "@hidden=EXECSQL()\n"
                       "end */ @alsohidden=X()\n"
                       "@shown=EXECSQL()\n"
                       "/*\n"
                       "@hidden2=X()\n"
                       "*/\n"
                       "'/*' @x=1\n"
                       "@last=Y()";
  EXPECT_EQ(labels(outlineScript(text)), QStringList({"(Top)", "@shown", "@last", "(Bottom)"}));
  // A comment opened and closed on one line ends there.
  EXPECT_EQ(labels(outlineScript("a /* b */ c\n@f=1\n")), QStringList({"(Top)", "@f", "(Bottom)"}));
}

TEST(ScriptOutlineTest, LineCountCountsAFinalLineBreakAsANewLine) {
  EXPECT_EQ(outlineScript("").lineCount, 1);
  EXPECT_EQ(outlineScript("a\nb").lineCount, 2);
  EXPECT_EQ(outlineScript("a\nb\n").lineCount, 3);
  EXPECT_EQ(outlineScript("\n").lineCount, 2);
  EXPECT_EQ(lineStartOffset("ab\ncd\n", 1), 0);
  EXPECT_EQ(lineStartOffset("ab\ncd\n", 2), 3);
  EXPECT_EQ(lineStartOffset("ab\ncd\n", 3), 6);
}

class GotoTest : public testing::WorkspaceTest {
protected:
  GotoTest() : main(workspace) {
    main.show();
    main.mnuFNew_Click();
    editor = main.editor();
  }

  FrmGoto &open(const QString &text) {
    editor->setScript(text.toStdString());
    FrmGoto &dialog = editor->gotoDialog();
    dialog.show(); // rebuilds the lists as every showing does
    return dialog;
  }
  int caret() const { return editor->textBox()->textCursor().position(); }
  bool selectionEmpty() const { return !editor->textBox()->textCursor().hasSelection(); }

  FrmMain main;
  FrmEdit *editor = nullptr;
};

TEST_F(GotoTest, TheDialogCarriesItsCaptionsAndTheLineRange) {
  FrmGoto &dialog = open("a\nb");
  EXPECT_EQ(dialog.windowTitle(), "Goto");
  const QTabBar *tabs = dialog.findChild<QTabBar *>("tabGoto");
  ASSERT_NE(tabs, nullptr);
  EXPECT_EQ(tabs->tabText(0), "&Function");
  EXPECT_EQ(tabs->tabText(1), "&Line");
  EXPECT_NE(dialog.findChild<QWidget *>("fraGoto(1)"), nullptr);
  EXPECT_NE(dialog.findChild<QWidget *>("fraGoto(2)"), nullptr);
  EXPECT_NE(dialog.findChild<QListWidget *>("lstLine"), nullptr);
  EXPECT_EQ(dialog.findChild<QPushButton *>("cmdOK")->text(), "&OK");
  EXPECT_EQ(dialog.findChild<QPushButton *>("cmdCancel")->text(), "&Cancel");
  EXPECT_EQ(dialog.lineRange()->objectName(), "lblLineCnt");
  EXPECT_EQ(dialog.lineRange()->text(), "( 1 - 2 )");
  dialog.hide();
  open("a\nb\n");
  EXPECT_EQ(dialog.lineRange()->text(), "( 1 - 3 )");
  EXPECT_EQ(dialog.functionPositions()->count(), dialog.functionList()->count());
}

TEST_F(GotoTest, GoingToALabelIgnoresCaseAndPrefersTheSelectedEqualEntry) {
  const QString text = "@a=1\nx\n@B=2\n@b=3\n";
  FrmGoto &dialog = open(text);
  dialog.functionBox()->setText("@b");
  dialog.goToTarget();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(caret(), text.indexOf("@B"));
  EXPECT_TRUE(selectionEmpty());

  open(text);
  dialog.functionList()->setCurrentRow(3); // the second "@b"
  dialog.pickFunction(3);
  EXPECT_EQ(dialog.functionBox()->text(), "@b");
  dialog.goToTarget();
  EXPECT_EQ(caret(), text.indexOf("@b=3"));

  open(text);
  dialog.goToFunctionAt(4); // "(Bottom)"
  EXPECT_EQ(caret(), text.size());
  EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(GotoTest, AnUnknownLabelKeepsTheDialogOpen) {
  FrmGoto &dialog = open("@a=1\n");
  dialog.functionBox()->setText("@nope");
  dialog.goToTarget();
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(prompts.onlyMessage(), errorBoxText("Please input a valid function label."));
}

TEST_F(GotoTest, LineNumbersAreCheckedAgainstTheRange) {
  const QString text = "l1\nl2\nl3";
  FrmGoto &dialog = open(text);
  dialog.selectPage(FrmGoto::kLinePage);
  EXPECT_TRUE(dialog.lineBox()->isVisibleTo(&dialog));
  EXPECT_FALSE(dialog.functionBox()->isVisibleTo(&dialog));
  for (const char *bad : {"0", "4", "-1"}) {
    dialog.lineBox()->setText(bad);
    dialog.goToTarget();
  }
  dialog.lineBox()->setText("two");
  dialog.goToTarget();
  ASSERT_EQ(prompts.messages.size(), 4u);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(prompts.messages[i].text, errorBoxText("Line number out of range."));
  EXPECT_EQ(prompts.messages[3].text, errorBoxText("Please input a valid line number."));
  EXPECT_TRUE(dialog.isVisible());

  dialog.lineBox()->setText("3");
  dialog.goToTarget();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(caret(), 6);
  EXPECT_TRUE(selectionEmpty());
}

TEST_F(GotoTest, EveryShowingRebuildsTheListsFromTheCurrentText) {
  FrmGoto &dialog = open("@a=1\n");
  dialog.functionBox()->setText("typed");
  dialog.hide();
  editor->textBox()->moveCursor(QTextCursor::End);
  editor->textBox()->insertPlainText("@added = 2\n");
  dialog.show();
  EXPECT_TRUE(dialog.functionBox()->text().isEmpty());
  ASSERT_EQ(dialog.functionList()->count(), 4);
  EXPECT_EQ(dialog.functionList()->item(2)->text(), "@added");
  EXPECT_EQ(dialog.functionPositions()->item(2)->text(), "5");
  EXPECT_EQ(dialog.lineCount(), 3);
}

} // namespace
} // namespace brevant
