#pragma once
// "New Parameter" / "Edit Parameter": adds a row to the configuration dialog's parameter list or
// changes the selected one. It stays loaded, hidden, between uses and fills itself afresh every
// time it is shown.

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace brevant {

class ChangeFlags;
class FrmConfiguration;
struct Workspace;

class FrmParameter : public QDialog {
  Q_OBJECT
public:
  FrmParameter(FrmConfiguration &configuration, Workspace &workspace);

  QLineEdit *nameBox() const { return txtParaName_; }
  QLineEdit *titleBox() const { return txtParaTitle_; }
  QLineEdit *defaultBox() const { return txtParaDefault_; }

  // Fills the dialog for the mode in dialogResult, as every showing does.
  void refill();
  void cmdOK_Click();

protected:
  void showEvent(QShowEvent *event) override;

private:
  FrmConfiguration &configuration_;
  Workspace &workspace_;
  ChangeFlags *changes_;
  int editRow_ = -1; // -1 while adding a row
  QLineEdit *txtParaName_;
  QLineEdit *txtParaTitle_;
  QLineEdit *txtParaDefault_;
  QPushButton *cmdOK_;
};

} // namespace brevant
