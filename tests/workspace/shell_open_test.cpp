#include "desktop/shell_open.h"

#include "desktop/error_box.h"
#include "desktop/error_message.h"
#include "workspace_fixture.h"

namespace brevant {
namespace {

using testing::errorBoxText;

class ShellTest : public testing::WorkspaceTest {};

TEST_F(ShellTest, TheErrorBoxHasTwoLinesUnderTheProductName) {
  ShowErrorMessage("x");
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].title, "Brevant");
  EXPECT_EQ(prompts.messages[0].text, "Error!\r\nError Info: x");
  EXPECT_EQ(prompts.messages[0].icon, QMessageBox::Warning);
}

TEST_F(ShellTest, OpenDocumentReportsWhatTheDesktopCouldNotDo) {
  OpenDocument(file("missing.xlsx"), nullptr);
  EXPECT_EQ(prompts.onlyMessage(), errorBoxText("File not found"));
  EXPECT_TRUE(launched.empty());

  prompts.messages.clear();
  OpenDocument(file("no folder/missing.xlsx"), nullptr);
  EXPECT_EQ(prompts.onlyMessage(), errorBoxText("Path not found"));

  prompts.messages.clear();
  write("report.unknown", "x");
  launcherAnswer = false;
  OpenDocument(file("report.unknown"), nullptr);
  EXPECT_EQ(prompts.onlyMessage(),
            errorBoxText("No application is associated with this file type."));

  prompts.messages.clear();
  launcherAnswer = true;
  OpenDocument(file("report.unknown"), nullptr);
  EXPECT_TRUE(prompts.messages.empty());
  ASSERT_EQ(launched.size(), 2u);
  EXPECT_EQ(launched[1], QUrl::fromLocalFile(QString::fromStdString(file("report.unknown"))));
}

TEST_F(ShellTest, ShellOpenRaisesTheNumberedError) {
  try {
    ShellOpen(file("missing.xlsx"), "open", nullptr);
    FAIL() << "no error raised";
  } catch (const ShellOpenError &e) {
    EXPECT_EQ(e.number, 53);
    EXPECT_EQ(e.source, "brevant.GShell");
  }
  EXPECT_TRUE(ShellOpen("mailto:support@velkora.com", "open", nullptr));
  EXPECT_EQ(launched.back().scheme(), "mailto");
}

TEST_F(ShellTest, AStartedProgramGetsThePathAsOneArgument) {
  QStringList arguments;
  setProgramStarter([&](const QString &, const QStringList &a) {
    arguments = a;
    return true;
  });
  StartWithFile("\"/opt/my editor/edit\" -n", "/logs/month end.log");
  EXPECT_EQ(arguments, (QStringList{"-n", "/logs/month end.log"}));
  setProgramStarter([](const QString &, const QStringList &) { return false; });
  EXPECT_THROW(StartWithFile("nowhere", "/x.log"), ShellOpenError);
}

} // namespace
} // namespace brevant
