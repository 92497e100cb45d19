#include "workspace/frm_edit.h"

#include "base/paths.h"
#include "base/tokenizer.h"
#include "configuration/frm_configuration.h"
#include "definition/definition_file.h"
#include "desktop/error_box.h"
#include "desktop/prompt.h"
#include "desktop/shell_open.h"
#include "desktop/workspace_state.h"
#include "engine/run_driver.h"
#include "settings/app_settings.h"
#include "settings/registry.h"
#include "workspace/editor_font.h"
#include "workspace/frm_find.h"
#include "workspace/frm_goto.h"
#include "workspace/frm_main.h"
#include "workspace/frm_run.h"
#include "workspace/recent_files_menu.h"
#include "workspace/script_highlighter.h"
#include "workspace/script_text_edit.h"
#include "workspace/text_search.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>

namespace brevant {
namespace {

namespace fs = std::filesystem;

const char *const kKvdFilter = "Quorvel Files (*.kvd)|*.kvd|All Type Files (*.*)|*.*";

std::string parentFolder(const std::string &path) {
  return path.empty() ? std::string() : fs::path(path).parent_path().string();
}

// The current folder, or the root when it cannot be read.
std::string currentFolderOrRoot() {
  const std::string here = currentFolder();
  return here.empty() ? std::string("/") : here;
}

// The selected text up to its first line break.
QString firstSelectedLine(const QTextCursor &cursor) {
  QString text = cursor.selectedText();
  text.replace(QChar::ParagraphSeparator, u'\n');
  text.replace(QChar::LineSeparator, u'\n');
  return QString::fromStdString(firstLine(text.toStdString()));
}

bool clipboardHasText() { return !QGuiApplication::clipboard()->text().isEmpty(); }

// CR LF for the file and the run; the text box works with LF.
std::string withCrLf(const QString &text) {
  const std::string lf = text.toStdString();
  std::string out;
  out.reserve(lf.size() + lf.size() / 16);
  for (char c : lf) {
    if (c == '\n')
      out += '\r';
    out += c;
  }
  return out;
}

} // namespace

FrmEdit::FrmEdit(FrmMain &main, Workspace &workspace, QWidget *parent)
    : QWidget(parent), main_(main), workspace_(workspace) {
  setObjectName("frmEdit");
  txtEdit_ = new ScriptTextEdit(this);
  highlighter_ = new ScriptHighlighter(txtEdit_->document());
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(txtEdit_);

  connect(txtEdit_, &QPlainTextEdit::textChanged, this, [this] { dataChanged_ = true; });
  // The title's "*" follows the document's undo history: undoing back to the saved text takes
  // it away again.
  connect(txtEdit_->document(), &QTextDocument::modificationChanged, this, &FrmEdit::showModified);
  connect(txtEdit_, &ScriptTextEdit::inputReleased, this, &FrmEdit::SetEditBtn);
  connect(txtEdit_, &QPlainTextEdit::selectionChanged, this, &FrmEdit::SetEditBtn);
  connect(txtEdit_, &ScriptTextEdit::definitionFileDropped, this,
          [this](const QString &path) { openDroppedFile(path.toStdString()); });
  connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &FrmEdit::SetEditBtn);

  // Load: toolbar, menus with their key hints, font; each step on its own.
  try {
    main_.setEditorButtonsVisible(true);
  } catch (...) {
    // A load step that fails is skipped: the editor opens without its toolbar buttons.
  }
  buildMenus();
  try {
    applyFont();
  } catch (...) {
    // Skipped as above: the editor keeps the default font.
  }
  setCaption("Noname");
  setFocusProxy(txtEdit_);
  // The find dialog lives, hidden, as long as this window; the main window owns it.
  frmFind_ = new FrmFind(*this, workspace_, &main_);
}

FrmEdit::~FrmEdit() { unloadFindDialog(); }

FrmFind *FrmEdit::findDialog() const { return frmFind_.data(); }

void FrmEdit::unloadFindDialog() {
  if (frmFind_ == nullptr)
    return;
  frmFind_->storeSettings();
  delete frmFind_.data();
}

QAction *FrmEdit::addItem(QMenu *menu, const char *name, const QString &caption,
                          const QKeySequence &shortcut, void (FrmEdit::*command)()) {
  QAction *action = menu->addAction(caption);
  action->setObjectName(name);
  if (!shortcut.isEmpty())
    action->setShortcut(shortcut);
  if (command != nullptr)
    connect(action, &QAction::triggered, this, command);
  return action;
}

