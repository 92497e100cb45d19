#pragma once
// "Changed since the dialog filled it" for the controls of a dialog, so that OK can tell what the
// user changed. Any change of a watched control's text, selection or check state sets its flag,
// the dialog's own corrections included; clear() starts afresh once the dialog is filled.

#include <QObject>
#include <QSet>

class QAbstractButton;
class QComboBox;
class QLineEdit;

namespace brevant {

class ChangeFlags : public QObject {
public:
  explicit ChangeFlags(QObject *parent = nullptr) : QObject(parent) {}

  void watch(QLineEdit *box);
  void watch(QComboBox *box); // the selection, and the text of an editable box
  void watch(QAbstractButton *box);

  [[nodiscard]] bool changed(const QObject *control) const { return changed_.contains(control); }
  [[nodiscard]] bool anyChanged() const { return !changed_.isEmpty(); }
  void mark(const QObject *control) { changed_.insert(control); }
  void clear() { changed_.clear(); }

private:
  QSet<const QObject *> changed_;
};

} // namespace brevant
