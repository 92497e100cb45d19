#include "workspace/help_viewer.h"

#include "base/paths.h"
#include "base/tokenizer.h"
#include "desktop/shell_open.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <filesystem>

namespace brevant {
namespace {

const char *topicPage(int topic) {
  switch (topic) {
  case kHelpTopicTutorial:
    return "tutorial.html";
  case kHelpTopicHints:
    return "hints.html";
  case kHelpTopicShortcutKeys:
    return "shortcut-keys.html";
  default:
    return "index.html";
  }
}

} // namespace

std::string helpFilePath(const std::string &programFolder) {
  return joinPath(programFolder, "help/index.html");
}

std::string helpTopicPath(const std::string &programFolder, int topic) {
  const std::string page = joinPath(programFolder, std::string("help/") + topicPage(topic));
  std::error_code ec;
  return std::filesystem::exists(page, ec) ? page : helpFilePath(programFolder);
}

HelpViewer::HelpViewer(QWidget *parent) : QWidget(parent, Qt::Window) {
  setObjectName("frmHelp");
  setWindowTitle("Brevant Help");
  browser_ = new QTextBrowser(this);
  browser_->setObjectName("txtHelp");
  browser_->setOpenLinks(true);
  browser_->setOpenExternalLinks(false);
  // Web addresses go to the desktop's browser; pages of the help set stay here.
  connect(browser_, &QTextBrowser::anchorClicked, this, [this](const QUrl &url) {
    if (!url.isLocalFile() && !url.isRelative()) {
      OpenDocument(url.toString().toStdString(), this);
      browser_->setSource(browser_->source());
    }
  });
  auto *back = new QPushButton("&Back", this);
  back->setObjectName("cmdBack");
  auto *contents = new QPushButton("&Contents", this);
  contents->setObjectName("cmdContents");
  connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
  connect(contents, &QPushButton::clicked, browser_, &QTextBrowser::home);
  connect(browser_, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
  back->setEnabled(false);

  auto *buttons = new QHBoxLayout;
  buttons->addWidget(back);
  buttons->addWidget(contents);
  buttons->addStretch();
  auto *layout = new QVBoxLayout(this);
  layout->addLayout(buttons);
  layout->addWidget(browser_);
  resize(760, 600);
}

void HelpViewer::showPage(const std::string &path) {
  browser_->setSource(QUrl::fromLocalFile(QString::fromStdString(path)));
  show();
  raise();
  activateWindow();
}

QString HelpViewer::currentPage() const { return browser_->source().toLocalFile(); }

} // namespace brevant
