#include "configuration/frm_parameter.h"

#include "base/strings.h"
#include "base/tokenizer.h"
#include "configuration/frm_configuration.h"
#include "desktop/change_flags.h"
#include "desktop/dialog_parts.h"
#include "desktop/tab_order.h"
#include "desktop/workspace_state.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace brevant {
namespace {

std::string text(const QLineEdit *box) { return box->text().toStdString(); }

} // namespace

FrmParameter::FrmParameter(FrmConfiguration &configuration)
    : QDialog(&configuration), configuration_(configuration), changes_(new ChangeFlags(this)) {
  setObjectName("frmParameter");
  setWindowTitle("New Parameter");
  setModal(true);

  auto *form = new QFormLayout;
  const auto addBox = [&](const char *name, const char *caption) {
    QLineEdit *box = textBox(name, this);
    form->addRow(buddyLabel(caption, box, this), box);
    changes_->watch(box);
    return box;
  };
  txtParaName_ = addBox("txtParaName", "&Name:");
  txtParaTitle_ = addBox("txtParaTitle", "&Title:");
  txtParaDefault_ = addBox("txtParaDefault", "&Default:");
  txtParaName_->setMinimumWidth(300);

  const OkCancelRow buttons = okCancelRow(this);
  cmdOK_ = buttons.ok;
  auto *layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons.layout);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(txtParaName_, &QLineEdit::textChanged, this,
          [this] { cmdOK_->setEnabled(!trimBlanks(text(txtParaName_)).empty()); });
  connect(cmdOK_, &QPushButton::clicked, this, &FrmParameter::accept);
  setTabOrderFromLayout(this);
}

int FrmParameter::execFor(RowEditorMode mode) {
  mode_ = mode;
  return exec();
}

void FrmParameter::showEvent(QShowEvent *event) {
  refill(mode_);
  QDialog::showEvent(event);
}

void FrmParameter::refill(RowEditorMode mode) {
  mode_ = mode;
  editRow_ = mode == RowEditorMode::SelectedRow ? configuration_.selectedParameter() : -1;
  ReportParameter row;
  if (editRow_ >= 0)
    row = configuration_.parameterRows()[static_cast<size_t>(editRow_)];
  setWindowTitle(editRow_ >= 0 ? "Edit Parameter" : "New Parameter");
  txtParaName_->setText(QString::fromStdString(row.Name));
  txtParaTitle_->setText(QString::fromStdString(row.Title));
  txtParaDefault_->setText(QString::fromStdString(row.Default));
  cmdOK_->setEnabled(!trimBlanks(row.Name).empty());
  changes_->clear();
  txtParaName_->setFocus();
}

void FrmParameter::accept() {
  if (trimBlanks(text(txtParaName_)).empty())
    return;
  if (changes_->anyChanged()) {
    const ReportParameter row{text(txtParaName_), text(txtParaTitle_), text(txtParaDefault_)};
    if (editRow_ >= 0)
      configuration_.replaceParameter(editRow_, row);
    else
      configuration_.appendParameter(row);
    configuration_.SetParameterChanged();
  }
  QDialog::accept();
}

} // namespace brevant
