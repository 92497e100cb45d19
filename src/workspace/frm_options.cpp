#include "workspace/frm_options.h"

#include "desktop/change_flags.h"
#include "desktop/dialog_parts.h"
#include "desktop/prompt.h"
#include "desktop/tab_order.h"
#include "desktop/workspace_state.h"
#include "engine/components/spreadsheet/file_type_table.h"
#include "settings/app_settings.h"
#include "settings/registry.h"
#include "workspace/editor_font.h"
#include "workspace/frm_edit.h"
#include "workspace/script_text_edit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

#include <cmath>

namespace brevant {
namespace {

const char *const kFontSizes[] = {"8", "9", "10", "11", "12", "14", "16", "18", "24"};

QComboBox *makeCombo(const char *name, QWidget *parent) {
  auto *box = new QComboBox(parent);
  box->setObjectName(name);
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);
  return box;
}

QFrame *makePage(const char *name, QWidget *parent) {
  auto *page = new QFrame(parent);
  page->setObjectName(name);
  return page;
}

bool knownFontFamily(const QString &name) {
  return QFontDatabase::families().contains(name, Qt::CaseInsensitive);
}

} // namespace

FrmOptions::FrmOptions(Workspace &workspace, const QString &tag, FrmEdit *editor, QWidget *parent)
    : QDialog(parent), workspace_(workspace), tag_(tag), editor_(tag == "Edit" ? editor : nullptr),
      changes_(new ChangeFlags(this)) {
  setObjectName("frmOptions");
  setWindowTitle("Options");
  setModal(true);

  tabOptions_ = new QTabBar(this);
  tabOptions_->setObjectName("tabOptions");
  tabOptions_->setExpanding(false);
  fraOptions_ = new QStackedWidget(this);
  const std::pair<const char *, const char *> tabs[] = {{"&Font", "Font"},
                                                        {"&Environment", "Environment"},
                                                        {"Co&nnection", "Connection"},
                                                        {"E&xcel", "Excel"}};
  for (const auto &[caption, key] : tabs)
    tabOptions_->setTabData(tabOptions_->addTab(caption), QString(key));
  fraOptions_->addWidget(buildFontPage());
  fraOptions_->addWidget(buildEnvironmentPage());
  fraOptions_->addWidget(buildConnectionPage());
  fraOptions_->addWidget(buildExcelPage());

  const OkCancelRow buttons = okCancelRow(this);
  auto *layout = new QVBoxLayout(this);
  layout->addWidget(tabOptions_);
  layout->addWidget(fraOptions_);
  layout->addLayout(buttons.layout);

  connect(tabOptions_, &QTabBar::currentChanged, this, &FrmOptions::selectTab);
  connect(buttons.ok, &QPushButton::clicked, this, &FrmOptions::accept);

  changes_->watch(cboFont_);
  changes_->watch(cboFontSize_);
  for (QLineEdit *box :
       {txtDefDirectory_, txtLogEditor_, txtConnectionTimeout_, txtCommandTimeout_})
    changes_->watch(box);
  changes_->watch(chkEnableAddins_);
  changes_->watch(chkEnableAutoMacro_);
  load();
  setTabOrderFromLayout(this);
}

QWidget *FrmOptions::buildFontPage() {
  QFrame *page = makePage("fraOptions(1)", this);
  cboFont_ = makeCombo("cboFont", page);
  cboFont_->setMinimumWidth(260);
  cboFontSize_ = makeCombo("cboFontSize", page);
  auto *sample = new QGroupBox("Sample", page);
  sample->setObjectName("fraFontSample");
  lblFontSample_ = new QLabel("AaBbYyZz", sample);
  lblFontSample_->setObjectName("lblFontSample");
  lblFontSample_->setAlignment(Qt::AlignCenter);
  lblFontSample_->setMinimumHeight(72);
  auto *sampleLayout = new QVBoxLayout(sample);
  sampleLayout->addWidget(lblFontSample_);

  auto *grid = new QGridLayout(page);
  grid->addWidget(buddyLabel("Fon&t:", cboFont_, page), 0, 0);
  grid->addWidget(cboFont_, 0, 1);
  grid->addWidget(buddyLabel("Font &Size:", cboFontSize_, page), 1, 0);
  grid->addWidget(cboFontSize_, 1, 1);
  grid->addWidget(sample, 2, 0, 1, 2);

  cboFont_->installEventFilter(this);
  cboFontSize_->installEventFilter(this);
  connect(cboFont_, &QComboBox::textActivated, this, &FrmOptions::showChosenFont);
  connect(cboFontSize_, &QComboBox::textActivated, this, &FrmOptions::showChosenFontSize);
  return page;
}

