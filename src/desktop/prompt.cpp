#include "desktop/prompt.h"

#include "settings/app_settings.h"

#include <QFileDialog>
#include <QStringList>

namespace brevant {
namespace {

class DialogPrompt final : public Prompt {
public:
  void message(QWidget *parent, const QString &title, const QString &text,
               QMessageBox::Icon icon) override {
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
    box.exec();
  }

  QMessageBox::StandardButton question(QWidget *parent, const QString &title, const QString &text,
                                       QMessageBox::StandardButtons buttons,
                                       QMessageBox::StandardButton defaultButton) override {
    QMessageBox box(QMessageBox::Question, title, text, buttons, parent);
    box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
  }

  std::optional<QString> openFileName(QWidget *parent, const QString &title, const QString &folder,
                                      const QString &filter) override {
    QFileDialog dialog(parent, title, folder, qtFileFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    return run(dialog);
  }

  std::optional<QString> saveFileName(QWidget *parent, const QString &title, const QString &folder,
                                      const QString &filter) override {
    QFileDialog dialog(parent, title, folder, qtFileFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix("kvd");
    return run(dialog);
  }

  std::optional<QString> fileNameToWrite(QWidget *parent, const QString &title,
                                         const QString &folder, const QString &filter) override {
    QFileDialog dialog(parent, title, folder, qtFileFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    return run(dialog);
  }

  std::optional<QString> folderName(QWidget *parent, const QString &title,
                                    const QString &folder) override {
    QFileDialog dialog(parent, title, folder);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    return run(dialog);
  }

private:
  static std::optional<QString> run(QFileDialog &dialog) {
    if (dialog.exec() != QDialog::Accepted)
      return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.front();
  }
};

DialogPrompt &dialogPrompt() {
  static DialogPrompt instance;
  return instance;
}

Prompt *current = nullptr;

} // namespace

Prompt &prompt() { return current != nullptr ? *current : dialogPrompt(); }

void setPrompt(Prompt *replacement) { current = replacement; }

QString qtFileFilter(const QString &pipeFilter) {
  const QStringList parts = pipeFilter.split('|');
  QStringList filters;
  for (int i = 0; i < parts.size(); i += 2)
    filters << parts[i];
  return filters.join(";;");
}

QString productTitle() { return QString::fromUtf8(kProductName); }

void showInformation(QWidget *parent, const QString &text) {
  prompt().message(parent, productTitle(), text, QMessageBox::Information);
}

} // namespace brevant
