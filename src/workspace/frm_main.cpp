#include "workspace/frm_main.h"

#include "base/tokenizer.h"
#include "definition/definition_file.h"
#include "desktop/error_box.h"
#include "desktop/prompt.h"
#include "desktop/shell_open.h"
#include "desktop/workspace_state.h"
#include "settings/app_settings.h"
#include "settings/registry.h"
#include "workspace/app_icon.h"
#include "workspace/frm_about.h"
#include "workspace/frm_edit.h"
#include "workspace/frm_options.h"
#include "workspace/frm_tip.h"
#include "workspace/help_viewer.h"
#include "workspace/product_links.h"
#include "workspace/script_text_edit.h"
#include "workspace/toolbar_icons.h"
#include "workspace/window_placement.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QStyle>
#include <QToolBar>

#include <filesystem>

namespace brevant {
namespace {

namespace fs = std::filesystem;

const char *const kKvdFilter = "Quorvel Files (*.kvd)|*.kvd|All Type Files (*.*)|*.*";

struct ButtonSpec {
  const char *key;
  const char *tooltip;
  int image;
  const char *theme;
  QStyle::StandardPixmap fallback;
};

// The toolbar in its order; the image index is the button's place in the image list.
const ButtonSpec kButtons[] = {
    {"New", "New", 1, "document-new", QStyle::SP_FileIcon},
    {"Open", "Open", 2, "document-open", QStyle::SP_DialogOpenButton},
    {"Save", "Save", 3, "document-save", QStyle::SP_DialogSaveButton},
    {"Template", "Open Template", 4, "x-office-spreadsheet-template",
     QStyle::SP_FileDialogDetailedView},
    {"Report", "Open Report", 5, "x-office-spreadsheet", QStyle::SP_FileDialogContentsView},
    {"Cut", "Cut", 6, "edit-cut", QStyle::SP_DialogDiscardButton},
    {"Copy", "Copy", 7, "edit-copy", QStyle::SP_FileDialogNewFolder},
    {"Paste", "Paste", 8, "edit-paste", QStyle::SP_DialogApplyButton},
    {"Undo", "Undo", 9, "edit-undo", QStyle::SP_ArrowBack},
    {"Find", "Find", 10, "edit-find", QStyle::SP_FileDialogStart},
    {"Goto", "Goto", 11, "go-jump", QStyle::SP_ArrowForward},
    {"Start", "Start", 12, "media-playback-start", QStyle::SP_MediaPlay},
    {"Help", "Help", 13, "help-contents", QStyle::SP_DialogHelpButton},
};

// The buttons the editor shows while it is open.
const char *const kEditorButtons[] = {"Save",  "Template", "Report", "|Cut", "Cut",    "Copy",
                                      "Paste", "Undo",     "Find",   "Goto", "|Start", "Start"};

double logicalDpi(const QWidget *widget) {
  const QScreen *screen = widget->screen();
  if (screen == nullptr)
    screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->logicalDotsPerInchX() : 96.0;
}

} // namespace

FrmMain::FrmMain(Workspace &workspace, QWidget *parent)
    : QMainWindow(parent), workspace_(workspace) {
  setObjectName("frmMain");
  setWindowTitle("Brevant");
  setWindowIcon(applicationIcon(workspace_.environment.programFolder));
  setAcceptDrops(true);

  mdi_ = new QMdiArea(this);
  mdi_->setObjectName("mdiArea");
  mdi_->setBackground(QColor(0xab, 0xab, 0xab));
  mdi_->setAcceptDrops(true);
  setCentralWidget(mdi_);

  // Load: each step on its own; a failing one is skipped.
  try {
    helpFile_ = helpFilePath(workspace_.environment.programFolder);
  } catch (...) {
    // A load step that fails is skipped: Help then finds no file and says so when asked.
  }
  buildMenus();
  try {
    buildToolbar();
  } catch (...) {
    // Skipped as above: the menus still offer every command.
  }
  try {
    loadPlacement();
  } catch (...) {
    // Skipped as above: the window keeps its default place and size.
  }
  try {
    recent_.load();
  } catch (...) {
    // Skipped as above: the Recent Files list starts empty.
  }
  recentMenu_->show(recent_);
}

FrmMain::~FrmMain() = default;

void FrmMain::addHelpItems(QMenu *menu, const char *tipDayName, const char *keysCaption) {
  auto item = [&](const char *name, const QString &caption, void (FrmMain::*command)()) {
    QAction *action = menu->addAction(caption);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, command);
    return action;
  };
  item("mnuHContent", "&Help Content", &FrmMain::helpContent)->setShortcut(QKeySequence("F1"));
  QAction *tutorial = menu->addAction("T&utorial");
  tutorial->setObjectName("mnuHTutorial");
  connect(tutorial, &QAction::triggered, this, [this] { helpTopic(kHelpTopicTutorial); });
  menu->addSeparator();
  item(tipDayName, "Tip of the &Day", &FrmMain::tipOfTheDay);
  QAction *hints = menu->addAction("Hints and &Tips");
  hints->setObjectName("mnuHTip");
  connect(hints, &QAction::triggered, this, [this] { helpTopic(kHelpTopicHints); });
  QAction *keys = menu->addAction(keysCaption);
  keys->setObjectName("mnuHKeys");
  connect(keys, &QAction::triggered, this, [this] { helpTopic(kHelpTopicShortcutKeys); });
  menu->addSeparator();
  item("mnuHHomepage", "Home &Page", &FrmMain::homePage);
  item("mnuHSupport", "&Support", &FrmMain::support);
  menu->addSeparator();
  item("mnuHAbout", "&About...", &FrmMain::about);
}

