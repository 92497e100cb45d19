#include "workspace/frm_edit.h"
#include "workspace/frm_find.h"
#include "workspace/frm_main.h"
#include "workspace/script_text_edit.h"
#include "workspace/text_search.h"
#include "workspace_fixture.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTextCursor>

namespace brevant {
namespace {

std::optional<qsizetype> findIn(const QString &text, const QString &what, int32_t start,
                                int16_t direction, bool matchCase, bool wrap,
                                bool wholeWord = false) {
  return findOccurrence(text, what, start, {direction, matchCase, wrap, wholeWord});
}

TEST(TextSearchTest, StartPositionFollowsTheSelectionAndDirection) {
  EXPECT_EQ(searchStart(0, 0, kSearchDown, 10), 1);
  EXPECT_EQ(searchStart(3, 2, kSearchDown, 10), 6);
  EXPECT_EQ(searchStart(3, 2, kSearchUp, 10), 3);
  EXPECT_EQ(searchStart(0, 2, kSearchUp, 10), 10); // caret at the very beginning
}

TEST(TextSearchTest, DownSearchesFromTheStartAndWrapsOnlyWhenAskedTo) {
  const QString text = "select a; SELECT b; select c";
  EXPECT_EQ(findIn(text, "select", 1, kSearchDown, false, false), 0);
  EXPECT_EQ(findIn(text, "select", 2, kSearchDown, false, false), 10);
  EXPECT_EQ(findIn(text, "select", 2, kSearchDown, true, false), 20);
  EXPECT_EQ(findIn(text, "select", 22, kSearchDown, false, true), 0);
  EXPECT_EQ(findIn(text, "select", 22, kSearchDown, false, false), std::nullopt);
  EXPECT_EQ(findIn(text, "select", 500, kSearchDown, false, true), 0);
  EXPECT_EQ(findIn(text, "absent", 1, kSearchDown, false, true), std::nullopt);
  EXPECT_EQ(findIn(text, "", 1, kSearchDown, false, true), std::nullopt);
}

TEST(TextSearchTest, UpFindsOnlyOccurrencesEntirelyBeforeTheStart) {
  const QString text = "ab ab ab";
  EXPECT_EQ(findIn(text, "ab", 8, kSearchUp, false, false), 6);
  EXPECT_EQ(findIn(text, "ab", 7, kSearchUp, false, false), 3); // "a" of the last one only
  EXPECT_EQ(findIn(text, "ab", 1, kSearchUp, false, false), std::nullopt);
  EXPECT_EQ(findIn(text, "ab", 1, kSearchUp, false, true), 6);
  EXPECT_EQ(findIn(text, "ab", 8, kSearchUp, false, true), 6);
  EXPECT_EQ(findIn(text, "ab", 4, 2, false, true), std::nullopt); // no such direction
}

TEST(TextSearchTest, WholeWordSkipsOccurrencesInsideLongerWords) {
  const QString text = "id_x idx id, x_id id";
  EXPECT_EQ(findIn(text, "id", 1, kSearchDown, false, false, true), 9);
  EXPECT_EQ(findIn(text, "id", 11, kSearchDown, false, false, true), 18);
  EXPECT_EQ(findIn(text, "id", 18, kSearchUp, false, false, true), 9);
  int count = 0;
  EXPECT_EQ(replaceEveryOccurrence(text, "ID", "k", {kSearchDown, false, true, true}, &count),
            "id_x idx k, x_id k");
  EXPECT_EQ(count, 2);
}

TEST(TextSearchTest, ReplaceEveryOccurrenceGoesLeftToRightWithoutOverlaps) {
  int count = -1;
  EXPECT_EQ(replaceEveryOccurrence("aaaa", "aa", "b", {}, &count), "bb");
  EXPECT_EQ(count, 2);
  EXPECT_EQ(replaceEveryOccurrence("Select x SELECT", "select", "s", {}, &count), "s x s");
  EXPECT_EQ(replaceEveryOccurrence("Select x SELECT", "select", "s", {kSearchDown, true}, &count),
            "Select x SELECT");
  EXPECT_EQ(count, 0);
  EXPECT_EQ(replaceEveryOccurrence("a.a", "a", "aa", {}, &count), "aa.aa");
}

class FindTest : public testing::WorkspaceTest {
protected:
  FindTest() : main(workspace) {
    main.show();
    main.mnuFNew_Click();
    editor = main.editor();
  }

