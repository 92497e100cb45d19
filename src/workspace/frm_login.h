#pragma once
// "Login": a second chance when a data source cannot be opened during an interactive run. OK
// opens the slot's connection with the typed login; a failure is shown and the dialog stays
// open with an empty password box.

#include <QDialog>

class QLineEdit;

namespace brevant {

class Connection;
struct Workspace;

class FrmLogin : public QDialog {
  Q_OBJECT
public:
  // Asks for the login of the definition's data source `dataSourceIndex`; OK opens `connection`
  // with it.
  FrmLogin(Workspace &workspace, int dataSourceIndex, Connection &connection,
           QWidget *parent = nullptr);

  void refill();

  void accept() override;

protected:
  void showEvent(QShowEvent *event) override;

private:
  Workspace &workspace_;
  int dataSourceIndex_;
  Connection &connection_;
  QLineEdit *txtDSName_;
  QLineEdit *txtDSUser_;
  QLineEdit *txtDSPassword_;
};

// The message of a failed login: "Failed to connect to data source.", "DSN=" + name (with
// "， USER=" + user when a user was given), and the database's description, on three lines.
std::string loginFailureText(const std::string &name, const std::string &user,
                             const std::string &description);

} // namespace brevant
