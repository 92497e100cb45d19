#pragma once
// "Tip of the Day": one tip at a time from kvdtips.txt beside the program, a random one first,
// Next Tip cycling through them in file order.

#include <QDialog>
#include <QStringList>

#include <optional>
#include <string>

class QCheckBox;
class QLabel;

namespace brevant {

// The tips of a file: one per line, blank lines skipped, "\n" (backslash, n) a line break.
// Nothing when the file cannot be read.
std::optional<QStringList> readTips(const std::string &path);

class FrmTip : public QDialog {
  Q_OBJECT
public:
  // Loads the tips from "<programFolder>/kvdtips.txt".
  FrmTip(const std::string &programFolder, QWidget *parent = nullptr);

  bool LoadTips(const std::string &file);
  void DisplayCurrentTip();
  void nextTip();

  int currentTip() const { return current_; } // 1-based; 0 when there are none
  const QStringList &tips() const { return tips_; }

  void done(int result) override;

private:
  QStringList tips_;
  int current_ = 0;
  QLabel *lblTipText_;
  QCheckBox *chkLoadTipsAtStartup_;
  bool touched_ = false;
};

} // namespace brevant
