#include "workspace/recent_files_menu.h"

#include "workspace/frm_edit.h"
#include "workspace/frm_main.h"
#include "workspace/script_text_edit.h"
#include "workspace_fixture.h"

#include <QAction>
#include <QMenu>
#include <QTest>

namespace brevant {
namespace {

// The captions of the visible items, with "-" after a disabled one.
QStringList shown(const std::function<QAction *(int)> &item) {
  QStringList captions;
  for (int i = 0; i < kRecentFileSlots; ++i) {
    const QAction *action = item(i);
    if (action->isVisible())
      captions << action->text() + (action->isEnabled() ? "" : "-");
  }
  return captions;
}

class RecentFilesMenuTest : public testing::WorkspaceTest {
protected:
  RecentFilesMenuTest() : main(workspace) { main.show(); }

  QStringList mainItems() const {
    return shown([this](int i) { return main.recentFilesMenu().item(i); });
  }
  QStringList editorItems() const {
    FrmEdit *editor = main.editor();
    editor->refreshFileMenu(); // as opening the File menu does
    return shown([editor](int i) {
      return editor->menuItem(QString("mnuFRecentFile(%1)").arg(i).toUtf8().constData());
    });
  }

  FrmMain main;
};

TEST(RecentFilesMenu, ItemsAreNamedBySlotAndReportTheSlotChosen) {
  testing::application();
  QMenu file;
  std::vector<int> chosen;
  RecentFilesMenu recent(&file, [&chosen](int i) { chosen.push_back(i); });
  EXPECT_EQ(recent.menu()->title(), "Recent &Files");
  EXPECT_EQ(recent.menu()->menuAction()->objectName(), "mnuFRecentFiles");
  ASSERT_EQ(file.actions().size(), 1);
  EXPECT_EQ(file.actions()[0], recent.menu()->menuAction());

  RecentFileList list;
  list.add("/r/a.kvd");
  list.add("/r/b.kvd");
  recent.show(list);
  for (int i = 0; i < kRecentFileSlots; ++i)
    EXPECT_EQ(recent.item(i)->objectName(), QString("mnuFRecentFile(%1)").arg(i));
  EXPECT_EQ(shown([&recent](int i) { return recent.item(i); }),
            (QStringList{"/r/b.kvd", "/r/a.kvd"}));
  recent.item(1)->trigger();
  recent.item(0)->trigger();
  EXPECT_EQ(chosen, (std::vector<int>{1, 0}));
}

TEST_F(RecentFilesMenuTest, BothWindowsShowTheSameListNewestFirst) {
  EXPECT_EQ(mainItems(), (QStringList{"(Empty)-"}));
  const std::string a = writeDefinition("a.kvd");
  const std::string b = writeDefinition("b.kvd");
  main.OpenFile(a);
  main.OpenFile(b);
  const QStringList expected{QString::fromStdString(b), QString::fromStdString(a)};
  EXPECT_EQ(mainItems(), expected);
  EXPECT_EQ(editorItems(), expected);

  // Save As lists the new name in both menus.
  prompts.fileAnswers.push_back(QString::fromStdString(file("c.kvd")));
  ASSERT_TRUE(main.editor()->saveAs());
  EXPECT_EQ(mainItems().front(), QString::fromStdString(file("c.kvd")));
  EXPECT_EQ(editorItems(), mainItems());
}

TEST_F(RecentFilesMenuTest, TheEditorsItemsAskToSaveFirstAndOpenTheirOwnSlot) {
  const std::string a = writeDefinition("a.kvd");
  const std::string b = writeDefinition("b.kvd");
  main.OpenFile(a);
  main.OpenFile(b);
  FrmEdit *editor = main.editor();
  editor->textBox()->moveCursor(QTextCursor::End);
  QTest::keyClicks(editor->textBox(), "-- more");

  editor->refreshFileMenu();
  prompts.answers = {QMessageBox::Cancel};
  editor->menuItem("mnuFRecentFile(1)")->trigger();
  EXPECT_EQ(prompts.questions.size(), 1u);
  EXPECT_EQ(workspace.definition.definitionFilePath, b);

  prompts.answers = {QMessageBox::No};
  editor->menuItem("mnuFRecentFile(1)")->trigger();
  EXPECT_EQ(prompts.questions.size(), 2u);
  EXPECT_EQ(workspace.definition.definitionFilePath, a);
  EXPECT_EQ(main.editor(), editor);

  // Without an editor the main window's item opens the file at once.
  ASSERT_TRUE(editor->closeEditor());
  main.recentFilesMenu().item(1)->trigger();
  EXPECT_EQ(prompts.questions.size(), 2u);
  EXPECT_EQ(workspace.definition.definitionFilePath, b);
  ASSERT_NE(main.editor(), nullptr);
}

} // namespace
} // namespace brevant