void FrmEdit::buildMenus() {
  QMenu *file = new QMenu("&File", this);
  file->setObjectName("mnuFile");
  addItem(file, "mnuFNew", "&New", QKeySequence("Ctrl+N"), &FrmEdit::newFile);
  addItem(file, "mnuFOpen", "&Open...", QKeySequence("Ctrl+O"), &FrmEdit::openFile);
  addItem(file, "mnuFClose", "&Close", {}, nullptr);
  connect(menuItem("mnuFClose"), &QAction::triggered, this, [this] { closeEditor(); });
  file->addSeparator();
  addItem(file, "mnuFSave", "&Save", QKeySequence("Ctrl+S"), nullptr);
  connect(menuItem("mnuFSave"), &QAction::triggered, this, [this] { save(); });
  addItem(file, "mnuFSaveAs", "Save &As...", {}, nullptr);
  connect(menuItem("mnuFSaveAs"), &QAction::triggered, this, [this] { saveAs(); });
  file->addSeparator();
  addItem(file, "mnuFTemplate", "Open Report &Template", {}, nullptr);
  connect(menuItem("mnuFTemplate"), &QAction::triggered, this,
          [this] { openSubject(DefinitionSubject::Template); });
  addItem(file, "mnuFReport", "Open &Report File", {}, nullptr);
  connect(menuItem("mnuFReport"), &QAction::triggered, this,
          [this] { openSubject(DefinitionSubject::Report); });
  addItem(file, "mnuFLog", "Open &Log File", {}, nullptr);
  connect(menuItem("mnuFLog"), &QAction::triggered, this,
          [this] { openSubject(DefinitionSubject::Log); });
  file->addSeparator();
  recentMenu_ = std::make_unique<RecentFilesMenu>(file, [this](int i) { openRecentFile(i); });
  file->addSeparator();
  addItem(file, "mnuFExit", "E&xit", {}, &FrmEdit::exitProgram);
  connect(file, &QMenu::aboutToShow, this, &FrmEdit::refreshFileMenu);

  QMenu *edit = new QMenu("&Edit", this);
  edit->setObjectName("mnuEdit");
  // The text box handles these keys itself; the menu shows them as hints.
  addItem(edit, "mnuEUndo", "&Undo\tCtrl+Z", {}, &FrmEdit::undo);
  edit->addSeparator();
  addItem(edit, "mnuECut", "Cu&t\tCtrl+X", {}, &FrmEdit::cut);
  addItem(edit, "mnuECopy", "&Copy\tCtrl+C", {}, &FrmEdit::copy);
  addItem(edit, "mnuEPaste", "&Paste", QKeySequence("Ctrl+V"), &FrmEdit::paste);
  addItem(edit, "mnuEDelete", "&Delete\tDel", {}, &FrmEdit::deleteSelection);
  addItem(edit, "mnuESelAll", "Select &All", QKeySequence("Ctrl+A"), &FrmEdit::selectAll);
  edit->addSeparator();
  addItem(edit, "mnuEFind", "&Find...", QKeySequence("Ctrl+F"), &FrmEdit::find);
  addItem(edit, "mnuENext", "Find &Next", QKeySequence("F3"), &FrmEdit::findNext);
  addItem(edit, "mnuEReplace", "&Replace...", QKeySequence("Ctrl+H"), &FrmEdit::replace);
  addItem(edit, "mnuEGoTo", "&Go To...", QKeySequence("Ctrl+G"), &FrmEdit::goTo);
  connect(edit, &QMenu::aboutToShow, this, &FrmEdit::refreshEditMenu);

  QMenu *report = new QMenu("&Report", this);
  report->setObjectName("mnuReport");
  addItem(report, "mnuRConfiguration", "&Configuration...", QKeySequence("F2"),
          &FrmEdit::configuration);
  report->addSeparator();
  addItem(report, "mnuRRun", "&Run", QKeySequence("F5"), &FrmEdit::run);

  QMenu *tools = new QMenu("&Tools", this);
  tools->setObjectName("mnuTools");
  QAction *option = tools->addAction("&Option...");
  option->setObjectName("mnuTOption");
  connect(option, &QAction::triggered, this, [this] { main_.optionDialog("Edit"); });

  QMenu *help = new QMenu("&Help", this);
  help->setObjectName("mnuHelp");
  main_.addHelpItems(help, "mnuHTipday", "Shortcut Keys");

  menus_ = {file, edit, report, tools, help};
  for (QMenu *menu : menus_) {
    menu->menuAction()->setObjectName(menu->objectName());
    // Opening a menu puts the find dialog out of the way.
    connect(menu, &QMenu::aboutToShow, this, [this] {
      if (frmFind_ != nullptr)
        frmFind_->hide();
    });
  }
}

