#include "workspace/frm_tip.h"

#include "base/paths.h"
#include "base/tokenizer.h"
#include "desktop/tab_order.h"
#include "settings/app_settings.h"
#include "settings/registry.h"

#include <QCheckBox>
#include <QFile>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRandomGenerator>
#include <QVBoxLayout>

namespace brevant {

std::optional<QStringList> readTips(const std::string &path) {
  QFile file(QString::fromStdString(path));
  if (path.empty() || !file.open(QIODevice::ReadOnly))
    return std::nullopt;
  QStringList tips;
  const QString text = QString::fromUtf8(file.readAll());
  for (QString line : text.split('\n')) {
    if (line.endsWith('\r'))
      line.chop(1);
    if (line.trimmed().isEmpty())
      continue;
    line.replace("\\n", "\n");
    tips << line;
  }
  return tips;
}

FrmTip::FrmTip(const std::string &programFolder, QWidget *parent) : QDialog(parent) {
  setObjectName("frmTip");
  setWindowTitle("Tip of the Day");

  auto *panel = new QFrame(this);
  panel->setFrameShape(QFrame::StyledPanel);
  panel->setStyleSheet("QFrame { background: #ffffe8; }");
  auto *didYouKnow = new QLabel("Did you know...", panel);
  didYouKnow->setObjectName("lblDidYouKnow");
  QFont heading("Times New Roman");
  heading.setPointSize(15);
  heading.setBold(true);
  didYouKnow->setFont(heading);
  lblTipText_ = new QLabel(panel);
  lblTipText_->setObjectName("lblTipText");
  lblTipText_->setWordWrap(true);
  lblTipText_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  lblTipText_->setMinimumSize(380, 130);
  QFont body("Arial");
  body.setPointSize(10);
  lblTipText_->setFont(body);
  auto *panelLayout = new QVBoxLayout(panel);
  panelLayout->addWidget(didYouKnow);
  panelLayout->addWidget(lblTipText_, 1);

  chkLoadTipsAtStartup_ = new QCheckBox("&Show Tips at Startup", this);
  chkLoadTipsAtStartup_->setObjectName("chkLoadTipsAtStartup");
  auto *cmdNextTip = new QPushButton("&Next Tip", this);
  cmdNextTip->setObjectName("cmdNextTip");
  auto *cmdOK = new QPushButton("&OK", this);
  cmdOK->setObjectName("cmdOK");
  cmdOK->setDefault(true);
  connect(cmdNextTip, &QPushButton::clicked, this, &FrmTip::nextTip);
  connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

  auto *buttons = new QVBoxLayout;
  buttons->addWidget(cmdOK);
  buttons->addWidget(cmdNextTip);
  buttons->addStretch();
  auto *top = new QHBoxLayout;
  top->addWidget(panel, 1);
  top->addLayout(buttons);
  auto *layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(chkLoadTipsAtStartup_);

  chkLoadTipsAtStartup_->setChecked(
      RegGetNumber(Hive::CurrentUser, settingsKeyPath(), kShowTipsValue, kDefaultShowTips) != 0);
  if (!LoadTips(joinPath(programFolder, "kvdtips.txt")))
    lblTipText_->setText(
        "That the kvdtips.txt file was not found? \n\nCreate a text file named "
        "kvdtips.txt using a text editor with 1 tip per line. Then place it in the "
        "same directory as the application. ");
  // Only a click by the user counts as a change to store.
  connect(chkLoadTipsAtStartup_, &QCheckBox::clicked, this, [this] { touched_ = true; });
  setTabOrderFromLayout(this);
}

bool FrmTip::LoadTips(const std::string &file) {
  const std::optional<QStringList> tips = readTips(file);
  if (!tips)
    return false;
  tips_ = *tips;
  current_ = 0;
  if (!tips_.isEmpty())
    current_ = static_cast<int>(QRandomGenerator::global()->bounded(tips_.size())) + 1;
  DisplayCurrentTip();
  return true;
}

void FrmTip::DisplayCurrentTip() {
  if (tips_.isEmpty() || current_ < 1 || current_ > tips_.size())
    return;
  lblTipText_->setText(tips_[current_ - 1]);
}

void FrmTip::nextTip() {
  if (tips_.isEmpty())
    return;
  ++current_;
  if (current_ > tips_.size())
    current_ = 1;
  DisplayCurrentTip();
}

void FrmTip::done(int result) {
  if (touched_) {
    RegSaveNumber(Hive::CurrentUser, settingsKeyPath(), kShowTipsValue,
                  chkLoadTipsAtStartup_->isChecked() ? 1 : 0);
    touched_ = false;
  }
  QDialog::done(result);
}

} // namespace brevant
