#pragma once
// "New Data Source" / "Edit Data Source": adds a row to the configuration dialog's data-source
// list or changes the selected one, and can test the connection it describes. It stays loaded,
// hidden, between uses and fills itself afresh every time it is shown.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace brevant {

class ChangeFlags;
class FrmConfiguration;
struct Workspace;

class FrmDataSource : public QDialog {
  Q_OBJECT
public:
  FrmDataSource(FrmConfiguration &configuration, Workspace &workspace);

  QLineEdit *nameBox() const { return txtDSName_; }
  QLineEdit *userBox() const { return txtDSUser_; }
  QLineEdit *passwordBox() const { return txtDSPassword_; }
  QLineEdit *connectionStringBox() const { return txtDSConString_; }
  QRadioButton *dataSourceNameKind() const { return optDSN_; }
  QRadioButton *connectionStringKind() const { return optConString_; }

  // Fills the dialog for the mode in dialogResult, as every showing does.
  void refill();
  void cmdOK_Click();
  void cmdTest_Click();

protected:
  void showEvent(QShowEvent *event) override;

private:
  void showKind(bool dataSourceName);
  void SetOKButton();
  bool connectionStringMissing();

  FrmConfiguration &configuration_;
  Workspace &workspace_;
  ChangeFlags *changes_;
  int editRow_ = -1; // -1 while adding a row
  bool filledAsDataSourceName_ = true;
  QRadioButton *optDSN_;
  QRadioButton *optConString_;
  QLineEdit *txtDSName_;
  QLabel *lblDSUser_;
  QLineEdit *txtDSUser_;
  QLabel *lblDSPassword_;
  QLineEdit *txtDSPassword_;
  QLabel *lblDSConString_;
  QLineEdit *txtDSConString_;
  QPushButton *cmdTest_;
  QPushButton *cmdOK_;
};

} // namespace brevant
