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

  // Shows the dialog modeless on the tab dialogResult names, focus in the search text.
  void showModeless();
  // Selects the tab dialogResult names and puts the focus in the search text.
  void activateTab();
  // Copies the dialog's state into the workspace's find settings.
  void storeSettings();

  void cmdFind_Click();
  void cmdReplace_Click();
  void cmdReplaceAll_Click();
  void cmdCancel_Click();

public slots:
  void reject() override; // Esc

protected:
  bool event(QEvent *event) override;
  void closeEvent(QCloseEvent *event) override;

private:
  void tabClicked(int index);
  void showReplaceControls(bool visible);
  int32_t startFromSelection() const;

  FrmEdit &editor_;
  Workspace &workspace_;
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
