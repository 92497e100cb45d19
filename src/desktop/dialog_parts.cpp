#include "desktop/dialog_parts.h"

#include <QDialog>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace brevant {

QLineEdit *textBox(const char *name, QWidget *parent) {
  auto *box = new QLineEdit(parent);
  box->setObjectName(name);
  return box;
}

QLabel *buddyLabel(const QString &caption, QWidget *buddy, QWidget *parent, const char *name) {
  auto *label = new QLabel(caption, parent);
  if (name != nullptr)
    label->setObjectName(name);
  label->setBuddy(buddy);
  return label;
}

QPushButton *commandButton(const char *name, const QString &caption, QWidget *parent) {
  auto *button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setAutoDefault(false);
  return button;
}

QPushButton *browseButton(const char *name, QWidget *parent) {
  QPushButton *button = commandButton(name, "...", parent);
  button->setFixedWidth(button->fontMetrics().horizontalAdvance("....") + 16);
  return button;
}

OkCancelRow okCancelRow(QDialog *dialog) {
  OkCancelRow row{commandButton("cmdOK", "&OK", dialog),
                  commandButton("cmdCancel", "&Cancel", dialog), new QHBoxLayout};
  row.ok->setDefault(true);
  row.layout->addStretch();
  row.layout->addWidget(row.ok);
  row.layout->addWidget(row.cancel);
  QObject::connect(row.cancel, &QPushButton::clicked, dialog, &QDialog::reject);
  return row;
}

bool focusMovedOn(const QEvent *event) {
  if (event->type() != QEvent::FocusOut)
    return false;
  const Qt::FocusReason reason = static_cast<const QFocusEvent *>(event)->reason();
  return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

} // namespace brevant