QWidget *FrmOptions::buildEnvironmentPage() {
  QFrame *page = makePage("fraOptions(2)", this);
  txtDefDirectory_ = textBox("txtDefDirectory", page);
  txtDefDirectory_->setMinimumWidth(300);
  txtLogEditor_ = textBox("txtLogEditor", page);
  QPushButton *cmdDefDirectory = browseButton("cmdDefDirectory", page);
  QPushButton *cmdLogEditor = browseButton("cmdLogEditor", page);

  auto *grid = new QGridLayout(page);
  grid->addWidget(buddyLabel("&Default Directory:", txtDefDirectory_, page), 0, 0);
  grid->addWidget(txtDefDirectory_, 0, 1);
  grid->addWidget(cmdDefDirectory, 0, 2);
  grid->addWidget(buddyLabel("&Log Editor:", txtLogEditor_, page), 1, 0);
  grid->addWidget(txtLogEditor_, 1, 1);
  grid->addWidget(cmdLogEditor, 1, 2);
  grid->setRowStretch(2, 1);

  connect(cmdDefDirectory, &QPushButton::clicked, this, &FrmOptions::chooseDefaultDirectory);
  connect(cmdLogEditor, &QPushButton::clicked, this, &FrmOptions::chooseLogEditor);
  return page;
}

QWidget *FrmOptions::buildConnectionPage() {
  QFrame *page = makePage("fraOptions(3)", this);
  txtConnectionTimeout_ = textBox("txtConnectionTimeout", page);
  txtCommandTimeout_ = textBox("txtCommandTimeout", page);
  auto *grid = new QGridLayout(page);
  grid->addWidget(buddyLabel("Connec&tion Timeout (s):", txtConnectionTimeout_, page), 0, 0);
  grid->addWidget(txtConnectionTimeout_, 0, 1);
  grid->addWidget(buddyLabel("Comman&d Timeout (s):", txtCommandTimeout_, page), 1, 0);
  grid->addWidget(txtCommandTimeout_, 1, 1);
  grid->setColumnStretch(2, 1);
  grid->setRowStretch(2, 1);
  return page;
}

QWidget *FrmOptions::buildExcelPage() {
  QFrame *page = makePage("fraOptions(4)", this);
  chkEnableAddins_ = new QCheckBox("Enable addins when Excel &starts up", page);
  chkEnableAddins_->setObjectName("chkEnableAddins");
  chkEnableAutoMacro_ = new QCheckBox("Enable Auto_Open &Macro", page);
  chkEnableAutoMacro_->setObjectName("chkEnableAutoMacro");
  auto *note = new QLabel("These switches are kept for the spreadsheet application. Brevant "
                          "writes workbooks itself and runs no add-ins or macros, so here they "
                          "change nothing.",
                          page);
  note->setObjectName("lblExcelNote");
  note->setWordWrap(true);
  auto *layout = new QVBoxLayout(page);
  layout->addWidget(chkEnableAddins_);
  layout->addWidget(chkEnableAutoMacro_);
  layout->addSpacing(8);
  layout->addWidget(note);
  layout->addStretch();
  return page;
}

void FrmOptions::load() {
  // Each step on its own: one that fails leaves its controls as they are.
  try {
    const QSignalBlocker quietFont(cboFont_);
    const QSignalBlocker quietSize(cboFontSize_);
    cboFont_->addItems(QFontDatabase::families());
    for (const char *size : kFontSizes)
      cboFontSize_->addItem(size);
  } catch (...) {
    // A load step that fails is skipped: the lists stay short and the dialog still opens.
  }
  try {
    QFont sample = lblFontSample_->font();
    if (editor_ != nullptr) {
      const QFont font = editor_->textBox()->font();
      sample.setFamily(font.family());
      // A font sized in pixels has no point size: the sample keeps its own.
      const auto points = static_cast<int32_t>(std::lround(font.pointSizeF()));
      if (usableFontSize(points))
        sample.setPointSize(points);
    } else {
      const QFont stored = storedEditorFont();
      sample.setFamily(stored.family());
      sample.setPointSize(stored.pointSize());
    }
    lblFontSample_->setFont(sample);
    cboFont_->setEditText(sample.family());
    cboFontSize_->setEditText(QString::number(sample.pointSize()));
  } catch (...) {
    // Skipped as above: the sample keeps the dialog's own font.
  }
  try {
    const std::string key = settingsKeyPath();
    txtDefDirectory_->setText(
        QString::fromStdString(RegGetString(Hive::CurrentUser, key, kDefaultDirectoryValue, "")));
    txtLogEditor_->setText(
        QString::fromStdString(RegGetString(Hive::CurrentUser, key, kLogEditorValue, "")));
  } catch (...) {
    // Skipped as above: the boxes stay empty, as for values never stored.
  }
  const AppSettings &settings = workspace_.environment.settings;
  txtConnectionTimeout_->setText(QString::number(settings.ConnectionTimeout));
  txtCommandTimeout_->setText(QString::number(settings.CommandTimeout));
  chkEnableAddins_->setChecked(settings.EnableAddins);
  chkEnableAutoMacro_->setChecked(settings.EnableAutoMacro);
  selectTab(0);
  changes_->clear();
}

