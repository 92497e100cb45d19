#include "workspace/frm_edit.h"

#include "settings/app_settings.h"
#include "settings/registry.h"
#include "workspace/frm_main.h"
#include "workspace/script_text_edit.h"
#include "workspace_fixture.h"

#include <QAction>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QTest>

namespace brevant {
namespace {

using testing::errorBoxText;
using testing::readBytes;

const QString kSaveQuestion = "Brevant|The file has changed.\r\nDo you want to save the changes?";

class EditorTest : public testing::WorkspaceTest {
protected:
  EditorTest() : main(workspace) { main.show(); }

  FrmEdit &open(const std::string &path) {
    main.OpenFile(path);
    return *main.editor();
  }
  void type(FrmEdit &editor, const QString &text) {
    editor.textBox()->moveCursor(QTextCursor::End);
    QTest::keyClicks(editor.textBox(), text);
  }

  FrmMain main;
};

TEST_F(EditorTest, UnchangedDefinitionsAreLeftWithoutAQuestion) {
  FrmEdit &editor = open(writeDefinition("a.kvd"));
  editor.newFile();
  editor.openRecentFile(0);
  EXPECT_TRUE(editor.closeEditor());
  EXPECT_TRUE(prompts.questions.empty());
}

TEST_F(EditorTest, SaveQuestionNoGoesOnAndCancelKeepsTheText) {
  const std::string path = writeDefinition("a.kvd");
  const std::string before = readBytes(path);
  FrmEdit &editor = open(path);
  type(editor, "-- more");
  ASSERT_TRUE(editor.dataChanged());

  prompts.answers = {QMessageBox::Cancel};
  editor.newFile();
  ASSERT_EQ(prompts.questions.size(), 1u);
  EXPECT_EQ(prompts.questions[0], kSaveQuestion);
  EXPECT_TRUE(editor.textBox()->toPlainText().endsWith("-- more"));
  EXPECT_FALSE(editor.closeEditor()); // Cancel again (no answer queued)
  ASSERT_EQ(main.editor(), &editor);

  prompts.answers = {QMessageBox::No};
  editor.newFile();
  EXPECT_EQ(editor.caption(), "Noname");
  EXPECT_TRUE(editor.textBox()->toPlainText().isEmpty());
  EXPECT_EQ(readBytes(path), before);
}

TEST_F(EditorTest, TheTitleIsMarkedWhileTheTextDiffersFromTheFile) {
  const std::string path = writeDefinition("a.kvd");
  FrmEdit &editor = open(path);
  QWidget *frame = editor.parentWidget();
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(editor.caption(), "a.kvd");
  EXPECT_EQ(frame->windowTitle(), "a.kvd[*]"); // Qt draws "a.kvd*" while modified
  EXPECT_FALSE(frame->isWindowModified());

  type(editor, "x");
  EXPECT_TRUE(frame->isWindowModified());
  EXPECT_TRUE(editor.isWindowModified());
  // Undoing back to the saved text takes the mark away; redoing brings it back.
  editor.textBox()->undo();
  EXPECT_FALSE(frame->isWindowModified());
  editor.textBox()->redo();
  EXPECT_TRUE(frame->isWindowModified());

  prompts.answers = {QMessageBox::Yes};
  editor.save();
  EXPECT_FALSE(frame->isWindowModified());
  type(editor, "z");
  EXPECT_TRUE(frame->isWindowModified());

  // Opening another file, or a new one, starts unmarked.
  prompts.answers = {QMessageBox::No};
  editor.newFile();
  EXPECT_EQ(editor.caption(), "Noname");
  EXPECT_FALSE(frame->isWindowModified());
}

TEST_F(EditorTest, ChangesToTheDefinitionAloneAlsoAsk) {
  FrmEdit &editor = open(writeDefinition("a.kvd"));
  workspace.definition.definitionChanged = true; // e.g. a parameter value typed at run time
  EXPECT_FALSE(editor.closeEditor());
  EXPECT_EQ(prompts.questions.size(), 1u);
}

TEST_F(EditorTest, YesOnANonameDefinitionWithSaveAsCancelledKeepsTheWindow) {
  main.mnuFNew_Click();
  FrmEdit &editor = *main.editor();
  type(editor, "@1=EXECSQL()");
  prompts.answers = {QMessageBox::Yes};
  EXPECT_FALSE(editor.closeEditor());
  EXPECT_TRUE(editor.saveCancelled());
  EXPECT_EQ(main.editor(), &editor);
  EXPECT_EQ(prompts.fileDialogTitles, (std::vector<QString>{"Save As"}));
  EXPECT_EQ(editor.textBox()->toPlainText(), "@1=EXECSQL()");

  // The main window's close goes through the same question and stays open too.
  prompts.answers = {QMessageBox::Yes};
  EXPECT_FALSE(main.close());
  EXPECT_TRUE(main.isVisible());
}

TEST_F(EditorTest, YesSavesThroughTheBackupAndGoesOn) {
  const std::string path = writeDefinition("a.kvd");
  const std::string before = readBytes(path);
  FrmEdit &editor = open(path);
  type(editor, "-- saved");
  prompts.answers = {QMessageBox::Yes};
  editor.newFile();
  EXPECT_EQ(editor.caption(), "Noname");
  EXPECT_EQ(readBytes(path + ".bak"), before);
  const std::string after = readBytes(path);
  EXPECT_NE(after.find("select 1\r\n-- saved"), std::string::npos) << after;
}

TEST_F(EditorTest, AFailedSaveKeepsTheTextAndBothFlags) {
  std::filesystem::create_directories(file("ro"));
  const std::string path = writeDefinition("ro/a.kvd");
  FrmEdit &editor = open(path);
  type(editor, "x");
  // The folder becomes a plain file: no write can succeed there, whatever the user's rights.
  std::filesystem::remove_all(file("ro"));
  write("ro", "not a folder");
  prompts.answers = {QMessageBox::Yes};
  editor.newFile();
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_TRUE(prompts.messages[0].text.startsWith("Error!\r\nError Info: "));
  EXPECT_TRUE(editor.dataChanged());
  EXPECT_TRUE(editor.textBox()->toPlainText().endsWith("x"));
}

TEST_F(EditorTest, SaveOfAnUnchangedDefinitionWritesNothing) {
  const std::string path = writeDefinition("a.kvd");
  FrmEdit &editor = open(path);
  const auto stamp = std::filesystem::last_write_time(path);
  EXPECT_TRUE(editor.save());
  EXPECT_EQ(std::filesystem::last_write_time(path), stamp);
  EXPECT_FALSE(std::filesystem::exists(path + ".bak"));
}

TEST_F(EditorTest, SaveAsWritesTheNewFileKeepsTheOldTargetAsBackupAndListsIt) {
  const std::string target = writeDefinition("target.kvd", "", "old target\r\n");
  main.mnuFNew_Click();
  FrmEdit &editor = *main.editor();
  type(editor, "@1=EXECSQL()");
  QTest::keyClick(editor.textBox(), Qt::Key_Return);
  type(editor, "select 3");
  prompts.fileAnswers.push_back(QString::fromStdString(target));
  ASSERT_TRUE(editor.saveAs());
  EXPECT_EQ(editor.caption(), "target.kvd");
  EXPECT_FALSE(editor.dataChanged());
  EXPECT_EQ(workspace.definition.definitionFilePath, target);
  EXPECT_NE(readBytes(target + ".bak").find("old target"), std::string::npos);
  const std::string saved = readBytes(target);
  EXPECT_NE(saved.find("[SQL]\r\n@1=EXECSQL()\r\nselect 3"), std::string::npos) << saved;
  EXPECT_EQ(main.recentFiles().entries[0].caption, target);
}

TEST_F(EditorTest, PasteBringsPlainTextOnly) {
  main.mnuFNew_Click();
  FrmEdit &editor = *main.editor();
  auto *data = new QMimeData;
  data->setHtml("<b>select</b> <i>1</i>");
  data->setText("select 1");
  QGuiApplication::clipboard()->setMimeData(data);
  QTest::keyClick(editor.textBox(), Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
  editor.paste();
  EXPECT_EQ(editor.textBox()->toPlainText(), "select 1select 1");
  EXPECT_FALSE(editor.textBox()->document()->toHtml().contains("<b>"));
}

TEST_F(EditorTest, EditMenuStatesFollowTheSelectionAndTheClipboard) {
  main.mnuFNew_Click();
  FrmEdit &editor = *main.editor();
  QGuiApplication::clipboard()->clear();
  type(editor, "select 1");
  editor.refreshEditMenu();
  EXPECT_FALSE(editor.menuItem("mnuECut")->isEnabled());
  EXPECT_FALSE(editor.menuItem("mnuECopy")->isEnabled());
  EXPECT_FALSE(editor.menuItem("mnuEPaste")->isEnabled());
  editor.selectAll();
  editor.refreshEditMenu();
  EXPECT_TRUE(editor.menuItem("mnuECut")->isEnabled());
  EXPECT_TRUE(main.button("Cut")->isEnabled());
  main.toolbarClicked("Copy");
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "select 1");
  EXPECT_TRUE(main.button("Paste")->isEnabled());
  editor.deleteSelection();
  EXPECT_TRUE(editor.textBox()->toPlainText().isEmpty());
  EXPECT_EQ(editor.menuItem("mnuEUndo")->text(), "&Undo\tCtrl+Z");
  EXPECT_EQ(editor.menuItem("mnuEPaste")->shortcut(), QKeySequence("Ctrl+V"));
  EXPECT_EQ(editor.menuItem("mnuRRun")->shortcut(), QKeySequence("F5"));
}

TEST_F(EditorTest, OpenDefinitionFilesReportNamesAndMissingFiles) {
  FrmEdit &editor = open(writeDefinition("a.kvd", "ReportTemplateFileName=tpl %YEAR%.xlsx\r\n"));
  editor.openSubject(DefinitionSubject::Log);
  EXPECT_EQ(prompts.onlyMessage(), errorBoxText("Log file \"\" is not named correctly."));

  prompts.messages.clear();
  editor.openSubject(DefinitionSubject::Report);
  EXPECT_EQ(prompts.onlyMessage(), errorBoxText("Report file \"\" is not named correctly."));

  prompts.messages.clear();
  editor.openSubject(DefinitionSubject::Template);
  EXPECT_EQ(prompts.onlyMessage(), errorBoxText("Report template file \"" +
                                                file("tpl %YEAR%.xlsx") + "\" does not exist."));

  prompts.messages.clear();
  write("tpl %YEAR%.xlsx", "x");
  editor.openSubject(DefinitionSubject::Template);
  EXPECT_TRUE(prompts.messages.empty());
  ASSERT_EQ(launched.size(), 1u);
  EXPECT_EQ(launched[0].toLocalFile().toStdString(), file("tpl %YEAR%.xlsx"));
}

TEST_F(EditorTest, TheLogEditorGetsTheLogPathAsOneArgument) {
  std::filesystem::create_directories(file("run logs"));
  write("run logs/month end.log", "log\r\n");
  FrmEdit &editor = open(writeDefinition("a.kvd", "LogFileName=run logs/month end.log\r\n"));
  RegSaveString(Hive::CurrentUser, settingsKeyPath(), kLogEditorValue, "mousepad --line 1");
  QString program;
  QStringList arguments;
  setProgramStarter([&](const QString &p, const QStringList &a) {
    program = p;
    arguments = a;
    return true;
  });
  editor.openSubject(DefinitionSubject::Log);
  EXPECT_TRUE(prompts.messages.empty());
  EXPECT_EQ(program, "mousepad");
  EXPECT_EQ(arguments,
            (QStringList{"--line", "1", QString::fromStdString(file("run logs/month end.log"))}));
  EXPECT_TRUE(launched.empty());
}

TEST_F(EditorTest, FontComesFromTheSettings) {
  RegSaveString(Hive::CurrentUser, settingsKeyPath(), kFontNameValue, "DejaVu Sans Mono");
  RegSaveNumber(Hive::CurrentUser, settingsKeyPath(), kFontSizeValue, 14);
  main.mnuFNew_Click();
  EXPECT_EQ(main.editor()->textBox()->font().family(), "DejaVu Sans Mono");
  EXPECT_EQ(main.editor()->textBox()->font().pointSize(), 14);
}

} // namespace
} // namespace brevant