void FrmMain::buildMenus() {
  QMenu *file = new QMenu("&File", this);
  file->setObjectName("mnuFile");
  QAction *fileNew = file->addAction("&New");
  fileNew->setObjectName("mnuFNew");
  fileNew->setShortcut(QKeySequence("Ctrl+N"));
  connect(fileNew, &QAction::triggered, this, &FrmMain::mnuFNew_Click);
  QAction *fileOpen = file->addAction("&Open...");
  fileOpen->setObjectName("mnuFOpen");
  fileOpen->setShortcut(QKeySequence("Ctrl+O"));
  connect(fileOpen, &QAction::triggered, this, &FrmMain::mnuFOpen_Click);
  file->addSeparator();
  recentMenu_ = std::make_unique<RecentFilesMenu>(file, [this](int i) { openRecentFile(i); });
  file->addSeparator();
  QAction *exit = file->addAction("E&xit");
  exit->setObjectName("mnuFExit");
  connect(exit, &QAction::triggered, this, &FrmMain::exitProgram);

  QMenu *tools = new QMenu("&Tools", this);
  tools->setObjectName("mnuTools");
  QAction *option = tools->addAction("&Option...");
  option->setObjectName("mnuOption");
  connect(option, &QAction::triggered, this, [this] { optionDialog(""); });

  QMenu *help = new QMenu("&Help", this);
  help->setObjectName("mnuHelp");
  addHelpItems(help, "mnuHTipDay", "Shortcut &Keys");

  mainMenus_ = {file, tools, help};
  for (QMenu *menu : mainMenus_)
    menu->menuAction()->setObjectName(menu->objectName());
  showMainMenus();
}

void FrmMain::showMainMenus() {
  menuBar()->clear();
  for (QMenu *menu : mainMenus_)
    menuBar()->addMenu(menu);
}

void FrmMain::buildToolbar() {
  tlbMain_ = addToolBar("Standard");
  tlbMain_->setObjectName("tlbMain");
  tlbMain_->setMovable(false);
  tlbMain_->setIconSize(QSize(22, 22));
  // Outside a desktop session Qt knows no icon theme; Adwaita is the one Debian always has.
  if (!QIcon::hasThemeIcon("document-open"))
    QIcon::setThemeName("Adwaita");
  for (const ButtonSpec &spec : kButtons) {
    const QString key = spec.key;
    if (key == "Cut" || key == "Start" || key == "Help") {
      QAction *separator = tlbMain_->addSeparator();
      separator->setObjectName("|" + key);
      buttons_["|" + key] = separator;
    }
    // Start and Template have pictures of their own: the themes' ones look disabled.
    const bool dark = isDarkPalette(palette());
    const bool own = key == "Start" || key == "Template";
    const QIcon picture = key == "Start" ? startIcon(dark)
                          : key == "Template"
                              ? templateIcon(dark)
                              : QIcon::fromTheme(spec.theme, style()->standardIcon(spec.fallback));
    const QIcon icon = toolbarIcon(picture, tlbMain_->iconSize().width(), palette(), !own);
    QAction *button = tlbMain_->addAction(icon, spec.tooltip);
    button->setObjectName("tlb" + key);
    button->setData(key);
    button->setToolTip(spec.tooltip);
    button->setProperty("imageIndex", spec.image);
    connect(button, &QAction::triggered, this, [this, key] { toolbarClicked(key); });
    buttons_[key] = button;
  }
  setEditorButtonsVisible(false);
}

QAction *FrmMain::button(const QString &key) const {
  const auto it = buttons_.find(key);
  return it != buttons_.end() ? it->second : nullptr;
}

void FrmMain::setEditorButtonsVisible(bool visible) {
  for (const char *key : kEditorButtons)
    if (QAction *action = button(key))
      action->setVisible(visible);
}

