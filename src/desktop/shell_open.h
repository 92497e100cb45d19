#pragma once
// Opening documents and web addresses with the program the desktop associates with them.
// The desktop's answer is mapped onto the shell result codes whose messages the user knows:
// a missing file is "File not found", a missing folder "Path not found", a type no program
// opens "No application is associated with this file type.".

#include <QUrl>

#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace brevant {

// Result codes of the shell's "open", as far as they can happen here.
constexpr int kShellFileNotFound = 2;
constexpr int kShellPathNotFound = 3;
constexpr int kShellNoAssociation = 31;
constexpr int kShellOpened = 42;

// Hands a URL to the desktop; false when no program took it. Replaceable for tests.
using DocumentLauncher = std::function<bool(const QUrl &)>;
void setDocumentLauncher(DocumentLauncher launcher); // empty: QDesktopServices::openUrl

// Starts a program with arguments, detached; false when it could not be started.
using ProgramStarter = std::function<bool(const QString &program, const QStringList &arguments)>;
void setProgramStarter(ProgramStarter starter); // empty: QProcess::startDetached

// The shell result code for opening `file` (a path or an address such as https:// or mailto:).
int shellOpenCode(const std::string &file);

// Opens `file` with `verb` ("open" is the only one the desktop knows). Throws ShellOpenError
// with the message of the result code when it fails; true otherwise.
bool ShellOpen(const std::string &file, const std::string &verb, QWidget *owner);

// ShellOpen with "open"; a failure is shown in the error box. Never fails towards the caller.
void OpenDocument(const std::string &file, QWidget *owner);

// Starts `commandLine` (a program and its own arguments, split as a shell would) with `path`
// appended as one more argument, whatever blanks it holds. Throws ShellOpenError when the
// program cannot be started.
void StartWithFile(const std::string &commandLine, const std::string &path);

// True for "scheme:..." addresses other than file paths (https:, mailto:, file:).
[[nodiscard]] bool isAddress(const std::string &text);

} // namespace brevant