void FrmOptions::selectTab(int index) {
  if (tabOptions_->currentIndex() != index)
    tabOptions_->setCurrentIndex(index); // comes back here through the signal
  fraOptions_->setCurrentIndex(index);
  fraOptions_->currentWidget()->raise();
}

void FrmOptions::showChosenFont() {
  const QString name = cboFont_->currentText().trimmed();
  if (name.isEmpty() || !knownFontFamily(name))
    return;
  QFont sample = lblFontSample_->font();
  sample.setBold(false);
  sample.setItalic(false);
  sample.setFamily(name);
  lblFontSample_->setFont(sample);
}

void FrmOptions::showChosenFontSize() {
  const std::optional<int32_t> size = integerValue(cboFontSize_->currentText().toStdString());
  if (!size || !usableFontSize(*size))
    return;
  QFont sample = lblFontSample_->font();
  sample.setPointSize(*size);
  lblFontSample_->setFont(sample);
}

bool FrmOptions::eventFilter(QObject *watched, QEvent *event) {
  if (focusMovedOn(event)) {
    if (watched == cboFont_)
      showChosenFont();
    else if (watched == cboFontSize_)
      showChosenFontSize();
  }
  return QDialog::eventFilter(watched, event);
}

void FrmOptions::chooseDefaultDirectory() {
  const std::optional<QString> chosen =
      prompt().folderName(this, "Default Directory", txtDefDirectory_->text().trimmed());
  if (chosen && !chosen->isEmpty())
    txtDefDirectory_->setText(*chosen);
}

void FrmOptions::chooseLogEditor() {
  const QString current = txtLogEditor_->text().trimmed();
  const QString folder = current.isEmpty() ? QString() : QFileInfo(current).absolutePath();
  const std::optional<QString> chosen =
      prompt().openFileName(this, "Select Log Editor", folder, "All Type Files (*)|*");
  if (chosen && !chosen->isEmpty())
    txtLogEditor_->setText(*chosen);
}

int32_t FrmOptions::storeTimeout(QLineEdit *box, int32_t fallback, const char *valueName) {
  int32_t seconds = integerValue(box->text().toStdString()).value_or(-1);
  if (seconds < 0) {
    seconds = fallback;
    box->setText(QString::number(fallback));
  }
  RegSaveNumber(Hive::CurrentUser, settingsKeyPath(), valueName, seconds);
  return seconds;
}

void FrmOptions::store() {
  const std::string key = settingsKeyPath();
  const QFont sample = lblFontSample_->font();
  if (changes_->changed(cboFont_))
    RegSaveString(Hive::CurrentUser, key, kFontNameValue, sample.family().toStdString());
  if (changes_->changed(cboFontSize_))
    RegSaveNumber(Hive::CurrentUser, key, kFontSizeValue,
                  static_cast<int32_t>(std::lround(sample.pointSizeF())));
  if (changes_->changed(txtDefDirectory_))
    RegSaveString(Hive::CurrentUser, key, kDefaultDirectoryValue,
                  txtDefDirectory_->text().toStdString());
  if (changes_->changed(txtLogEditor_))
    RegSaveString(Hive::CurrentUser, key, kLogEditorValue, txtLogEditor_->text().toStdString());

  AppSettings &settings = workspace_.environment.settings;
  if (changes_->changed(txtConnectionTimeout_))
    settings.ConnectionTimeout =
        storeTimeout(txtConnectionTimeout_, kDefaultConnectionTimeout, kConnectionTimeoutValue);
  if (changes_->changed(txtCommandTimeout_))
    settings.CommandTimeout =
        storeTimeout(txtCommandTimeout_, kDefaultCommandTimeout, kCommandTimeoutValue);
  if (changes_->changed(chkEnableAddins_)) {
    settings.EnableAddins = chkEnableAddins_->isChecked();
    RegSaveNumber(Hive::CurrentUser, key, kEnableAddinsValue, settings.EnableAddins ? 1 : 0);
  }
  if (changes_->changed(chkEnableAutoMacro_)) {
    settings.EnableAutoMacro = chkEnableAutoMacro_->isChecked();
    RegSaveNumber(Hive::CurrentUser, key, kEnableAutoMacroValue, settings.EnableAutoMacro ? 1 : 0);
  }
}

void FrmOptions::accept() {
  // What is typed in the font boxes counts as if the focus had left them.
  showChosenFont();
  showChosenFontSize();
  if (editor_ != nullptr) {
    // A new font is no edit of the script.
    const bool changed = editor_->dataChanged();
    QFont font = editor_->textBox()->font();
    font.setFamily(lblFontSample_->font().family());
    font.setPointSize(lblFontSample_->font().pointSize());
    editor_->textBox()->setFont(font);
    editor_->setDataChanged(changed);
  }
  try {
    store();
  } catch (...) {
    // A setting that cannot be stored stays as it was; nothing is shown.
  }
  QDialog::accept();
}

} // namespace brevant
