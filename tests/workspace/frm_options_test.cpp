#include "workspace/frm_options.h"

#include "settings/app_settings.h"
#include "settings/registry.h"
#include "workspace/editor_font.h"
#include "workspace/frm_edit.h"
#include "workspace/frm_main.h"
#include "workspace/script_text_edit.h"
#include "workspace_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>

#include <filesystem>
#include <memory>

namespace brevant {
namespace {

class OptionsTest : public testing::WorkspaceTest {
protected:
  FrmOptions &open(const QString &tag = "", FrmEdit *editor = nullptr) {
    dialog = std::make_unique<FrmOptions>(workspace, tag, editor);
    return *dialog;
  }
  template <typename T> T *control(const char *name) {
    T *found = dialog->findChild<T *>(name);
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  QLineEdit *box(const char *name) { return control<QLineEdit>(name); }
  QCheckBox *check(const char *name) { return control<QCheckBox>(name); }
  void ok() { control<QPushButton>("cmdOK")->click(); }
  int32_t stored(const char *name) {
    return RegGetNumber(Hive::CurrentUser, settingsKeyPath(), name, -99);
  }
  std::string storedText(const char *name) {
    return RegGetString(Hive::CurrentUser, settingsKeyPath(), name, "(none)");
  }
  // The focus moves on from `widget` to another control of the dialog.
  static void leave(QWidget *widget) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(widget, &out);
  }
  bool settingsWritten() const { return std::filesystem::exists(file("settings.reg")); }
  // An installed font family other than `not`.
  QString otherFamily(const QString &not_) {
    for (const QString &family : QFontDatabase::families())
      if (family.compare(not_, Qt::CaseInsensitive) != 0)
        return family;
    return {};
  }

