#include "workspace/frm_main.h"

#include "settings/app_settings.h"
#include "settings/registry.h"
#include "workspace/frm_edit.h"
#include "workspace/frm_options.h"
#include "workspace/help_viewer.h"
#include "workspace/script_text_edit.h"
#include "workspace/window_placement.h"
#include "workspace_fixture.h"

#include <QAction>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QTest>
#include <QTimer>

namespace brevant {
namespace {

using testing::errorBoxText;

class MainWindowTest : public testing::WorkspaceTest {
protected:
  int32_t stored(const char *name) {
    return RegGetNumber(Hive::CurrentUser, settingsKeyPath(), name, -1);
  }
  QStringList visibleButtons(FrmMain &main) {
    QStringList keys;
    for (const char *key : {"New", "Open", "Save", "Template", "Report", "|Cut", "Cut", "Copy",
                            "Paste", "Undo", "Find", "Goto", "|Start", "Start", "|Help", "Help"})
      if (main.button(key)->isVisible())
        keys << key;
    return keys;
  }
  QStringList menuTitles(FrmMain &main) {
    QStringList titles;
    for (QAction *a : main.menuBar()->actions())
      titles << a->text();
    return titles;
  }
};

TEST_F(MainWindowTest, OpensAtTheDefaultPlacementAndStoresTwipsWhenClosedNormal) {
  FrmMain main(workspace);
  EXPECT_EQ(main.windowTitle(), "Brevant");
  EXPECT_EQ(main.width(), twipsToPixels(12000, main.screen()->logicalDotsPerInchX()));
  EXPECT_EQ(main.height(), twipsToPixels(9000, main.screen()->logicalDotsPerInchX()));
  main.show();
  main.resize(800, 600);
  ASSERT_TRUE(main.close());
  const double dpi = main.screen()->logicalDotsPerInchX();
  EXPECT_EQ(stored(kWidthValue), pixelsToTwips(800, dpi));
  EXPECT_EQ(stored(kHeightValue), pixelsToTwips(600, dpi));
  EXPECT_EQ(stored(kWindowStateValue), 0);
}

TEST_F(MainWindowTest, StoredMinimisedOpensNormalAndMaximisedKeepsTheLastNormalPlacement) {
  const std::string key = settingsKeyPath();
  RegSaveNumber(Hive::CurrentUser, key, kWindowStateValue, 1);
  RegSaveNumber(Hive::CurrentUser, key, kWidthValue, 9000);
  {
    FrmMain main(workspace);
    EXPECT_FALSE(main.isMinimized());
    EXPECT_FALSE(main.isMaximized());
    main.showMaximized();
    ASSERT_TRUE(main.close());
  }
  EXPECT_EQ(stored(kWindowStateValue), 2);
  EXPECT_EQ(stored(kWidthValue), 9000); // untouched by a maximised close
  {
    FrmMain main(workspace);
    EXPECT_TRUE(main.windowState() & Qt::WindowMaximized);
    main.show();
    main.showMinimized();
    ASSERT_TRUE(main.close());
  }
  EXPECT_EQ(stored(kWindowStateValue), 0);
  EXPECT_EQ(stored(kWidthValue), 9000);
}

TEST_F(MainWindowTest, ToolbarAndMenusFollowTheEditor) {
  FrmMain main(workspace);
  main.show();
  EXPECT_EQ(visibleButtons(main), (QStringList{"New", "Open", "|Help", "Help"}));
  EXPECT_EQ(menuTitles(main), (QStringList{"&File", "&Tools", "&Help"}));

  // The toolbar's New without an editor makes one directly, asking nothing.
  main.toolbarClicked("New");
  ASSERT_NE(main.editor(), nullptr);
  EXPECT_TRUE(prompts.questions.empty());
  EXPECT_EQ(main.editor()->caption(), "Noname");
  EXPECT_EQ(visibleButtons(main).size(), 16);
  EXPECT_EQ(menuTitles(main), (QStringList{"&File", "&Edit", "&Report", "&Tools", "&Help"}));
  // Nothing named yet, nothing selected.
  EXPECT_FALSE(main.button("Template")->isEnabled());
  EXPECT_FALSE(main.button("Report")->isEnabled());
  EXPECT_FALSE(main.button("Cut")->isEnabled());

  // New again reuses the one editor window.
  FrmEdit *editor = main.editor();
  main.toolbarClicked("New");
  EXPECT_EQ(main.editor(), editor);
  EXPECT_EQ(main.mdiArea()->subWindowList().size(), 1);

  ASSERT_TRUE(main.editor()->closeEditor());
  EXPECT_EQ(main.editor(), nullptr);
  EXPECT_EQ(visibleButtons(main), (QStringList{"New", "Open", "|Help", "Help"}));
  EXPECT_EQ(menuTitles(main), (QStringList{"&File", "&Tools", "&Help"}));
}

TEST_F(MainWindowTest, OpenFileLoadsTheScriptAndListsTheFile) {
  const std::string path = writeDefinition("month end.kvd", "ReportTemplateFileName=t.xlsx\r\n",
                                           "@1=EXECSQL()\r\nselect 2\r\n");
  FrmMain main(workspace);
  main.OpenFile(path);
  ASSERT_NE(main.editor(), nullptr);
  EXPECT_TRUE(prompts.messages.empty());
  EXPECT_EQ(main.editor()->caption(), "month end.kvd");
  EXPECT_EQ(main.editor()->textBox()->toPlainText(), "@1=EXECSQL()\nselect 2\n");
  EXPECT_FALSE(main.editor()->dataChanged());
  EXPECT_EQ(workspace.definition.definitionFilePath, path);
  EXPECT_EQ(workspace.definition.ReportTemplateFileName, "t.xlsx");
  EXPECT_TRUE(main.button("Template")->isEnabled());
  EXPECT_EQ(main.recentFiles().entries[0].caption, path);
  EXPECT_TRUE(main.recentFiles().entries[0].inUse());

  // The list reaches the settings when the window closes.
  ASSERT_TRUE(main.close());
  EXPECT_EQ(RegGetString(Hive::CurrentUser, recentFilesKeyPath(), "File1", ""), path);
}

TEST_F(MainWindowTest, MissingOrForeignFilesLeaveAnEmptyNonameDefinition) {
  const std::string good = writeDefinition("good.kvd");
  FrmMain main(workspace);
  main.OpenFile(good);
  std::filesystem::remove(good);
  main.openRecentFile(0); // a listed file that has been deleted
  EXPECT_EQ(prompts.onlyMessage(), errorBoxText("The file \"" + good + "\" does not exist."));
  EXPECT_EQ(prompts.messages[0].title, "Brevant");
  EXPECT_EQ(main.editor()->caption(), "Noname");
  EXPECT_TRUE(main.editor()->textBox()->toPlainText().isEmpty());
  EXPECT_TRUE(workspace.definition.definitionFilePath.empty());

  prompts.messages.clear();
  write("notes.kvd", "just some notes\r\n");
  main.OpenFile(file("notes.kvd"));
  EXPECT_EQ(prompts.onlyMessage(),
            errorBoxText("The file \"" + file("notes.kvd") + "\" is not an Quorvel file."));
}

TEST_F(MainWindowTest, OpenDialogStartsInTheDefaultDirectoryOrTheOpenFilesFolder) {
  RegSaveString(Hive::CurrentUser, settingsKeyPath(), kDefaultDirectoryValue, "/srv/reports");
  std::filesystem::create_directories(file("sub"));
  const std::string path = writeDefinition("sub/a.kvd");
  FrmMain main(workspace);
  prompts.fileAnswers.push_back(QString::fromStdString(path));
  main.mnuFOpen_Click();
  ASSERT_EQ(prompts.fileDialogFolders.size(), 1u);
  EXPECT_EQ(prompts.fileDialogTitles[0], "Open");
  EXPECT_EQ(prompts.fileDialogFolders[0], "/srv/reports");
  EXPECT_EQ(workspace.definition.definitionFilePath, path);

  main.mnuFOpen_Click(); // cancelled: nothing changes
  EXPECT_EQ(prompts.fileDialogFolders[1], QString::fromStdString(file("sub")));
  EXPECT_EQ(workspace.definition.definitionFilePath, path);
}

TEST_F(MainWindowTest, HelpCommandsReportAMissingHelpFileAndOtherwiseShowTheirPage) {
  FrmMain main(workspace);
  const std::string help = programFolder() + "/help/index.html";
  const QString missing = errorBoxText("Help file \"" + help + "\" does not exist.");
  for (const char *name : {"mnuHContent", "mnuHTutorial", "mnuHTip", "mnuHKeys"}) {
    prompts.messages.clear();
    main.findChild<QAction *>(name)->trigger();
    EXPECT_EQ(prompts.onlyMessage(), missing) << name;
  }

  std::filesystem::create_directories(programFolder() + "/help");
  for (const char *page : {"index.html", "tutorial.html"})
    testing::writeBytes(programFolder() + "/help/" + page, "<html><body>page</body></html>");
  prompts.messages.clear();
  main.helpTopic(30400);
  ASSERT_NE(main.helpViewer(), nullptr);
  EXPECT_TRUE(main.helpViewer()->currentPage().endsWith("tutorial.html"));
  main.helpTopic(70700); // no page of its own here: the contents
  EXPECT_TRUE(main.helpViewer()->currentPage().endsWith("index.html"));
  EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(MainWindowTest, HomePageSupportAndOptions) {
  FrmMain main(workspace);
  main.findChild<QAction *>("mnuHHomepage")->trigger();
  ASSERT_EQ(launched.size(), 1u);
  EXPECT_EQ(launched[0].scheme(), "https");

  launcherAnswer = false;
  main.findChild<QAction *>("mnuHSupport")->trigger();
  EXPECT_EQ(prompts.onlyMessage(),
            errorBoxText("No application is associated with this file type."));

  bool optionsShown = false;
  QTimer::singleShot(0, &main, [&] {
    auto *options = qobject_cast<FrmOptions *>(QApplication::activeModalWidget());
    ASSERT_NE(options, nullptr);
    optionsShown = true;
    options->reject();
  });
  main.findChild<QAction *>("mnuOption")->trigger();
  EXPECT_TRUE(optionsShown);
}

TEST_F(MainWindowTest, ADroppedDefinitionFileIsOpened) {
  const std::string path = writeDefinition("dropped.kvd");
  FrmMain main(workspace);
  main.show();
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&main, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&main, &drop);
  ASSERT_NE(main.editor(), nullptr);
  EXPECT_EQ(main.editor()->caption(), "dropped.kvd");
}

} // namespace
} // namespace brevant