void FrmMain::loadPlacement() {
  const WindowPlacement p = loadWindowPlacement();
  if (p.state == kWindowMaximised) {
    setWindowState(windowState() | Qt::WindowMaximized);
    return; // a maximised window takes no position or size
  }
  const double dpi = logicalDpi(this);
  move(twipsToPixels(p.left, dpi), twipsToPixels(p.top, dpi));
  resize(std::max(200, twipsToPixels(p.width, dpi)), std::max(150, twipsToPixels(p.height, dpi)));
}

void FrmMain::savePlacement() {
  WindowPlacement p;
  if (isMinimized()) {
    p.state = kWindowMinimised;
  } else if (isMaximized()) {
    p.state = kWindowMaximised;
  } else {
    const double dpi = logicalDpi(this);
    p.state = kWindowNormal;
    p.left = pixelsToTwips(pos().x(), dpi);
    p.top = pixelsToTwips(pos().y(), dpi);
    p.width = pixelsToTwips(width(), dpi);
    p.height = pixelsToTwips(height(), dpi);
  }
  saveWindowPlacement(p);
}

FrmEdit &FrmMain::ensureEditor() {
  if (editor_ == nullptr) {
    editor_ = new FrmEdit(*this, workspace_);
    editorFrame_ = mdi_->addSubWindow(editor_);
    editorFrame_->setObjectName("frmEditFrame");
    editorFrame_->setAttribute(Qt::WA_DeleteOnClose);
    editorFrame_->setWindowIcon(windowIcon());
    menuBar()->clear();
    for (QMenu *menu : editor_->menus())
      menuBar()->addMenu(menu);
    connect(mdi_, &QMdiArea::subWindowActivated, editor_, [this](QMdiSubWindow *window) {
      if (window != nullptr && window == editorFrame_ && editor_ != nullptr)
        editor_->SetEditBtn();
    });
    editorFrame_->showMaximized();
  }
  editorFrame_->show();
  editor_->setFocus();
  return *editor_;
}

void FrmMain::editorUnloaded(FrmEdit *editor) {
  if (editor != editor_)
    return;
  setEditorButtonsVisible(false);
  showMainMenus();
  editor_ = nullptr;
  editorFrame_ = nullptr;
}

void FrmMain::mnuFNew_Click() {
  FrmEdit &editor = ensureEditor();
  editor.setCaption("Noname");
  editor.setScript("");
  editor.setDataChanged(false);
  workspace_.definition.reset();
  editor.SetEditBtn();
}

void FrmMain::mnuFOpen_Click() {
  const ReportDefinition &def = workspace_.definition;
  std::string folder;
  if (!def.definitionFilePath.empty())
    folder = fs::path(def.definitionFilePath).parent_path().string();
  else
    folder = RegGetString(Hive::CurrentUser, settingsKeyPath(), kDefaultDirectoryValue, "");
  const std::optional<QString> chosen =
      prompt().openFileName(this, "Open", QString::fromStdString(folder), kKvdFilter);
  if (!chosen || chosen->isEmpty())
    return;
  OpenFile(QFileInfo(*chosen).absoluteFilePath().toStdString());
}

void FrmMain::OpenFile(const std::string &path) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  ReportDefinition &def = workspace_.definition;
  std::error_code ec;
  ReportDefinition header;
  if (!fs::is_regular_file(path, ec)) {
    QApplication::restoreOverrideCursor();
    ShowErrorMessage("The file \"" + path + "\" does not exist.", this);
    mnuFNew_Click();
    return;
  }
  if (!checkHeader(path, header)) {
    QApplication::restoreOverrideCursor();
    ShowErrorMessage("The file \"" + path + "\" is not an Quorvel file.", this);
    mnuFNew_Click();
    return;
  }
  FrmEdit &editor = ensureEditor();
  // Everything is read before anything changes, so a file that cannot be read leaves the
  // workspace as it was.
  ReportDefinition opened;
  opened.formatVersion = header.formatVersion;
  const std::optional<std::string> script = readScript(path);
  if (!readDefinition(path, opened) || !script) {
    QApplication::restoreOverrideCursor();
    ShowErrorMessage("Error in reading the file \"" + path + "\".", this);
    return;
  }
  opened.definitionFilePath = path;
  opened.definitionChanged = false;
  def = std::move(opened);
  editor.setCaption(QString::fromStdString(fs::path(path).filename().string()));
  editor.setScript(*script);
  def.script = editor.scriptText();
  editor.SetEditBtn();
  AddRecentFileItem(def.definitionFilePath);
  QApplication::restoreOverrideCursor();
}

void FrmMain::AddRecentFileItem(const std::string &path) {
  recent_.add(path);
  recentMenu_->show(recent_);
}

void FrmMain::openRecentFile(int index) {
  if (index < 0 || index >= kRecentFileSlots || !recent_.entries[size_t(index)].inUse())
    return;
  OpenFile(recent_.entries[size_t(index)].caption);
}

