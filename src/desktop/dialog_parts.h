#pragma once
// The small pieces every dialog of the workspace is made of: named boxes and buttons, labels
// whose mnemonic moves to their box, the OK / Cancel row, and the test for a box being left.

#include <QString>

class QDialog;
class QEvent;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace brevant {

QLineEdit *textBox(const char *name, QWidget *parent);
// A label whose "&" key puts the focus in `buddy`; `name` may be null.
QLabel *buddyLabel(const QString &caption, QWidget *buddy, QWidget *parent,
                   const char *name = nullptr);
// A button that Enter does not press unless it has the focus.
QPushButton *commandButton(const char *name, const QString &caption, QWidget *parent);
// The narrow "..." button beside a box.
QPushButton *browseButton(const char *name, QWidget *parent);

struct OkCancelRow {
  QPushButton *ok;
  QPushButton *cancel;
  QHBoxLayout *layout; // a stretch, then OK and Cancel
};
// "&OK" (pressed by Enter) and "&Cancel" (which rejects `dialog`, as Esc does).
OkCancelRow okCancelRow(QDialog *dialog);

// True for a focus-out that moves the focus on within the window; not for another window, a
// message box or a combo box's list taking it.
[[nodiscard]] bool focusMovedOn(const QEvent *event);

} // namespace brevant
