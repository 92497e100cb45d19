#pragma once
// The workspace's main window: an MDI frame holding at most one editor window, its menus and
// toolbar, the recent-files list, its placement in the settings, the help commands and the end
// of the program.

#include "workspace/recent_files.h"
#include "workspace/recent_files_menu.h"

#include <QMainWindow>

#include <map>
#include <memory>
#include <string>

class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;

namespace brevant {

class FrmAbout;
class FrmEdit;
class HelpViewer;
struct Workspace;

class FrmMain : public QMainWindow {
  Q_OBJECT
public:
  explicit FrmMain(Workspace &workspace, QWidget *parent = nullptr);
  ~FrmMain() override;

  Workspace &workspace() { return workspace_; }
  FrmEdit *editor() const { return editor_; }
  QMdiArea *mdiArea() const { return mdi_; }
  const RecentFileList &recentFiles() const { return recent_; }
  // A toolbar button by its key ("New", "Save", ...); the separators are "|Cut", "|Start",
  // "|Help".
  QAction *button(const QString &key) const;
  std::string helpFile() const { return helpFile_; }
  HelpViewer *helpViewer() const { return helpViewer_; }

  // File commands. New shows the editor (loading it when needed) with an empty Noname
  // definition; Open asks for a file and opens it with OpenFile; a recent-file item opens its
  // file. The editor's own New, Open and recent-file items ask to save first, then come here.
  void mnuFNew_Click();
  void mnuFOpen_Click();
  void OpenFile(const std::string &path);
  void AddRecentFileItem(const std::string &path);
  void openRecentFile(int index);
  void exitProgram();
  const RecentFilesMenu &recentFilesMenu() const { return *recentMenu_; }

  // The toolbar's dispatch by button key.
  void toolbarClicked(const QString &key);

  // Help and tools.
  void helpContent();
  void helpTopic(int topic);
  void tipOfTheDay();
  void about();
  void homePage();
  void support();
  void optionDialog(const QString &tag);
  // The Help menu's items, for this window and for the editor's menu.
  void addHelpItems(QMenu *menu, const char *tipDayName, const char *keysCaption);

  // Called by the editor window.
  void setEditorButtonsVisible(bool visible);
  void editorUnloaded(FrmEdit *editor);

protected:
  void closeEvent(QCloseEvent *event) override;
  void dragEnterEvent(QDragEnterEvent *event) override;
  void dropEvent(QDropEvent *event) override;

private:
  void buildMenus();
  void buildToolbar();
  void loadPlacement();
  void savePlacement();
  void showMainMenus();
  FrmEdit &ensureEditor();
  void openDropped(const std::string &path);

  Workspace &workspace_;
  std::string helpFile_;
  QMdiArea *mdi_;
  QToolBar *tlbMain_;
  std::map<QString, QAction *> buttons_;
  QList<QMenu *> mainMenus_;
  std::unique_ptr<RecentFilesMenu> recentMenu_;
  RecentFileList recent_;
  FrmEdit *editor_ = nullptr;
  QMdiSubWindow *editorFrame_ = nullptr;
  HelpViewer *helpViewer_ = nullptr;
  FrmAbout *about_ = nullptr;
  bool unloaded_ = false;
};

} // namespace brevant
