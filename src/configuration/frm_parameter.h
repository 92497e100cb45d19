#pragma once
// "New Parameter" / "Edit Parameter": adds a row to the configuration dialog's parameter list or
// changes the selected one. It stays loaded, hidden, between uses and fills itself afresh every
// time it is shown.

#include "configuration/row_editor_mode.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace brevant {

class ChangeFlags;
class FrmConfiguration;

class FrmParameter : public QDialog {
  Q_OBJECT
public:
  explicit FrmParameter(FrmConfiguration &configuration);

  QLineEdit *nameBox() const { return txtParaName_; }
  QLineEdit *titleBox() const { return txtParaTitle_; }
  QLineEdit *defaultBox() const { return txtParaDefault_; }

  // Shows the editor modally for `mode` and returns the dialog's result.
  int execFor(RowEditorMode mode);
  // Fills the dialog for `mode` (an empty row, or the configuration dialog's selected row), as
  // every showing does with the mode it was shown for.
  void refill(RowEditorMode mode);

  // OK: stores the row when it has a name; Cancel and Esc change nothing.
  void accept() override;

protected:
  void showEvent(QShowEvent *event) override;

private:
  FrmConfiguration &configuration_;
  ChangeFlags *changes_;
  RowEditorMode mode_ = RowEditorMode::NewRow;
  int editRow_ = -1; // -1 while adding a row
  QLineEdit *txtParaName_;
  QLineEdit *txtParaTitle_;
  QLineEdit *txtParaDefault_;
  QPushButton *cmdOK_;
};

} // namespace brevant