  void setText(const QString &text) { editor->setScript(text.toStdString()); }
  QString text() const { return editor->textBox()->toPlainText(); }
  void select(int start, int length) {
    QTextCursor cursor = editor->textBox()->textCursor();
    cursor.setPosition(start);
    cursor.setPosition(start + length, QTextCursor::KeepAnchor);
    editor->textBox()->setTextCursor(cursor);
  }
  std::pair<int, int> selection() const {
    const QTextCursor cursor = editor->textBox()->textCursor();
    return {cursor.selectionStart(), cursor.selectionEnd() - cursor.selectionStart()};
  }
  FrmFind &dialog() const { return *editor->findDialog(); }
  template <typename T> T *control(const char *name) const {
    T *found = dialog().findChild<T *>(name);
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  size_t notFoundMessages() const {
    size_t n = 0;
    for (const auto &m : prompts.messages)
      n += m.title == "Brevant" && m.text == "Search text is not found." &&
           m.icon == QMessageBox::Information;
    return n;
  }

  FrmMain main;
  FrmEdit *editor = nullptr;
};

TEST_F(FindTest, TheDialogCarriesItsCaptionsAndIsOwnedByTheMainWindow) {
  FrmFind &find = dialog();
  EXPECT_EQ(find.windowTitle(), "Find and Replace");
  EXPECT_EQ(find.parentWidget(), &main);
  EXPECT_FALSE(find.isVisible());
  EXPECT_FALSE(find.isModal());
  EXPECT_EQ(control<QTabBar>("tabFind")->tabText(0), "F&ind");
  EXPECT_EQ(control<QTabBar>("tabFind")->tabText(1), "Re&place");
  EXPECT_EQ(control<QLabel>("lblReplaceWith")->text(), "Replace Wit&h:");
  EXPECT_EQ(control<QComboBox>("cboDirection")->itemText(0), "Down");
  EXPECT_EQ(control<QComboBox>("cboDirection")->itemText(1), "Up");
  EXPECT_EQ(control<QCheckBox>("chkMatchCase")->text(), "&Match Case");
  EXPECT_EQ(control<QCheckBox>("chkWholeWord")->text(), "Whole &Word");
  EXPECT_EQ(control<QCheckBox>("chkWrap")->text(), "Wrap at the &end of file");
  EXPECT_EQ(control<QPushButton>("cmdFind")->text(), "&Find Next");
  EXPECT_EQ(control<QPushButton>("cmdReplace")->text(), "&Replace");
  EXPECT_EQ(control<QPushButton>("cmdReplaceAll")->text(), "Replace &All");
  EXPECT_EQ(control<QPushButton>("cmdCancel")->text(), "&Cancel");
  ASSERT_NE(control<QLineEdit>("txtFindWhat"), nullptr);
  ASSERT_NE(control<QLineEdit>("txtReplaceWith"), nullptr);
}

TEST_F(FindTest, FindTakesTheFirstSelectedLineAndResetsTheDirection) {
  setText("select a\nfrom b");
  workspace.findText = "old";
  workspace.findDirection = kSearchUp;
  workspace.findMatchCase = 1;
  workspace.findWrap = 0;
  select(0, 12); // "select a\nfro"
  editor->find();
  EXPECT_TRUE(dialog().isVisible());
  EXPECT_EQ(dialog().tab(), FindTab::Find);
  EXPECT_EQ(dialog().findWhat()->text(), "select a");
  EXPECT_EQ(dialog().direction()->currentIndex(), 0);
  EXPECT_EQ(workspace.findDirection, kSearchDown);
  EXPECT_TRUE(dialog().matchCase()->isChecked());
  EXPECT_FALSE(dialog().wrap()->isChecked());
  EXPECT_EQ(dialog().tabs()->currentIndex(), 0);
  EXPECT_FALSE(control<QPushButton>("cmdReplace")->isVisible());

  select(0, 0);
  editor->find();
  EXPECT_EQ(dialog().findWhat()->text(), "old");
}

TEST_F(FindTest, ReplaceOpensTheReplaceTabAndKeepsTheBoxesAsTheyAre) {
  setText("abc");
  editor->find();
  dialog().findWhat()->setText("typed");
  dialog().direction()->setCurrentIndex(1);
  dialog().matchCase()->setChecked(true);
  editor->replace();
  EXPECT_EQ(dialog().tab(), FindTab::Replace);
  EXPECT_EQ(dialog().tabs()->currentIndex(), 1);
  EXPECT_EQ(dialog().findWhat()->text(), "typed");
  EXPECT_EQ(dialog().direction()->currentIndex(), 1);
  EXPECT_TRUE(dialog().matchCase()->isChecked());
  EXPECT_TRUE(control<QPushButton>("cmdReplaceAll")->isVisible());
  EXPECT_TRUE(dialog().replaceWith()->isVisible());

  dialog().tabs()->setCurrentIndex(0); // back to Find
  EXPECT_EQ(dialog().tab(), FindTab::Find);
  EXPECT_FALSE(dialog().replaceWith()->isVisible());
}

TEST_F(FindTest, EveryOpeningShowsTheTabItAsksForAlsoWhileTheDialogIsOpen) {
  setText("abc");
  editor->replace();
  EXPECT_EQ(dialog().tabs()->currentIndex(), 1);
  editor->find(); // the dialog is still open on Replace
  EXPECT_EQ(dialog().tab(), FindTab::Find);
  EXPECT_EQ(dialog().tabs()->currentIndex(), 0);
  EXPECT_FALSE(dialog().replaceWith()->isVisible());
  editor->replace();
  EXPECT_EQ(dialog().tabs()->currentIndex(), 1);
  EXPECT_TRUE(dialog().replaceWith()->isVisible());

  // The tab the user clicked is the one the next activation shows.
  dialog().tabs()->setCurrentIndex(0);
  dialog().reject();
  EXPECT_FALSE(dialog().isVisible());
  dialog().show();
  dialog().activateTab();
  EXPECT_EQ(dialog().tabs()->currentIndex(), 0);
  EXPECT_FALSE(dialog().replaceWith()->isVisible());
}

TEST_F(FindTest, FindNextIgnoresCaseUnlessAskedAndWrapsAtTheEnd) {
  setText("SELECT 1\nselect 2\n");
  editor->find();
  dialog().findWhat()->setText("select");
  dialog().matchCase()->setChecked(false);
  dialog().wrap()->setChecked(true);
  dialog().findNext();
  EXPECT_EQ(selection(), std::make_pair(0, 6));
  dialog().findNext();
  EXPECT_EQ(selection(), std::make_pair(9, 6));
  dialog().findNext(); // wraps round
  EXPECT_EQ(selection(), std::make_pair(0, 6));

  dialog().matchCase()->setChecked(true);
  dialog().findNext();
  EXPECT_EQ(selection(), std::make_pair(9, 6));
  dialog().wrap()->setChecked(false);
  dialog().findNext();
  EXPECT_EQ(notFoundMessages(), 1u);
  EXPECT_EQ(selection(), std::make_pair(9, 6)); // left as it was
  EXPECT_EQ(workspace.findText, "select");
  EXPECT_EQ(workspace.findMatchCase, 1);
  EXPECT_EQ(workspace.findWrap, 0);
}

TEST_F(FindTest, UpFromTheVeryBeginningSearchesFromTheEndEvenWithoutWrap) {
  setText("x = 1; x = 2");
  editor->find();
  dialog().findWhat()->setText("x");
  dialog().direction()->setCurrentIndex(1);
  dialog().wrap()->setChecked(false);
  select(0, 0);
  dialog().findNext();
  EXPECT_EQ(selection(), std::make_pair(7, 1));
  dialog().findNext();
  EXPECT_EQ(selection(), std::make_pair(0, 1));
  EXPECT_EQ(notFoundMessages(), 0u);
}

TEST_F(FindTest, ButtonsDoNothingWithoutSearchText) {
  setText("abc");
  workspace.findText = "kept";
  editor->find();
  dialog().findWhat()->clear();
  dialog().replaceWith()->setText("z");
  dialog().findNext();
  dialog().replaceNext();
  dialog().replaceAll();
  EXPECT_EQ(workspace.findText, "kept");
  EXPECT_EQ(text(), "abc");
  EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(FindTest, ReplaceChangesOnlyAMatchingSelectionAndMovesOn) {
  setText("foo bar foo foo");
  editor->replace();
  dialog().findWhat()->setText("foo");
  dialog().replaceWith()->setText("x");
  select(4, 3); // "bar" is not the search text
  dialog().replaceNext();
  EXPECT_EQ(text(), "foo bar foo foo");
  EXPECT_EQ(selection(), std::make_pair(8, 3));
  dialog().replaceNext();
  EXPECT_EQ(text(), "foo bar x foo");
  EXPECT_EQ(selection(), std::make_pair(10, 3));
}

TEST_F(FindTest, ReplaceWithALongerTextDoesNotSearchInsideTheReplacement) {
  setText("a b a");
  editor->replace();
  dialog().findWhat()->setText("a");
  dialog().replaceWith()->setText("aa");
  dialog().wrap()->setChecked(false);
  select(0, 1);
  dialog().replaceNext();
  EXPECT_EQ(text(), "aa b a");
  EXPECT_EQ(selection(), std::make_pair(5, 1));

  // A shorter replacement must not skip an occurrence right behind it.
  setText("abab");
  dialog().findWhat()->setText("ab");
  dialog().replaceWith()->setText("");
  select(0, 2);
  dialog().replaceNext();
  EXPECT_EQ(text(), "ab");
  EXPECT_EQ(selection(), std::make_pair(0, 2));
}

TEST_F(FindTest, ReplaceAllReplacesEverythingAndPutsTheCaretAtTheStart) {
  setText("Select 1;\nselect 2;");
  editor->replace();
  dialog().findWhat()->setText("select");
  dialog().replaceWith()->setText("SELECT");
  select(12, 3);
  dialog().replaceAll();
  EXPECT_EQ(text(), "SELECT 1;\nSELECT 2;");
  EXPECT_EQ(selection(), std::make_pair(0, 0));
  editor->textBox()->undo(); // one step
  EXPECT_EQ(text(), "Select 1;\nselect 2;");

  editor->setDataChanged(false);
  select(5, 2);
  dialog().findWhat()->setText("absent");
  dialog().replaceAll();
  EXPECT_EQ(text(), "Select 1;\nselect 2;");
  EXPECT_FALSE(editor->dataChanged());
  EXPECT_EQ(selection(), std::make_pair(0, 0));
  EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(FindTest, WholeWordIsHonouredByTheDialog) {
  setText("idx id");
  editor->find();
  dialog().findWhat()->setText("id");
  dialog().wholeWord()->setChecked(true);
  dialog().findNext();
  EXPECT_EQ(selection(), std::make_pair(4, 2));
  EXPECT_EQ(workspace.findWholeWord, 1);
}

TEST_F(FindTest, FindNextKeyUsesTheStoredSettings) {
  setText("one two one");
  editor->findNext(); // nothing searched yet
  EXPECT_TRUE(prompts.messages.empty());
  EXPECT_EQ(selection(), std::make_pair(0, 0));

  editor->find();
  dialog().findWhat()->setText("one");
  dialog().reject();
  EXPECT_FALSE(dialog().isVisible());
  EXPECT_EQ(workspace.findText, "one");
  select(1, 0);
  QAction *findNext = editor->menuItem("mnuENext");
  EXPECT_EQ(findNext->shortcut(), QKeySequence(Qt::Key_F3));
  findNext->trigger();
  EXPECT_EQ(selection(), std::make_pair(8, 3));

  workspace.findText = "none";
  findNext->trigger();
  EXPECT_EQ(notFoundMessages(), 1u);
}

TEST_F(FindTest, EscHidesAndStoresAndMenusHideTheDialog) {
  setText("abc");
  editor->find();
  dialog().findWhat()->setText("b");
  QTest::keyClick(&dialog(), Qt::Key_Escape);
  EXPECT_FALSE(dialog().isVisible());
  EXPECT_EQ(workspace.findText, "b");
  ASSERT_NE(editor->findDialog(), nullptr); // still loaded

  editor->find();
  ASSERT_TRUE(dialog().isVisible());
  emit editor->menus().front()->aboutToShow();
  EXPECT_FALSE(dialog().isVisible());
}

TEST_F(FindTest, SettingsOutliveTheEditorButTheDirectionStartsDownAgain) {
  setText("abc");
  editor->find();
  dialog().findWhat()->setText("needle");
  dialog().direction()->setCurrentIndex(1);
  dialog().wrap()->setChecked(false);
  ASSERT_TRUE(editor->closeEditor());
  EXPECT_EQ(workspace.findText, "needle");
  EXPECT_EQ(workspace.findDirection, kSearchUp);
  EXPECT_EQ(workspace.findWrap, 0);

  main.mnuFNew_Click();
  editor = main.editor();
  EXPECT_EQ(workspace.findDirection, kSearchDown);
  EXPECT_EQ(dialog().findWhat()->text(), "needle");
  EXPECT_FALSE(dialog().wrap()->isChecked());
}

} // namespace
} // namespace brevant
