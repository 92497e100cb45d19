#include "workspace/frm_find.h"

#include "desktop/dialog_parts.h"
#include "desktop/prompt.h"
#include "desktop/tab_order.h"
#include "desktop/workspace_state.h"
#include "workspace/frm_edit.h"
#include "workspace/script_text_edit.h"
#include "workspace/text_search.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

#include <algorithm>

namespace brevant {

void showSearchTextNotFound(QWidget *parent) {
  showInformation(parent, "Search text is not found.");
}

FrmFind::FrmFind(FrmEdit &editor, Workspace &workspace, QWidget *owner)
    : QDialog(owner), editor_(editor), workspace_(workspace) {
  setObjectName("frmFind");
  setWindowTitle("Find and Replace");
  setModal(false);

  tabFind_ = new QTabBar(this);
  tabFind_->setObjectName("tabFind");
  tabFind_->addTab("F&ind");
  tabFind_->setTabData(0, "Find");
  tabFind_->addTab("Re&place");
  tabFind_->setTabData(1, "Replace");

  txtFindWhat_ = textBox("txtFindWhat", this);
  txtReplaceWith_ = textBox("txtReplaceWith", this);
  lblReplaceWith_ = buddyLabel("Replace Wit&h:", txtReplaceWith_, this, "lblReplaceWith");
  cboDirection_ = new QComboBox(this);
  cboDirection_->setObjectName("cboDirection");
  cboDirection_->addItems({"Down", "Up"});
  chkMatchCase_ = new QCheckBox("&Match Case", this);
  chkMatchCase_->setObjectName("chkMatchCase");
  chkWholeWord_ = new QCheckBox("Whole &Word", this);
  chkWholeWord_->setObjectName("chkWholeWord");
  chkWrap_ = new QCheckBox("Wrap at the &end of file", this);
  chkWrap_->setObjectName("chkWrap");
  cmdFind_ = commandButton("cmdFind", "&Find Next", this);
  cmdFind_->setDefault(true);
  cmdReplace_ = commandButton("cmdReplace", "&Replace", this);
  cmdReplaceAll_ = commandButton("cmdReplaceAll", "Replace &All", this);
  cmdCancel_ = commandButton("cmdCancel", "&Cancel", this);

  auto *fields = new QGridLayout;
  fields->addWidget(buddyLabel("Fi&nd What:", txtFindWhat_, this), 0, 0);
  fields->addWidget(txtFindWhat_, 0, 1);
  fields->addWidget(lblReplaceWith_, 1, 0);
  fields->addWidget(txtReplaceWith_, 1, 1);
  fields->addWidget(buddyLabel("&Direction:", cboDirection_, this), 2, 0);
  fields->addWidget(cboDirection_, 2, 1, Qt::AlignLeft);
  fields->addWidget(chkMatchCase_, 3, 1);
  fields->addWidget(chkWholeWord_, 4, 1);
  fields->addWidget(chkWrap_, 5, 1);

  auto *buttons = new QVBoxLayout;
  for (QPushButton *b : {cmdFind_, cmdReplace_, cmdReplaceAll_, cmdCancel_})
    buttons->addWidget(b);
  buttons->addStretch();

  auto *page = new QHBoxLayout;
  page->addLayout(fields, 1);
  page->addLayout(buttons);
  auto *layout = new QVBoxLayout(this);
  layout->addWidget(tabFind_);
  layout->addLayout(page);

  connect(tabFind_, &QTabBar::tabBarClicked, this, &FrmFind::tabClicked);
  connect(tabFind_, &QTabBar::currentChanged, this, &FrmFind::tabClicked);
  connect(cmdFind_, &QPushButton::clicked, this, &FrmFind::findNext);
  connect(cmdReplace_, &QPushButton::clicked, this, &FrmFind::replaceNext);
  connect(cmdReplaceAll_, &QPushButton::clicked, this, &FrmFind::replaceAll);
  connect(cmdCancel_, &QPushButton::clicked, this, &FrmFind::reject);

  // Load: every loading starts downwards.
  workspace_.findDirection = kSearchDown;
  cboDirection_->setCurrentIndex(0);
  chkMatchCase_->setChecked(workspace_.findMatchCase != 0);
  chkWholeWord_->setChecked(workspace_.findWholeWord != 0);
  chkWrap_->setChecked(workspace_.findWrap == 1);
  txtFindWhat_->setText(QString::fromStdString(workspace_.findText));
  showReplaceControls(false);
  setTabOrderFromLayout(this);
}

void FrmFind::showModeless(FindTab tab) {
  tab_ = tab;
  show();
  raise();
  activateWindow();
  activateTab();
}

void FrmFind::activateTab() {
  const int index = tab_ == FindTab::Find ? 0 : 1;
  tabFind_->setCurrentIndex(index);
  tabClicked(index); // also when the tab was already the current one
  txtFindWhat_->setFocus();
  txtFindWhat_->selectAll();
}

bool FrmFind::event(QEvent *event) {
  if (event->type() == QEvent::WindowActivate)
    activateTab();
  return QDialog::event(event);
}

void FrmFind::tabClicked(int index) {
  if (index < 0)
    return;
  const bool replacing = tabFind_->tabData(index).toString() == "Replace";
  showReplaceControls(replacing);
  tab_ = replacing ? FindTab::Replace : FindTab::Find;
}

void FrmFind::showReplaceControls(bool visible) {
  for (QWidget *w : std::initializer_list<QWidget *>{lblReplaceWith_, txtReplaceWith_, cmdReplace_,
                                                     cmdReplaceAll_})
    w->setVisible(visible);
}

void FrmFind::storeSettings() {
  workspace_.findText = txtFindWhat_->text().toStdString();
  workspace_.findDirection = static_cast<int16_t>(std::max(cboDirection_->currentIndex(), 0));
  workspace_.findMatchCase = chkMatchCase_->isChecked() ? 1 : 0;
  workspace_.findWholeWord = chkWholeWord_->isChecked() ? 1 : 0;
  workspace_.findWrap = chkWrap_->isChecked() ? 1 : 0;
}

int32_t FrmFind::startFromSelection() const { return editor_.findStart(workspace_.findDirection); }

void FrmFind::findNext() {
  if (txtFindWhat_->text().isEmpty())
    return;
  storeSettings();
  const Workspace &w = workspace_;
  if (!editor_.blnFindString(QString::fromStdString(w.findText), startFromSelection(),
                             w.findDirection, w.findMatchCase, w.findWrap, w.findWholeWord != 0))
    showSearchTextNotFound(this);
}

void FrmFind::replaceNext() {
  if (txtFindWhat_->text().isEmpty())
    return;
  storeSettings();
  const Workspace &w = workspace_;
  if (!editor_.blnReplaceString(QString::fromStdString(w.findText), txtReplaceWith_->text(),
                                startFromSelection(), w.findDirection, w.findMatchCase, w.findWrap,
                                w.findWholeWord != 0))
    showSearchTextNotFound(this);
}

void FrmFind::replaceAll() {
  if (txtFindWhat_->text().isEmpty())
    return;
  storeSettings();
  editor_.ReplaceAll(QString::fromStdString(workspace_.findText), txtReplaceWith_->text(),
                     workspace_.findMatchCase, workspace_.findWholeWord != 0);
}

void FrmFind::reject() {
  storeSettings();
  hide();
}

void FrmFind::closeEvent(QCloseEvent *event) {
  // Closing from the title bar only hides: the dialog lives as long as the editor.
  storeSettings();
  event->ignore();
  hide();
}

} // namespace brevant
