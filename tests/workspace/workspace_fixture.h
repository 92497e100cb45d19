#pragma once
// Drives the real workspace windows under the offscreen platform: a QApplication made once, a
// settings file and a program folder of the test's own, and a prompt that answers message
// boxes and file dialogs from a script instead of waiting for a person.

#include "desktop/prompt.h"
#include "desktop/shell_open.h"
#include "desktop/workspace_state.h"
#include "engine/components/spreadsheet/file_type_table.h"
#include "support/temp_folder.h"

#include <QApplication>
#include <QWidget>
#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

namespace brevant::testing {

inline QApplication &application() {
  static int argc = 1;
  static char name[] = "test_workspace";
  static char *argv[] = {name, nullptr};
  static QApplication *app = [] {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    return new QApplication(argc, argv);
  }();
  return *app;
}

struct ShownMessage {
  QString title;
  QString text;
  QMessageBox::Icon icon;
};

class ScriptedPrompt : public Prompt {
public:
  std::vector<ShownMessage> messages;
  std::vector<QString> questions;
  std::deque<QMessageBox::StandardButton> answers; // default: Cancel / No
  std::deque<std::optional<QString>> fileAnswers;  // default: cancelled
  std::vector<QString> fileDialogFolders;
  std::vector<QString> fileDialogTitles;

  void message(QWidget *, const QString &title, const QString &text,
               QMessageBox::Icon icon) override {
    messages.push_back({title, text, icon});
  }
  QMessageBox::StandardButton question(QWidget *, const QString &title, const QString &text,
                                       QMessageBox::StandardButtons buttons,
                                       QMessageBox::StandardButton) override {
    questions.push_back(title + "|" + text);
    if (answers.empty())
      return buttons.testFlag(QMessageBox::Cancel) ? QMessageBox::Cancel : QMessageBox::No;
    const auto answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::optional<QString> openFileName(QWidget *, const QString &title, const QString &folder,
                                      const QString &) override {
    return next(title, folder);
  }
  std::optional<QString> saveFileName(QWidget *, const QString &title, const QString &folder,
                                      const QString &) override {
    return next(title, folder);
  }
  std::optional<QString> fileNameToWrite(QWidget *, const QString &title, const QString &folder,
                                         const QString &) override {
    return next(title, folder);
  }
  std::optional<QString> folderName(QWidget *, const QString &title,
                                    const QString &folder) override {
    return next(title, folder);
  }
  // The text of the only error box shown; fails the test when there was not exactly one.
  QString onlyMessage() const {
    EXPECT_EQ(messages.size(), 1u);
    return messages.empty() ? QString() : messages.front().text;
  }

private:
  std::optional<QString> next(const QString &title, const QString &folder) {
    fileDialogTitles.push_back(title);
    fileDialogFolders.push_back(folder);
    if (fileAnswers.empty())
      return std::nullopt;
    const bool chosen = fileAnswers.front().has_value();
    const QString path = fileAnswers.front().value_or(QString());
    fileAnswers.pop_front();
    if (!chosen)
      return std::nullopt;
    return path;
  }
};

inline QString errorBoxText(const std::string &info) {
  return QString::fromStdString("Error!\r\nError Info: " + info);
}

class WorkspaceTest : public ::testing::Test {
protected:
  WorkspaceTest() {
    application();
    ::setenv("BREVANT_SETTINGS", folder.file("settings.reg").c_str(), 1);
    std::filesystem::create_directories(programFolder());
    workspace.environment.programFolder = programFolder();
    workspace.environment.fileTypes =
        loadFileTypeTable(BREVANT_SOURCE_DIR "/resources/kvdconv.cfg");
    setPrompt(&prompts);
    setDocumentLauncher([this](const QUrl &url) {
      launched.push_back(url);
      return launcherAnswer;
    });
  }
  ~WorkspaceTest() override {
    setPrompt(nullptr);
    setDocumentLauncher({});
    setProgramStarter({});
    for (QWidget *w : QApplication::topLevelWidgets())
      w->deleteLater();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  std::string file(const std::string &name) const { return folder.file(name); }
  std::string programFolder() const { return folder.file("program"); }
  void write(const std::string &name, const std::string &text) { writeBytes(file(name), text); }

  // A definition without data sources, with the given [File] lines and script.
  std::string writeDefinition(const std::string &name, const std::string &fileLines = "",
                              const std::string &script = "@1=EXECSQL()\r\nselect 1\r\n") {
    write(name, "Quorvel Version 2.0\r\n[Data Source]\r\n\r\n[File]\r\n" + fileLines +
                    "\r\n[SQL]\r\n" + script);
    return file(name);
  }

  TempFolder folder;
  ScriptedPrompt prompts;
  Workspace workspace;
  std::vector<QUrl> launched;
  bool launcherAnswer = true;
};

} // namespace brevant::testing
