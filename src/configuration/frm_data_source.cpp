#include "configuration/frm_data_source.h"

#include "base/strings.h"
#include "base/tokenizer.h"
#include "configuration/frm_configuration.h"
#include "desktop/change_flags.h"
#include "desktop/dialog_parts.h"
#include "desktop/error_box.h"
#include "desktop/tab_order.h"
#include "desktop/workspace_state.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace brevant {
namespace {

std::string text(const QLineEdit *box) { return box->text().toStdString(); }

bool blank(const QLineEdit *box) { return trimBlanks(text(box)).empty(); }

} // namespace

FrmDataSource::FrmDataSource(FrmConfiguration &configuration)
    : QDialog(&configuration), configuration_(configuration), changes_(new ChangeFlags(this)) {
  setObjectName("frmDataSource");
  setWindowTitle("New Data Source");
  setModal(true);

  optDSN_ = new QRadioButton("Using ODBC &data source name", this);
  optDSN_->setObjectName("optDSN");
  optConString_ = new QRadioButton("Using con&nection string", this);
  optConString_->setObjectName("optConString");
  auto *kind = new QButtonGroup(this);
  kind->addButton(optDSN_);
  kind->addButton(optConString_);
  txtDSName_ = textBox("txtDSName", this);
  txtDSName_->setMinimumWidth(340);
  txtDSUser_ = textBox("txtDSUser", this);
  txtDSPassword_ = textBox("txtDSPassword", this);
  txtDSPassword_->setEchoMode(QLineEdit::Password);
  txtDSConString_ = textBox("txtDSConString", this);
  lblDSUser_ = buddyLabel("&User:", txtDSUser_, this, "lblDSUser");
  lblDSPassword_ = buddyLabel("&Password:", txtDSPassword_, this, "lblDSPassword");
  lblDSConString_ = buddyLabel("Connection &String:", txtDSConString_, this, "lblDSConString");

  cmdTest_ = commandButton("cmdTest", "&Test", this);
  const OkCancelRow buttons = okCancelRow(this);
  cmdOK_ = buttons.ok;
  buttons.layout->insertWidget(0, cmdTest_);

  auto *grid = new QGridLayout;
  grid->addWidget(optDSN_, 0, 0, 1, 2);
  grid->addWidget(optConString_, 1, 0, 1, 2);
  grid->addWidget(buddyLabel("&Name:", txtDSName_, this, "lblDSName"), 2, 0);
  grid->addWidget(txtDSName_, 2, 1);
  grid->addWidget(lblDSUser_, 3, 0);
  grid->addWidget(txtDSUser_, 3, 1);
  grid->addWidget(lblDSPassword_, 4, 0);
  grid->addWidget(txtDSPassword_, 4, 1);
  grid->addWidget(lblDSConString_, 5, 0);
  grid->addWidget(txtDSConString_, 5, 1);
  auto *layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addStretch();
  layout->addLayout(buttons.layout);

  for (QLineEdit *box : {txtDSName_, txtDSUser_, txtDSPassword_, txtDSConString_})
    changes_->watch(box);
  connect(txtDSName_, &QLineEdit::textChanged, this, &FrmDataSource::SetOKButton);
  connect(optDSN_, &QRadioButton::toggled, this, [this](bool on) {
    if (on)
      showKind(true);
  });
  connect(optConString_, &QRadioButton::toggled, this, [this](bool on) {
    if (on)
      showKind(false);
  });
  connect(cmdTest_, &QPushButton::clicked, this, &FrmDataSource::testConnection);
  connect(cmdOK_, &QPushButton::clicked, this, &FrmDataSource::accept);
  optDSN_->setChecked(true);
  setTabOrderFromLayout(this);
}

int FrmDataSource::execFor(RowEditorMode mode) {
  mode_ = mode;
  return exec();
}

void FrmDataSource::showEvent(QShowEvent *event) {
  refill(mode_);
  QDialog::showEvent(event);
}

void FrmDataSource::showKind(bool dataSourceName) {
  // Switching the kind only shows and hides: what was typed stays for a switch back.
  for (QWidget *w :
       std::initializer_list<QWidget *>{lblDSUser_, txtDSUser_, lblDSPassword_, txtDSPassword_})
    w->setVisible(dataSourceName);
  lblDSConString_->setVisible(!dataSourceName);
  txtDSConString_->setVisible(!dataSourceName);
}

void FrmDataSource::SetOKButton() {
  const bool named = !blank(txtDSName_);
  cmdOK_->setEnabled(named);
  cmdTest_->setEnabled(named);
}

void FrmDataSource::refill(RowEditorMode mode) {
  mode_ = mode;
  editRow_ = mode == RowEditorMode::SelectedRow ? configuration_.selectedDataSource() : -1;
  DataSource row;
  if (editRow_ >= 0)
    row = configuration_.dataSourceRows()[static_cast<size_t>(editRow_)];
  setWindowTitle(editRow_ >= 0 ? "Edit Data Source" : "New Data Source");
  txtDSName_->setText(QString::fromStdString(row.Name));
  txtDSUser_->setText(QString::fromStdString(row.User));
  txtDSPassword_->setText(QString::fromStdString(row.Password));
  txtDSConString_->setText(QString::fromStdString(row.ConnectionString));
  const bool dataSourceName = row.ConnectionString.empty();
  (dataSourceName ? optDSN_ : optConString_)->setChecked(true);
  showKind(dataSourceName);
  SetOKButton();
  changes_->clear();
  filledAsDataSourceName_ = dataSourceName;
  txtDSName_->setFocus();
}

bool FrmDataSource::connectionStringMissing() {
  if (!optConString_->isChecked() || !blank(txtDSConString_))
    return false;
  ShowErrorMessage("Please input a connection string.", this);
  txtDSConString_->setFocus();
  return true;
}

void FrmDataSource::accept() {
  if (blank(txtDSName_) || connectionStringMissing())
    return;
  const bool dataSourceName = optDSN_->isChecked();
  if (dataSourceName != filledAsDataSourceName_ || changes_->anyChanged()) {
    DataSource row;
    row.Name = text(txtDSName_);
    if (dataSourceName) {
      row.User = text(txtDSUser_);
      row.Password = text(txtDSPassword_);
    } else {
      row.ConnectionString = text(txtDSConString_);
    }
    if (editRow_ >= 0)
      configuration_.replaceDataSource(editRow_, row);
    else
      configuration_.appendDataSource(row);
    configuration_.SetDataSourceChanged();
  }
  QDialog::accept();
}

void FrmDataSource::testConnection() {
  if (blank(txtDSName_) || connectionStringMissing())
    return;
  if (optDSN_->isChecked())
    configuration_.TestDataSource(text(txtDSName_), text(txtDSUser_), text(txtDSPassword_), "");
  else
    configuration_.TestDataSource(text(txtDSName_), "", "", text(txtDSConString_));
}

} // namespace brevant
