#include "workspace/frm_about.h"

#include "desktop/shell_open.h"
#include "desktop/tab_order.h"
#include "engine/product_info.h"
#include "workspace/app_icon.h"
#include "workspace/product_links.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace brevant {
namespace {

QLabel *link(const QString &address, const QString &target, const char *name, QWidget *parent) {
  auto *label = new QLabel(
      QString("<a href=\"%1\">%2</a>").arg(target.toHtmlEscaped(), address.toHtmlEscaped()),
      parent);
  label->setObjectName(name);
  label->setTextFormat(Qt::RichText);
  label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
  label->setCursor(Qt::PointingHandCursor);
  QObject::connect(label, &QLabel::linkActivated, parent,
                   [parent](const QString &url) { OpenDocument(url.toStdString(), parent); });
  return label;
}

} // namespace

FrmAbout::FrmAbout(const std::string &programFolder, QWidget *parent) : QDialog(parent) {
  setObjectName("frmAbout");
  setWindowTitle("About Brevant");

  auto *imgLogo = new QLabel(this);
  imgLogo->setObjectName("imgLogo");
  imgLogo->setPixmap(applicationIcon(programFolder).pixmap(64, 64));
  imgLogo->setAlignment(Qt::AlignTop);

  auto *lblSysName = new QLabel(kProductName, this);
  lblSysName->setObjectName("lblSysName");
  QFont big = lblSysName->font();
  big.setPointSize(big.pointSize() + 6);
  big.setBold(true);
  lblSysName->setFont(big);
  auto *lblSysVer = new QLabel(
      QString("Version %1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision),
      this);
  lblSysVer->setObjectName("lblSysVer");
  auto *lblCopyright = new QLabel(kLegalNotice, this);
  lblCopyright->setObjectName("lblCopyright");
  lblCopyright->setWordWrap(true);

  auto *links = new QGridLayout;
  links->addWidget(new QLabel("Web:", this), 0, 0);
  links->addWidget(link(kHomePageAddress, kHomePageAddress, "lblHomePage", this), 0, 1);
  links->addWidget(new QLabel("Email to:", this), 1, 0);
  links->addWidget(link(kSupportEmail, QString("mailto:") + kSupportEmail, "lblEmail", this), 1, 1);
  links->setColumnStretch(1, 1);

  auto *text = new QVBoxLayout;
  text->addWidget(lblSysName);
  text->addWidget(lblSysVer);
  text->addSpacing(8);
  text->addWidget(lblCopyright);
  text->addSpacing(8);
  text->addLayout(links);

  auto *cmdOK = new QPushButton("&OK", this);
  cmdOK->setObjectName("cmdOK");
  cmdOK->setDefault(true);
  connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

  auto *top = new QHBoxLayout;
  top->addWidget(imgLogo);
  top->addSpacing(12);
  top->addLayout(text, 1);
  auto *buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cmdOK);
  auto *layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(buttons);
  setMinimumWidth(420);
  setTabOrderFromLayout(this);
}

} // namespace brevant
