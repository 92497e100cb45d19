#include "desktop/shell_open.h"

#include "desktop/error_box.h"
#include "desktop/error_message.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

#include <filesystem>

namespace brevant {
namespace {

DocumentLauncher &launcher() {
  static DocumentLauncher instance;
  return instance;
}

ProgramStarter &starter() {
  static ProgramStarter instance;
  return instance;
}

bool launch(const QUrl &url) {
  if (launcher())
    return launcher()(url);
  return QDesktopServices::openUrl(url);
}

[[noreturn]] void raise(int code) {
  throw ShellOpenError(shellErrorFor(code), shellErrorSource("brevant"));
}

} // namespace

void setDocumentLauncher(DocumentLauncher replacement) { launcher() = std::move(replacement); }
void setProgramStarter(ProgramStarter replacement) { starter() = std::move(replacement); }

bool isAddress(const std::string &text) {
  // Two letters or more before the colon, so that "C:\x" stays a (meaningless) path.
  static const QRegularExpression scheme("^[A-Za-z][A-Za-z0-9+.-]+:");
  return scheme.match(QString::fromStdString(text)).hasMatch();
}

int shellOpenCode(const std::string &file) {
  if (isAddress(file)) {
    const QUrl url(QString::fromStdString(file));
    if (!url.isValid())
      return kShellFileNotFound;
    return launch(url) ? kShellOpened : kShellNoAssociation;
  }
  std::error_code ec;
  const std::filesystem::path path(file);
  if (file.empty() || !std::filesystem::exists(path, ec)) {
    const std::filesystem::path folder = path.parent_path();
    if (!folder.empty() && !std::filesystem::is_directory(folder, ec))
      return kShellPathNotFound;
    return kShellFileNotFound;
  }
  const QString absolute = QFileInfo(QString::fromStdString(file)).absoluteFilePath();
  return launch(QUrl::fromLocalFile(absolute)) ? kShellOpened : kShellNoAssociation;
}

bool ShellOpen(const std::string &file, const std::string & /*verb*/, QWidget * /*owner*/) {
  const int code = shellOpenCode(file);
  if (shellOpenSucceeded(code))
    return true;
  raise(code);
}

void OpenDocument(const std::string &file, QWidget *owner) {
  try {
    ShellOpen(file, "open", owner);
  } catch (const std::exception &e) {
    ShowErrorMessage(e.what(), owner);
  }
}

void StartWithFile(const std::string &commandLine, const std::string &path) {
  QStringList words = QProcess::splitCommand(QString::fromStdString(commandLine));
  if (words.isEmpty())
    raise(kShellFileNotFound);
  const QString program = words.takeFirst();
  words << QString::fromStdString(path);
  const bool started =
      starter() ? starter()(program, words) : QProcess::startDetached(program, words);
  if (!started)
    raise(kShellFileNotFound);
}

} // namespace brevant