  std::unique_ptr<FrmOptions> dialog;
};

TEST_F(OptionsTest, OpensWithTheProgramsValuesAndItsPagesInOrder) {
  workspace.environment.settings = {30, 5, true, false};
  RegSaveString(Hive::CurrentUser, settingsKeyPath(), kLogEditorValue, "/usr/bin/mousepad");
  open();
  EXPECT_EQ(dialog->windowTitle(), "Options");
  auto *tabs = control<QTabBar>("tabOptions");
  ASSERT_EQ(tabs->count(), 4);
  EXPECT_EQ(tabs->tabText(3), "E&xcel");
  EXPECT_EQ(tabs->tabData(2).toString(), "Connection");
  EXPECT_EQ(box("txtConnectionTimeout")->text(), "30");
  EXPECT_EQ(box("txtCommandTimeout")->text(), "5");
  EXPECT_TRUE(check("chkEnableAddins")->isChecked());
  EXPECT_FALSE(check("chkEnableAutoMacro")->isChecked());
  EXPECT_EQ(box("txtLogEditor")->text(), "/usr/bin/mousepad");
  EXPECT_EQ(dialog->fontSize()->itemText(0), "8");
  EXPECT_EQ(dialog->fontSize()->itemText(8), "24");
  EXPECT_EQ(dialog->sample()->text(), "AaBbYyZz");
  // Without stored font settings the sample shows the editor's design font.
  EXPECT_EQ(dialog->fontName()->currentText(), editorDesignFont().family());
  EXPECT_EQ(dialog->fontSize()->currentText(), "10");

  // A tab shows its own page only.
  tabs->setCurrentIndex(2);
  EXPECT_TRUE(control<QWidget>("fraOptions(3)")->isVisibleTo(dialog.get()));
  EXPECT_FALSE(control<QWidget>("fraOptions(1)")->isVisibleTo(dialog.get()));
}

TEST_F(OptionsTest, OkWithoutChangesWritesNoSettingsAndCancelStoresNothing) {
  open();
  ok();
  EXPECT_FALSE(settingsWritten());

  open();
  box("txtConnectionTimeout")->setText("99");
  check("chkEnableAutoMacro")->click();
  dialog->fontSize()->setEditText("14");
  QTest::keyClick(dialog.get(), Qt::Key_Escape);
  EXPECT_EQ(dialog->result(), QDialog::Rejected);
  EXPECT_FALSE(settingsWritten());
  EXPECT_EQ(workspace.environment.settings.ConnectionTimeout, 15);
  EXPECT_FALSE(workspace.environment.settings.EnableAutoMacro);
}

TEST_F(OptionsTest, BadTimeoutsFallBackToTheirDefaultsAndZeroStays) {
  struct Case {
    const char *connection, *command;
    int32_t connectionSeconds, commandSeconds;
  };
  for (const Case &c : {Case{"abc", "-3", 15, 0}, Case{"-1", "x1", 15, 0}, Case{"0", "0", 0, 0},
                        Case{" 40 ", "12.6", 40, 13}}) {
    SCOPED_TRACE(c.connection);
    workspace.environment.settings.ConnectionTimeout = 7;
    workspace.environment.settings.CommandTimeout = 7;
    open();
    box("txtConnectionTimeout")->setText(c.connection);
    box("txtCommandTimeout")->setText(c.command);
    ok();
    EXPECT_EQ(workspace.environment.settings.ConnectionTimeout, c.connectionSeconds);
    EXPECT_EQ(workspace.environment.settings.CommandTimeout, c.commandSeconds);
    EXPECT_EQ(stored(kConnectionTimeoutValue), c.connectionSeconds);
    EXPECT_EQ(stored(kCommandTimeoutValue), c.commandSeconds);
    EXPECT_EQ(loadAppSettings().ConnectionTimeout, c.connectionSeconds);
  }
  open();
  box("txtConnectionTimeout")->setText("-5");
  ok();
  EXPECT_EQ(box("txtConnectionTimeout")->text(), "15");
}

TEST_F(OptionsTest, OnlyChangedValuesAreStored) {
  open();
  check("chkEnableAddins")->click();
  box("txtDefDirectory")->setText("/srv/reports");
  ok();
  EXPECT_EQ(stored(kEnableAddinsValue), 1);
  EXPECT_TRUE(workspace.environment.settings.EnableAddins);
  EXPECT_TRUE(loadAppSettings().EnableAddins);
  EXPECT_EQ(storedText(kDefaultDirectoryValue), "/srv/reports");
  EXPECT_EQ(stored(kEnableAutoMacroValue), -99);
  EXPECT_EQ(stored(kConnectionTimeoutValue), -99);
  EXPECT_EQ(storedText(kFontNameValue), "(none)");
  EXPECT_EQ(storedText(kLogEditorValue), "(none)");
}

TEST_F(OptionsTest, TypedSizesOutsideTheListAreTakenAndTextIsIgnored) {
  open();
  QComboBox *size = dialog->fontSize();
  size->setEditText("13");
  leave(size);
  EXPECT_EQ(dialog->sample()->font().pointSize(), 13);
  size->setEditText("big");
  dialog->showChosenFontSize();
  size->setEditText("0");
  dialog->showChosenFontSize();
  EXPECT_EQ(dialog->sample()->font().pointSize(), 13);
  dialog->fontName()->setEditText("No Such Font Family 42");
  dialog->showChosenFont();
  EXPECT_EQ(dialog->sample()->font().family(), editorDesignFont().family());
  size->setEditText("13");
  ok();
  EXPECT_EQ(stored(kFontSizeValue), 13);
  // The unknown name was typed, so the font name is stored: the sample's, which stayed.
  EXPECT_EQ(storedText(kFontNameValue), editorDesignFont().family().toStdString());
}

TEST_F(OptionsTest, FromTheMainWindowTheFontIsStoredForTheNextEditor) {
  FrmMain main(workspace);
  const QString family = otherFamily(editorDesignFont().family());
  if (family.isEmpty())
    GTEST_SKIP() << "only one font family is installed";
  open("", nullptr);
  dialog->fontName()->setEditText(family);
  leave(dialog->fontName());
  EXPECT_EQ(dialog->sample()->font().family(), family);
  dialog->fontSize()->setEditText("16");
  ok();
  EXPECT_EQ(storedText(kFontNameValue), family.toStdString());
  EXPECT_EQ(stored(kFontSizeValue), 16);

  main.OpenFile(writeDefinition("a.kvd"));
  EXPECT_EQ(main.editor()->textBox()->font().family(), family);
  EXPECT_EQ(main.editor()->textBox()->font().pointSize(), 16);
}

TEST_F(OptionsTest, FromTheEditorTheFontAppliesAtOnceAndIsNoEditOfTheScript) {
  FrmMain main(workspace);
  main.OpenFile(writeDefinition("a.kvd"));
  FrmEdit &editor = *main.editor();
  const QString family = otherFamily(editor.textBox()->font().family());
  if (family.isEmpty())
    GTEST_SKIP() << "only one font family is installed";
  for (const bool edited : {false, true}) {
    editor.setDataChanged(edited);
    open("Edit", &editor);
    EXPECT_EQ(dialog->fontName()->currentText(), editor.textBox()->font().family());
    dialog->fontName()->setEditText(family);
    dialog->fontSize()->setEditText(edited ? "18" : "12");
    ok();
    EXPECT_EQ(editor.textBox()->font().family(), family);
    EXPECT_EQ(editor.textBox()->font().pointSize(), edited ? 18 : 12);
    EXPECT_EQ(editor.dataChanged(), edited);
  }
}

TEST_F(OptionsTest, BrowseButtonsFillTheBoxesAndCancelKeepsThem) {
  open();
  box("txtLogEditor")->setText("/usr/bin/vi");
  prompts.fileAnswers = {QString("/usr/bin/gedit"), std::nullopt, QString("/srv/kvd")};
  control<QPushButton>("cmdLogEditor")->click();
  EXPECT_EQ(prompts.fileDialogTitles.back(), "Select Log Editor");
  EXPECT_EQ(prompts.fileDialogFolders.back(), "/usr/bin");
  EXPECT_EQ(box("txtLogEditor")->text(), "/usr/bin/gedit");
  control<QPushButton>("cmdLogEditor")->click();
  EXPECT_EQ(box("txtLogEditor")->text(), "/usr/bin/gedit");
  control<QPushButton>("cmdDefDirectory")->click();
  EXPECT_EQ(box("txtDefDirectory")->text(), "/srv/kvd");
}

} // namespace
} // namespace brevant
