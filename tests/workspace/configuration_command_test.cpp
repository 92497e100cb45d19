// The editor's Configuration command (F2) from the menu to the saved definition file.

#include "configuration/frm_configuration.h"
#include "configuration/frm_parameter.h"
#include "definition/definition_file.h"
#include "workspace/frm_edit.h"
#include "workspace/frm_main.h"
#include "workspace_fixture.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

namespace brevant {
namespace {

class ConfigurationCommandTest : public testing::WorkspaceTest {
protected:
  ConfigurationCommandTest() : main(workspace) { main.show(); }

  // Runs `work` on the configuration dialog once F2 has shown it.
  void configure(FrmEdit &editor, const std::function<void(FrmConfiguration &)> &work) {
    bool shown = false;
    QTimer::singleShot(0, &main, [&] {
      auto *dialog = qobject_cast<FrmConfiguration *>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      shown = true;
      work(*dialog);
    });
    editor.menuItem("mnuRConfiguration")->trigger();
    EXPECT_TRUE(shown);
  }

  FrmMain main;
};

TEST_F(ConfigurationCommandTest, ConfirmedChangesReachTheFileOnSave) {
  const std::string path = writeDefinition(
      "monthly.kvd", "ReportTemplateFileName=template.xlsx\r\nReportFileName=out.xlsx\r\n");
  main.OpenFile(path);
  FrmEdit &editor = *main.editor();
  EXPECT_EQ(editor.menuItem("mnuRConfiguration")->shortcut(), QKeySequence("F2"));

  // Opening and confirming changes nothing.
  configure(editor, [](FrmConfiguration &dialog) { dialog.accept(); });
  EXPECT_FALSE(editor.definitionCountsAsChanged());

  configure(editor, [](FrmConfiguration &dialog) {
    dialog.findChild<QLineEdit *>("txtLogFile")->setText("logs\\monthly.log");
    dialog.selectTab(FrmConfiguration::kParameterTab);
    QTimer::singleShot(0, &dialog, [] {
      auto *editor = qobject_cast<FrmParameter *>(QApplication::activeModalWidget());
      ASSERT_NE(editor, nullptr);
      editor->nameBox()->setText("%MONTH%");
      editor->defaultBox()->setText("05");
      editor->accept();
    });
    dialog.findChild<QPushButton *>("cmdAddPara")->click();
    dialog.findChild<QPushButton *>("cmdOK")->click();
  });
  EXPECT_TRUE(editor.definitionCountsAsChanged());
  EXPECT_FALSE(editor.dataChanged()); // the script itself is untouched
  EXPECT_TRUE(main.button("Template")->isEnabled());

  ASSERT_TRUE(editor.save());
  ReportDefinition saved;
  ASSERT_TRUE(readDefinition(path, saved));
  EXPECT_EQ(saved.LogFileName, "logs\\monthly.log");
  ASSERT_EQ(saved.parameterCount, 1);
  EXPECT_EQ(saved.parameters[0].Name, "%MONTH%");
  EXPECT_EQ(saved.parameters[0].Default, "05");
  EXPECT_FALSE(editor.definitionCountsAsChanged());
}

} // namespace
} // namespace brevant
