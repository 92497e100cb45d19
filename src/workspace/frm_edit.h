#pragma once
// The editor window: the one MDI child of the main window, showing the report script of the
// current definition. Its menus take the place of the main window's while it is open.

#include <QPointer>
#include <QWidget>

#include <memory>
#include <string>

class QAction;
class QMenu;

namespace brevant {

class FrmFind;
class FrmGoto;
class FrmMain;
class RecentFilesMenu;
class ScriptHighlighter;
class ScriptTextEdit;
struct Workspace;

// The editor's commands that open a file the definition names.
enum class DefinitionSubject { Template, Report, Log };

class FrmEdit : public QWidget {
  Q_OBJECT
public:
  FrmEdit(FrmMain &main, Workspace &workspace, QWidget *parent = nullptr);
  ~FrmEdit() override;

  ScriptTextEdit *textBox() const { return txtEdit_; }
  QList<QMenu *> menus() const { return menus_; }
  QAction *menuItem(const char *name) const;

  // The window's caption: "Noname" or the file's name.
  // The title shows "*" after the caption while the text differs from the file.
  void setCaption(const QString &caption);
  QString caption() const;

  // Loads script text (a file's [SQL] body) without counting it as a change.
  void setScript(const std::string &script);
  // The text as the definition file and the run take it: lines ended by CR LF.
  std::string scriptText() const;

  bool dataChanged() const { return dataChanged_; }
  void setDataChanged(bool changed);
  // DataChanged or the definition's own changes.
  bool definitionCountsAsChanged() const;
  bool saveCancelled() const { return saveCancelled_; }

  // The save question; true when the asking action may go on.
  bool askToSave();

  // File menu.
  void newFile();
  void openFile();
  void openRecentFile(int index);
  void openDroppedFile(const std::string &path);
  bool closeEditor(); // false when the user kept the window
  void exitProgram();
  bool save();   // true when the definition is saved (or had nothing to save)
  bool saveAs(); // false when cancelled or failed
  void openSubject(DefinitionSubject subject);

  // Edit menu.
  void undo();
  void cut();
  void copy();
  void paste();
  void deleteSelection();
  void selectAll();
  void find();
  void findNext();
  void replace();
  void goTo();

  // The searches on the text box. `lngStart` is 1-based; `intDirection` 0 is down, 1 up;
  // nonzero `intFindCase` compares exactly; `intFindWrap` 1 wraps round the text.
  bool blnFindString(const QString &strFind, int32_t lngStart, int16_t intDirection,
                     int16_t intFindCase, int16_t intFindWrap, bool wholeWord = false);
  bool blnReplaceString(const QString &strFind, const QString &strReplace, int32_t lngStart,
                        int16_t intDirection, int16_t intFindCase, int16_t intFindWrap,
                        bool wholeWord = false);
  void ReplaceAll(const QString &strFind, const QString &strReplace, int16_t intFindCase,
                  bool wholeWord = false);
  // Where Find Next and Replace start from the current selection.
  int32_t findStart(int16_t direction) const;
  // Puts the caret at a 0-based offset with nothing selected.
  void moveCaretTo(qsizetype offset);
  FrmFind *findDialog() const;
  FrmGoto &gotoDialog();

  // Report menu.
  void configuration();
  void run();

  // Refreshes the main window's toolbar for this editor.
  void SetEditBtn();

  // Updates the enabled state of the File and Edit items the way opening the menus does.
  void refreshFileMenu();
  void refreshEditMenu();

protected:
  void closeEvent(QCloseEvent *event) override;

private:
  void showModified(bool modified);
  QAction *addItem(QMenu *menu, const char *name, const QString &caption,
                   const QKeySequence &shortcut, void (FrmEdit::*command)());
  void buildMenus();
  void applyFont();
  bool writeTo(const std::string &path);
  void unloadFindDialog();

  FrmMain &main_;
  Workspace &workspace_;
  ScriptTextEdit *txtEdit_;
  ScriptHighlighter *highlighter_;
  QList<QMenu *> menus_;
  QPointer<FrmFind> frmFind_;
  FrmGoto *frmGoto_ = nullptr;
  std::unique_ptr<RecentFilesMenu> recentMenu_;
  bool dataChanged_ = false;
  bool saveCancelled_ = false;
  bool unloaded_ = false;
};

} // namespace brevant
