#include "desktop/error_box.h"

#include "desktop/error_message.h"
#include "desktop/prompt.h"

namespace brevant {

void ShowErrorMessage(const std::string &text, QWidget *parent) {
  try {
    prompt().message(parent, productTitle(), QString::fromStdString(errorMessageText(text)),
                     QMessageBox::Warning);
  } catch (...) {
    // A message that cannot be shown is lost; the caller goes on.
  }
}

} // namespace brevant