void FrmMain::exitProgram() { close(); }

void FrmMain::toolbarClicked(const QString &key) {
  const bool editorOpen = button("Save") != nullptr && button("Save")->isVisible() && editor_;
  if (key == "Help") {
    helpContent();
    return;
  }
  if (key == "New" || key == "Open") {
    if (!editorOpen) {
      key == "New" ? mnuFNew_Click() : mnuFOpen_Click();
      return;
    }
  }
  if (!editor_)
    return;
  FrmEdit &editor = *editor_;
  const ReportDefinition &def = workspace_.definition;
  // Each route looks at the editor's menu item for the command and runs it only when enabled.
  struct Route {
    const char *key;
    const char *item;
  };
  static const Route routes[] = {
      {"New", "mnuFNew"},           {"Open", "mnuFOpen"},     {"Save", "mnuFSave"},
      {"Template", "mnuFTemplate"}, {"Report", "mnuFReport"}, {"Cut", "mnuECut"},
      {"Copy", "mnuECopy"},         {"Paste", "mnuEPaste"},   {"Undo", "mnuEUndo"},
      {"Find", "mnuEFind"},         {"Goto", "mnuEGoTo"},     {"Start", "mnuRRun"},
  };
  for (const Route &route : routes) {
    if (key != route.key)
      continue;
    QAction *item = editor.menuItem(route.item);
    if (item == nullptr)
      return;
    const bool selected = editor.textBox()->textCursor().hasSelection();
    if (key == "Template")
      item->setEnabled(!def.ReportTemplateFileName.empty());
    else if (key == "Report")
      item->setEnabled(!def.ReportFileName.empty());
    else if (key == "Cut" || key == "Copy")
      item->setEnabled(selected);
    else if (key == "Paste")
      item->setEnabled(!QGuiApplication::clipboard()->text().isEmpty());
    if (item->isEnabled())
      item->trigger();
    return;
  }
}

void FrmMain::helpContent() {
  std::error_code ec;
  if (!fs::is_regular_file(helpFile_, ec)) {
    ShowErrorMessage("Help file \"" + helpFile_ + "\" does not exist.", this);
    return;
  }
  if (helpViewer_ == nullptr)
    helpViewer_ = new HelpViewer(this);
  helpViewer_->showPage(helpFile_);
}

void FrmMain::helpTopic(int topic) {
  std::error_code ec;
  if (!fs::is_regular_file(helpFile_, ec)) {
    ShowErrorMessage("Help file \"" + helpFile_ + "\" does not exist.", this);
    return;
  }
  if (helpViewer_ == nullptr)
    helpViewer_ = new HelpViewer(this);
  helpViewer_->showPage(helpTopicPath(workspace_.environment.programFolder, topic));
}

void FrmMain::tipOfTheDay() {
  FrmTip tip(workspace_.environment.programFolder, this);
  tip.exec();
}

void FrmMain::about() {
  if (about_ == nullptr)
    about_ = new FrmAbout(workspace_.environment.programFolder, this);
  about_->exec();
}

void FrmMain::homePage() { OpenDocument(kHomePageAddress, this); }

void FrmMain::support() { OpenDocument(kSupportPageAddress, this); }

void FrmMain::optionDialog(const QString &tag) {
  FrmOptions dialog(workspace_, tag, tag == "Edit" ? editor_ : nullptr, this);
  dialog.exec();
}

void FrmMain::openDropped(const std::string &path) {
  if (editor_ != nullptr)
    editor_->openDroppedFile(path);
  else
    OpenFile(path);
}

void FrmMain::dragEnterEvent(QDragEnterEvent *event) {
  if (!droppedDefinitionFile(event->mimeData()).isEmpty())
    event->acceptProposedAction();
}

void FrmMain::dropEvent(QDropEvent *event) {
  const QString file = droppedDefinitionFile(event->mimeData());
  if (file.isEmpty())
    return;
  event->acceptProposedAction();
  openDropped(QFileInfo(file).absoluteFilePath().toStdString());
}

void FrmMain::closeEvent(QCloseEvent *event) {
  if (unloaded_) {
    event->accept();
    return;
  }
  // The editor's save question comes first and can keep the whole workspace open.
  if (editorFrame_ != nullptr && !editorFrame_->close()) {
    event->ignore();
    return;
  }
  try {
    savePlacement();
  } catch (...) {
    // Closing must not stop here: the next start uses the last place it could read.
  }
  try {
    recent_.save();
  } catch (...) {
    // As above: the next start shows the list as it was last stored.
  }
  // The other windows go, the most recently made first.
  if (about_ != nullptr)
    about_->close();
  if (helpViewer_ != nullptr)
    helpViewer_->close();
  unloaded_ = true;
  event->accept();
}

} // namespace brevant
