#pragma once
// "Find and Replace": the modeless search dialog of the editor window. It is made hidden with
// the editor, owned by the main window, and hands its state on through the workspace's find
// settings so that Find Next and a later opening see the same search.

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabBar;

namespace brevant {

class FrmEdit;
struct Workspace;

// The two tabs of the dialog: Replace also shows the replacement box and its buttons.
enum class FindTab { Find, Replace };

class FrmFind : public QDialog {
  Q_OBJECT
public:
  FrmFind(FrmEdit &editor, Workspace &workspace, QWidget *owner);

  QLineEdit *findWhat() const { return txtFindWhat_; }
  QLineEdit *replaceWith() const { return txtReplaceWith_; }
  QComboBox *direction() const { return cboDirection_; }
  QCheckBox *matchCase() const { return chkMatchCase_; }
  QCheckBox *wholeWord() const { return chkWholeWord_; }
  QCheckBox *wrap() const { return chkWrap_; }
  QTabBar *tabs() const { return tabFind_; }

  // Shows the dialog modeless on `tab`, focus in the search text.
  void showModeless(FindTab tab);
  // The tab last asked for or clicked; every activation of the dialog selects it again.
  FindTab tab() const { return tab_; }
  // Selects tab() and puts the focus in the search text.
  void activateTab();
  // Copies the dialog's state into the workspace's find settings.
  void storeSettings();

  // The buttons. Each search first stores the dialog's state as the find settings.
  void findNext();
  void replaceNext(); // replaces a selected match, then finds the next one
  void replaceAll();

public slots:
  // Cancel, Esc: stores the find settings and hides the dialog, which lives on.
  void reject() override;

protected:
  bool event(QEvent *event) override;
  void closeEvent(QCloseEvent *event) override;

private:
  void tabClicked(int index);
  void showReplaceControls(bool visible);
  int32_t startFromSelection() const;

  FrmEdit &editor_;
  Workspace &workspace_;
  FindTab tab_ = FindTab::Find;
  QTabBar *tabFind_;
  QLineEdit *txtFindWhat_;
  QLabel *lblReplaceWith_;
  QLineEdit *txtReplaceWith_;
  QComboBox *cboDirection_;
  QCheckBox *chkMatchCase_;
  QCheckBox *chkWholeWord_;
  QCheckBox *chkWrap_;
  QPushButton *cmdFind_;
  QPushButton *cmdReplace_;
  QPushButton *cmdReplaceAll_;
  QPushButton *cmdCancel_;
};

// The not-found message of the searches.
void showSearchTextNotFound(QWidget *parent);

} // namespace brevant
