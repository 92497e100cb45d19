#pragma once
// "New Data Source" / "Edit Data Source": adds a row to the configuration dialog's data-source
// list or changes the selected one, and can test the connection it describes. It stays loaded,
// hidden, between uses and fills itself afresh every time it is shown.

#include "configuration/row_editor_mode.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace brevant {

class ChangeFlags;
class FrmConfiguration;

class FrmDataSource : public QDialog {
  Q_OBJECT
public:
  explicit FrmDataSource(FrmConfiguration &configuration);

  QLineEdit *nameBox() const { return txtDSName_; }
  QLineEdit *userBox() const { return txtDSUser_; }
  QLineEdit *passwordBox() const { return txtDSPassword_; }
  QLineEdit *connectionStringBox() const { return txtDSConString_; }
  QRadioButton *dataSourceNameKind() const { return optDSN_; }
  QRadioButton *connectionStringKind() const { return optConString_; }

  // Shows the editor modally for `mode` and returns the dialog's result.
  int execFor(RowEditorMode mode);
  // Fills the dialog for `mode` (an empty row, or the configuration dialog's selected row), as
  // every showing does with the mode it was shown for.
  void refill(RowEditorMode mode);

  // OK: stores the row when a name is given and, for a connection string, the string; Cancel
  // and Esc change nothing.
  void accept() override;
  // Test: opens the connection the boxes describe and says whether that worked.
  void testConnection();

protected:
  void showEvent(QShowEvent *event) override;

private:
  void showKind(bool dataSourceName);
  void SetOKButton();
  bool connectionStringMissing();

  FrmConfiguration &configuration_;
  ChangeFlags *changes_;
  RowEditorMode mode_ = RowEditorMode::NewRow;
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
