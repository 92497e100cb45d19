#pragma once
// Every message box and file dialog of the workspace goes through one Prompt, so that tests can
// answer them without a person at the screen. The default shows the real Qt dialogs.

#include <QMessageBox>
#include <QString>

#include <optional>

class QWidget;

namespace brevant {

class Prompt {
public:
  virtual ~Prompt() = default;
  virtual void message(QWidget *parent, const QString &title, const QString &text,
                       QMessageBox::Icon icon) = 0;
  virtual QMessageBox::StandardButton question(QWidget *parent, const QString &title,
                                               const QString &text,
                                               QMessageBox::StandardButtons buttons,
                                               QMessageBox::StandardButton defaultButton) = 0;
  // The chosen path, "" for an empty name, nothing when the user cancelled. `filter` is in the
  // "Description (*.x)|*.x|..." form.
  virtual std::optional<QString> openFileName(QWidget *parent, const QString &title,
                                              const QString &folder, const QString &filter) = 0;
  // Asks before replacing an existing file.
  virtual std::optional<QString> saveFileName(QWidget *parent, const QString &title,
                                              const QString &folder, const QString &filter) = 0;
  // A file a run is to write (a report, a log): it may exist or not, and nothing is asked.
  virtual std::optional<QString> fileNameToWrite(QWidget *parent, const QString &title,
                                                 const QString &folder, const QString &filter) = 0;
  // An existing folder.
  virtual std::optional<QString> folderName(QWidget *parent, const QString &title,
                                            const QString &folder) = 0;
};

// The prompt in use.
Prompt &prompt();
// Replaces the prompt in use; null goes back to the real dialogs. The caller keeps ownership.
void setPrompt(Prompt *replacement);

// "A (*.a)|*.a|B (*.*)|*.*" as a Qt name filter list: "A (*.a);;B (*.*)".
QString qtFileFilter(const QString &pipeFilter);

// The product name, the title of the workspace's message boxes.
QString productTitle();

// Shows an information box titled with the product name.
void showInformation(QWidget *parent, const QString &text);

} // namespace brevant
