#pragma once
// "Options": the per-user settings of the workspace and the engine. The editor font, the first
// folder of the file dialogs, the program that opens run logs, the database time-outs and the
// two switches for starting the spreadsheet application. OK stores only what the user changed;
// the time-outs and switches take effect at once for the next run. Made afresh at each opening.

#include <QDialog>
#include <QString>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QStackedWidget;
class QTabBar;

namespace brevant {

class ChangeFlags;
class FrmEdit;
struct Workspace;

class FrmOptions : public QDialog {
  Q_OBJECT
public:
  // `tag` is "Edit" when the editor window opened the dialog; then `editor` gets the font at
  // once.
  FrmOptions(Workspace &workspace, const QString &tag, FrmEdit *editor, QWidget *parent = nullptr);

  QLabel *sample() const { return lblFontSample_; }
  QComboBox *fontName() const { return cboFont_; }
  QComboBox *fontSize() const { return cboFontSize_; }
  void selectTab(int index); // 0 Font, 1 Environment, 2 Connection, 3 Excel

  // Give the sample the font name or the size the boxes show, when they are usable (on choosing
  // from a box's list and on leaving the box).
  void showChosenFont();
  void showChosenFontSize();
  // The "..." buttons: a folder dialog for the default directory, a file dialog for the log
  // editor.
  void chooseDefaultDirectory();
  void chooseLogEditor();
  // OK: the editor takes the sample's font, the changed settings are stored, the dialog closes.
  void accept() override;

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  QWidget *buildFontPage();
  QWidget *buildEnvironmentPage();
  QWidget *buildConnectionPage();
  QWidget *buildExcelPage();
  void load();
  void store();
  int32_t storeTimeout(QLineEdit *box, int32_t fallback, const char *valueName);

  Workspace &workspace_;
  QString tag_;
  FrmEdit *editor_;
  ChangeFlags *changes_;
  QTabBar *tabOptions_;
  QStackedWidget *fraOptions_;
  QComboBox *cboFont_;
  QComboBox *cboFontSize_;
  QLabel *lblFontSample_;
  QLineEdit *txtDefDirectory_;
  QLineEdit *txtLogEditor_;
  QLineEdit *txtConnectionTimeout_;
  QLineEdit *txtCommandTimeout_;
  QCheckBox *chkEnableAddins_;
  QCheckBox *chkEnableAutoMacro_;
};

} // namespace brevant
