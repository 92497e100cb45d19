#include "desktop/change_flags.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>

namespace brevant {

void ChangeFlags::watch(QLineEdit *box) {
  connect(box, &QLineEdit::textChanged, this, [this, box] { mark(box); });
}

void ChangeFlags::watch(QComboBox *box) {
  connect(box, &QComboBox::currentIndexChanged, this, [this, box] { mark(box); });
  connect(box, &QComboBox::editTextChanged, this, [this, box] { mark(box); });
}

void ChangeFlags::watch(QAbstractButton *box) {
  connect(box, &QAbstractButton::toggled, this, [this, box] { mark(box); });
}

} // namespace brevant
