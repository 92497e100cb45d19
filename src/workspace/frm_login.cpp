#include "workspace/frm_login.h"

#include "configuration/connection_test.h"
#include "desktop/error_box.h"
#include "desktop/tab_order.h"
#include "desktop/workspace_state.h"
#include "engine/components/database/connection.h"
#include "engine/data_source_connections.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace brevant {

std::string loginFailureText(const std::string &name, const std::string &user,
                             const std::string &description) {
  return connectionTestFailureText({name, user, {}, {}}, description);
}

FrmLogin::FrmLogin(Workspace &workspace, int dataSourceIndex, Connection &connection,
                   QWidget *parent)
    : QDialog(parent), workspace_(workspace),
      dataSourceIndex_(std::clamp(dataSourceIndex, 0, kMaxDataSources)), connection_(connection) {
  setObjectName("frmLogin");
  setWindowTitle("Login");
  txtDSName_ = new QLineEdit(this);
  txtDSName_->setObjectName("txtDSName");
  txtDSUser_ = new QLineEdit(this);
  txtDSUser_->setObjectName("txtDSUser");
  txtDSPassword_ = new QLineEdit(this);
  txtDSPassword_->setObjectName("txtDSPassword");
  txtDSPassword_->setEchoMode(QLineEdit::Password);
  txtDSPassword_->setMinimumWidth(240);

  auto *form = new QFormLayout;
  auto addRow = [&](const char *caption, QLineEdit *box) {
    auto *label = new QLabel(caption, this);
    label->setBuddy(box);
    form->addRow(label, box);
  };
  addRow("&Name:", txtDSName_);
  addRow("&User:", txtDSUser_);
  addRow("&Password:", txtDSPassword_);

  auto *cmdOK = new QPushButton("&OK", this);
  cmdOK->setObjectName("cmdOK");
  cmdOK->setDefault(true);
  auto *cmdCancel = new QPushButton("&Cancel", this);
  cmdCancel->setObjectName("cmdCancel");
  connect(cmdOK, &QPushButton::clicked, this, &FrmLogin::accept);
  connect(cmdCancel, &QPushButton::clicked, this, &FrmLogin::reject);
  auto *buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cmdOK);
  buttons->addWidget(cmdCancel);

  auto *layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  setTabOrderFromLayout(this);
}

void FrmLogin::refill() {
  const DataSource &source = workspace_.definition.dataSources[dataSourceIndex_];
  txtDSName_->setText(QString::fromStdString(source.Name));
  txtDSUser_->setText(QString::fromStdString(source.User));
  txtDSPassword_->clear();
  txtDSPassword_->setFocus();
}

void FrmLogin::showEvent(QShowEvent *event) {
  refill();
  QDialog::showEvent(event);
}

void FrmLogin::accept() {
  const std::string name = txtDSName_->text().toStdString();
  const std::string user = txtDSUser_->text().toStdString();
  const std::string password = txtDSPassword_->text().toStdString();
  try {
    // Values holding ';' or braces are braced, so that a typed login cannot add keys.
    connection_.ConnectionString = dataSourceLoginString({name, user, password, {}});
    connection_.Open();
  } catch (const std::exception &e) {
    ShowErrorMessage(loginFailureText(name, user, e.what()), this);
    txtDSPassword_->clear();
    txtDSPassword_->setFocus();
    return;
  }
  DataSource &source = workspace_.definition.dataSources[dataSourceIndex_];
  source.Name = name;
  source.User = user;
  source.Password.clear();
  QDialog::accept();
}

} // namespace brevant