QAction *FrmEdit::menuItem(const char *name) const {
  for (QMenu *menu : menus_)
    for (QAction *action : menu->findChildren<QAction *>(name))
      return action;
  return findChild<QAction *>(name);
}

void FrmEdit::applyFont() { txtEdit_->setFont(storedEditorFont()); }

void FrmEdit::setCaption(const QString &caption) {
  // "[*]" is where the desktop's unsaved-changes mark goes: "sales.kvd*".
  const QString title = caption + "[*]";
  setWindowTitle(title);
  if (QWidget *frame = parentWidget())
    frame->setWindowTitle(title);
  showModified(txtEdit_->document()->isModified());
}

QString FrmEdit::caption() const {
  QString title = windowTitle();
  title.remove("[*]");
  return title;
}

void FrmEdit::showModified(bool modified) {
  setWindowModified(modified);
  if (QWidget *frame = parentWidget())
    frame->setWindowModified(modified);
}

void FrmEdit::setDataChanged(bool changed) {
  dataChanged_ = changed;
  if (!changed)
    txtEdit_->document()->setModified(false);
  // setPlainText clears the document's flag without telling: show it as it is now.
  showModified(txtEdit_->document()->isModified());
}

void FrmEdit::setScript(const std::string &script) {
  QString text = QString::fromStdString(script);
  text.replace("\r\n", "\n");
  text.replace('\r', '\n');
  txtEdit_->setPlainText(text);
  setDataChanged(false);
}

std::string FrmEdit::scriptText() const { return withCrLf(txtEdit_->toPlainText()); }

bool FrmEdit::definitionCountsAsChanged() const {
  return dataChanged_ || workspace_.definition.definitionChanged;
}

