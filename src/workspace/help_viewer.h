#pragma once
// The help set: HTML pages in the "help" folder beside the program, "index.html" the table of
// contents, and the topic numbers of the Help menu mapped to pages. Pages are shown in a
// browser window of the program's own.

#include <QWidget>

#include <string>

class QTextBrowser;

namespace brevant {

constexpr int kHelpTopicTutorial = 30400;
constexpr int kHelpTopicHints = 80000;
constexpr int kHelpTopicShortcutKeys = 70700;

// "<programFolder>/help/index.html".
std::string helpFilePath(const std::string &programFolder);
// The page of a topic number, beside the help file; the contents page for an unknown number.
std::string helpTopicPath(const std::string &programFolder, int topic);

class HelpViewer : public QWidget {
  Q_OBJECT
public:
  explicit HelpViewer(QWidget *parent = nullptr);
  // Shows the page and brings the window to the front.
  void showPage(const std::string &path);
  QString currentPage() const;

private:
  QTextBrowser *browser_;
};

} // namespace brevant
