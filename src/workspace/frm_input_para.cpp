#include "workspace/frm_input_para.h"

#include "desktop/tab_order.h"
#include "desktop/workspace_state.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace brevant {

FrmInputPara::FrmInputPara(Workspace &workspace, QWidget *parent)
    : QDialog(parent), workspace_(workspace) {
  setObjectName("frmInputPara");
  setWindowTitle("Input Parameters");

  auto *rows = new QGridLayout;
  rows->setColumnStretch(1, 1);
  for (int i = 0; i < kMaxParameters; ++i) {
    lblPName_[i] = new QLabel(this);
    lblPName_[i]->setObjectName(QString("lblPName(%1)").arg(i));
    txtPVaule_[i] = new QLineEdit(this);
    txtPVaule_[i]->setObjectName(QString("txtPVaule(%1)").arg(i));
    txtPVaule_[i]->setMinimumWidth(260);
    lblPName_[i]->setBuddy(txtPVaule_[i]);
    rows->addWidget(lblPName_[i], i, 0);
    rows->addWidget(txtPVaule_[i], i, 1);
  }

  auto *cmdOK = new QPushButton("&OK", this);
  cmdOK->setObjectName("cmdOK");
  cmdOK->setDefault(true);
  auto *cmdCancel = new QPushButton("&Cancel", this);
  cmdCancel->setObjectName("cmdCancel");
  connect(cmdOK, &QPushButton::clicked, this, &FrmInputPara::accept);
  connect(cmdCancel, &QPushButton::clicked, this, &FrmInputPara::reject);
  auto *buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cmdOK);
  buttons->addWidget(cmdCancel);

  auto *layout = new QVBoxLayout(this);
  layout->addLayout(rows);
  layout->addSpacing(10);
  layout->addLayout(buttons);
  // The dialog takes exactly the height of the rows in use.
  layout->setSizeConstraint(QLayout::SetFixedSize);
  setTabOrderFromLayout(this);
}

void FrmInputPara::refill() {
  const ReportDefinition &def = workspace_.definition;
  const int used = std::clamp<int>(def.parameterCount, 0, kMaxParameters);
  for (int i = 0; i < kMaxParameters; ++i) {
    const bool inUse = i < used;
    if (inUse) {
      const ReportParameter &p = def.parameters[i];
      lblPName_[i]->setText(QString::fromStdString(p.Title.empty() ? p.Name : p.Title));
      txtPVaule_[i]->setText(QString::fromStdString(p.Default));
    }
    lblPName_[i]->setVisible(inUse);
    lblPName_[i]->setEnabled(inUse);
    txtPVaule_[i]->setVisible(inUse);
    txtPVaule_[i]->setEnabled(inUse);
    txtPVaule_[i]->setModified(false);
  }
  if (used > 0)
    txtPVaule_[0]->setFocus();
  adjustSize();
}

void FrmInputPara::showEvent(QShowEvent *event) {
  refill();
  QDialog::showEvent(event);
}

void FrmInputPara::accept() {
  ReportDefinition &def = workspace_.definition;
  const int used = std::clamp<int>(def.parameterCount, 0, kMaxParameters);
  for (int i = 0; i < used; ++i) {
    if (txtPVaule_[i]->isModified())
      def.definitionChanged = true;
    def.parameters[i].Default = txtPVaule_[i]->text().toStdString();
  }
  QDialog::accept();
}

} // namespace brevant