bool FrmEdit::askToSave() {
  saveCancelled_ = false;
  if (!definitionCountsAsChanged())
    return true;
  const auto answer = prompt().question(
      this, productTitle(), "The file has changed.\r\nDo you want to save the changes?",
      QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
  if (answer == QMessageBox::No)
    return true;
  if (answer != QMessageBox::Yes)
    return false;
  // A save that failed or whose file dialog was cancelled keeps the text where it is.
  return save() && !saveCancelled_;
}

void FrmEdit::newFile() {
  if (askToSave())
    main_.mnuFNew_Click();
}

void FrmEdit::openFile() {
  if (askToSave())
    main_.mnuFOpen_Click();
}

void FrmEdit::openRecentFile(int index) {
  if (index < 0 || index >= 5)
    return;
  const RecentFileSlot &slot = main_.recentFiles().entries[static_cast<size_t>(index)];
  if (!slot.inUse())
    return;
  const std::string path = slot.caption;
  if (askToSave())
    main_.OpenFile(path);
}

void FrmEdit::openDroppedFile(const std::string &path) {
  if (askToSave())
    main_.OpenFile(path);
}

bool FrmEdit::closeEditor() {
  if (QWidget *frame = parentWidget())
    return frame->close();
  return close();
}

void FrmEdit::exitProgram() {
  if (closeEditor())
    main_.exitProgram();
}

bool FrmEdit::writeTo(const std::string &path) {
  ReportDefinition &def = workspace_.definition;
  def.script = scriptText();
  try {
    saveWithBackup(path, def);
  } catch (const std::exception &e) {
    ShowErrorMessage(e.what(), this);
    return false;
  }
  setDataChanged(false);
  return true;
}

bool FrmEdit::save() {
  const ReportDefinition &def = workspace_.definition;
  if (def.definitionFilePath.empty())
    return saveAs();
  if (!definitionCountsAsChanged())
    return true;
  return writeTo(def.definitionFilePath);
}

bool FrmEdit::saveAs() {
  const ReportDefinition &def = workspace_.definition;
  std::string folder = parentFolder(def.definitionFilePath);
  if (folder.empty())
    folder = RegGetString(Hive::CurrentUser, settingsKeyPath(), kDefaultDirectoryValue, "");
  const std::optional<QString> chosen =
      prompt().saveFileName(this, "Save As", QString::fromStdString(folder), kKvdFilter);
  if (!chosen) {
    saveCancelled_ = true;
    return false;
  }
  if (chosen->isEmpty())
    return false;
  const std::string path = QFileInfo(*chosen).absoluteFilePath().toStdString();
  if (!writeTo(path))
    return false;
  workspace_.definition.definitionFilePath = path;
  setCaption(QFileInfo(*chosen).fileName());
  saveCancelled_ = false;
  main_.AddRecentFileItem(path);
  return true;
}

void FrmEdit::openSubject(DefinitionSubject subject) {
  const ReportDefinition &def = workspace_.definition;
  const std::string *stored = &def.ReportTemplateFileName;
  const std::string *resolved = &def.resolvedTemplatePath;
  std::string prefix = "Report template file \"";
  if (subject == DefinitionSubject::Report) {
    stored = &def.ReportFileName;
    resolved = &def.resolvedReportPath;
    prefix = "Report file \"";
  } else if (subject == DefinitionSubject::Log) {
    stored = &def.LogFileName;
    resolved = &def.resolvedLogPath;
    prefix = "Log file \"";
  }

  // Names are taken against the definition's folder, as the run takes them; the process's
  // current directory is left alone.
  const std::string folder = parentFolder(def.definitionFilePath);
  std::string path = *resolved;
  if (path.empty() && !stored->empty()) {
    if (isNetworkPath(folder))
      path = joinPath(folder, *stored);
    else
      path = resolveRunPath(def, folder.empty() ? currentFolderOrRoot() : folder, *stored);
  }

  std::error_code ec;
  if (path.empty()) {
    const std::string shown = subject == DefinitionSubject::Log ? path : *stored;
    ShowErrorMessage(prefix + shown + "\" is not named correctly.", this);
  } else if (!fs::is_regular_file(path, ec)) {
    ShowErrorMessage(prefix + path + "\" does not exist.", this);
  } else if (subject != DefinitionSubject::Log) {
    OpenDocument(path, this);
  } else {
    const std::string editor =
        RegGetString(Hive::CurrentUser, settingsKeyPath(), kLogEditorValue, "");
    if (editor.empty()) {
      OpenDocument(path, this);
    } else {
      try {
        StartWithFile(editor, path);
      } catch (const std::exception &e) {
        ShowErrorMessage(e.what(), this);
      }
    }
  }
}

void FrmEdit::undo() {
  txtEdit_->setFocus();
  txtEdit_->undo();
}

void FrmEdit::cut() {
  txtEdit_->setFocus();
  txtEdit_->cut();
}

void FrmEdit::copy() {
  txtEdit_->setFocus();
  txtEdit_->copy();
}

void FrmEdit::paste() {
  txtEdit_->setFocus();
  txtEdit_->textCursor().insertText(QGuiApplication::clipboard()->text());
}

void FrmEdit::deleteSelection() {
  txtEdit_->setFocus();
  QTextCursor cursor = txtEdit_->textCursor();
  cursor.deleteChar(); // the selection, or the character after the caret, as Del does
  txtEdit_->setTextCursor(cursor);
}

void FrmEdit::selectAll() {
  txtEdit_->setFocus();
  txtEdit_->selectAll();
}

void FrmEdit::find() {
  const QTextCursor cursor = txtEdit_->textCursor();
  frmFind_->findWhat()->setText(cursor.hasSelection()
                                    ? firstSelectedLine(cursor)
                                    : QString::fromStdString(workspace_.findText));
  workspace_.findDirection = kSearchDown;
  frmFind_->direction()->setCurrentIndex(0);
  frmFind_->matchCase()->setChecked(workspace_.findMatchCase != 0);
  frmFind_->wrap()->setChecked(workspace_.findWrap == 1);
  frmFind_->showModeless(FindTab::Find);
}

void FrmEdit::findNext() {
  if (workspace_.findText.empty())
    return;
  if (!blnFindString(QString::fromStdString(workspace_.findText),
                     findStart(workspace_.findDirection), workspace_.findDirection,
                     workspace_.findMatchCase, workspace_.findWrap, workspace_.findWholeWord != 0))
    showSearchTextNotFound(this);
}

void FrmEdit::replace() {
  const QTextCursor cursor = txtEdit_->textCursor();
  if (cursor.hasSelection())
    frmFind_->findWhat()->setText(firstSelectedLine(cursor));
  frmFind_->showModeless(FindTab::Replace);
}

void FrmEdit::goTo() {
  FrmGoto &dialog = gotoDialog();
  dialog.exec();
}

FrmGoto &FrmEdit::gotoDialog() {
  if (frmGoto_ == nullptr)
    frmGoto_ = new FrmGoto(*this);
  return *frmGoto_;
}

int32_t FrmEdit::findStart(int16_t direction) const {
  const QTextCursor cursor = txtEdit_->textCursor();
  return searchStart(cursor.selectionStart(), cursor.selectionEnd() - cursor.selectionStart(),
                     direction, txtEdit_->document()->characterCount() - 1);
}

bool FrmEdit::blnFindString(const QString &strFind, int32_t lngStart, int16_t intDirection,
                            int16_t intFindCase, int16_t intFindWrap, bool wholeWord) {
  const SearchOptions options{intDirection, intFindCase != 0, intFindWrap == 1, wholeWord};
  const std::optional<qsizetype> found =
      findOccurrence(txtEdit_->toPlainText(), strFind, lngStart, options);
  if (!found)
    return false;
  QTextCursor cursor = txtEdit_->textCursor();
  cursor.setPosition(static_cast<int>(*found));
  cursor.setPosition(static_cast<int>(*found + strFind.size()), QTextCursor::KeepAnchor);
  txtEdit_->setTextCursor(cursor);
  return true;
}

bool FrmEdit::blnReplaceString(const QString &strFind, const QString &strReplace, int32_t lngStart,
                               int16_t intDirection, int16_t intFindCase, int16_t intFindWrap,
                               bool wholeWord) {
  QTextCursor cursor = txtEdit_->textCursor();
  if (cursor.hasSelection() && sameSearchText(cursor.selectedText(), strFind, intFindCase != 0)) {
    const qsizetype replacedLength = cursor.selectionEnd() - cursor.selectionStart();
    const bool startsAfterSelection = lngStart > cursor.selectionStart();
    cursor.insertText(strReplace);
    txtEdit_->setTextCursor(cursor);
    // A start after the replaced text moves with it, so that the search neither looks into the
    // replacement nor skips what followed the old text.
    if (startsAfterSelection)
      lngStart += static_cast<int32_t>(strReplace.size() - replacedLength);
  }
  return blnFindString(strFind, lngStart, intDirection, intFindCase, intFindWrap, wholeWord);
}

void FrmEdit::ReplaceAll(const QString &strFind, const QString &strReplace, int16_t intFindCase,
                         bool wholeWord) {
  SearchOptions options;
  options.matchCase = intFindCase != 0;
  options.wholeWord = wholeWord;
  int count = 0;
  const QString replaced =
      replaceEveryOccurrence(txtEdit_->toPlainText(), strFind, strReplace, options, &count);
  QTextCursor cursor = txtEdit_->textCursor();
  if (count > 0) {
    // One step for Undo.
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.insertText(replaced);
    cursor.endEditBlock();
  }
  moveCaretTo(0);
}

void FrmEdit::moveCaretTo(qsizetype offset) {
  QTextCursor cursor = txtEdit_->textCursor();
  const int last = txtEdit_->document()->characterCount() - 1;
  cursor.setPosition(static_cast<int>(std::clamp<qsizetype>(offset, 0, last)));
  txtEdit_->setTextCursor(cursor);
  txtEdit_->setFocus();
}

void FrmEdit::configuration() {
  FrmConfiguration dialog(workspace_, this);
  dialog.exec();
  SetEditBtn();
}

void FrmEdit::run() {
  FrmRun dialog(workspace_, scriptText(), this);
  dialog.exec();
  SetEditBtn();
}

void FrmEdit::SetEditBtn() {
  if (unloaded_)
    return;
  const ReportDefinition &def = workspace_.definition;
  const bool selected = txtEdit_->textCursor().hasSelection();
  main_.button("Template")->setEnabled(!def.ReportTemplateFileName.empty());
  main_.button("Report")->setEnabled(!def.ReportFileName.empty());
  main_.button("Cut")->setEnabled(selected);
  main_.button("Copy")->setEnabled(selected);
  main_.button("Paste")->setEnabled(clipboardHasText());
}

void FrmEdit::refreshFileMenu() {
  const ReportDefinition &def = workspace_.definition;
  menuItem("mnuFTemplate")->setEnabled(!def.ReportTemplateFileName.empty());
  menuItem("mnuFReport")->setEnabled(!def.ReportFileName.empty());
  menuItem("mnuFLog")->setEnabled(!def.LogFileName.empty());
  recentMenu_->show(main_.recentFiles());
}

void FrmEdit::refreshEditMenu() {
  const bool selected = txtEdit_->textCursor().hasSelection();
  menuItem("mnuECut")->setEnabled(selected);
  menuItem("mnuECopy")->setEnabled(selected);
  menuItem("mnuEPaste")->setEnabled(clipboardHasText());
}

void FrmEdit::closeEvent(QCloseEvent *event) {
  if (!unloaded_ && !askToSave()) {
    event->ignore();
    return;
  }
  event->accept();
  if (!unloaded_) {
    unloaded_ = true;
    unloadFindDialog();
    main_.editorUnloaded(this);
  }
}

} // namespace brevant
