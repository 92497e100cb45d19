#pragma once
// "Goto": the editor's modal dialog that moves the caret to a function label of the script or
// to the start of a line. The outline of the script is rebuilt each time the dialog is shown.

#include <QDialog>
#include <QString>

#include <cstdint>
#include <vector>

class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QTabBar;

namespace brevant {

class FrmEdit;

struct OutlineEntry {
  QString label;
  qsizetype offset = 0; // 0-based character offset where the entry starts
};

struct ScriptOutline {
  // "(Top)", the function labels in text order, "(Bottom)".
  std::vector<OutlineEntry> entries;
  int32_t lineCount = 1;
};

// The labels of the script's function lines ("@name = ..."), skipping block comments.
ScriptOutline outlineScript(const QString &text);
// The offset where the 1-based line `line` starts; the end of the text past its last line.
qsizetype lineStartOffset(const QString &text, int32_t line);

class FrmGoto : public QDialog {
  Q_OBJECT
public:
  static constexpr int kFunctionPage = 1;
  static constexpr int kLinePage = 2;

  explicit FrmGoto(FrmEdit &editor);

  QLineEdit *functionBox() const { return txtFunction_; }
  QListWidget *functionList() const { return lstFunction_; }
  QListWidget *functionPositions() const { return lstFunctionPos_; }
  QLineEdit *lineBox() const { return txtLine_; }
  QLabel *lineRange() const { return lblLineCnt_; }
  int32_t lineCount() const { return lineCount_; }
  int page() const; // kFunctionPage or kLinePage
  void selectPage(int page);

  // Rebuilds the lists from the editor's text, as every showing does.
  void refreshLists();
  // OK: moves the caret to the function or line of the page shown and hides the dialog; an
  // unknown label or a line out of range is said and the dialog stays.
  void goToTarget();
  // A click on a function's row puts its label in the box; a double click also goes there.
  void pickFunction(int row);
  void goToFunctionAt(int row);

protected:
  void showEvent(QShowEvent *event) override;

private:
  void tabClicked(int index);
  void goToFunction();
  void goToLine();

  FrmEdit &editor_;
  QTabBar *tabGoto_;
  QFrame *fraFunction_;
  QFrame *fraLine_;
  QLineEdit *txtFunction_;
  QListWidget *lstFunction_;
  QListWidget *lstFunctionPos_;
  QLineEdit *txtLine_;
  QListWidget *lstLine_;
  QLabel *lblLineCnt_;
  int32_t lineCount_ = 1;
};

} // namespace brevant
