#include "configuration/frm_configuration.h"

#include "definition/definition_file.h"

#include "base/strings.h"
#include "base/tokenizer.h"
#include "configuration/connection_test.h"
#include "configuration/frm_data_source.h"
#include "configuration/frm_parameter.h"
#include "configuration/report_file_names.h"
#include "configuration/row_editor_mode.h"
#include "desktop/change_flags.h"
#include "desktop/dialog_parts.h"
#include "desktop/error_box.h"
#include "desktop/prompt.h"
#include "desktop/tab_order.h"
#include "desktop/workspace_state.h"
#include "engine/components/spreadsheet/file_type_table.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

#include <filesystem>

namespace brevant {
namespace {

// The templates the workbook engine opens; Qt reads the patterns of a filter from the
// parentheses, separated by blanks.
const char *const kTemplateFilter =
    "Excel Files (*.xlsx *.xlsm *.xltx *.xltm)|*.xlsx;*.xlsm;*.xltx;*.xltm|"
    "Text Files (*.csv *.txt)|*.csv;*.txt|All Type Files (*)|*";
const char *const kLogFilter = "Log Files (*.log)|*.log|All Type Files (*)|*";

int selectedRowOf(const QListWidget *list) {
  const QList<QListWidgetItem *> items = list->selectedItems();
  return items.isEmpty() ? -1 : list->row(items.front());
}

std::string text(const QLineEdit *box) { return box->text().toStdString(); }

std::string trimmed(const QLineEdit *box) { return trimBlanks(text(box)); }

// Removes the selected row of a list and of the rows behind it; the row that takes its place,
// or the new last row, is selected. False when nothing was selected or the user said No.
template <typename Row>
bool removeSelectedRow(QWidget *parent, QListWidget *list, std::vector<Row> &rows,
                       const char *question) {
  const int row = selectedRowOf(list);
  if (row < 0 || row >= static_cast<int>(rows.size()))
    return false;
  if (prompt().question(parent, productTitle(), question, QMessageBox::Yes | QMessageBox::No,
                        QMessageBox::Yes) != QMessageBox::Yes)
    return false;
  rows.erase(rows.begin() + row);
  delete list->takeItem(row);
  if (!rows.empty())
    list->setCurrentRow(std::min(row, static_cast<int>(rows.size()) - 1));
  return true;
}

} // namespace

FrmConfiguration::FrmConfiguration(Workspace &workspace, QWidget *parent)
    : QDialog(parent), workspace_(workspace), changes_(new ChangeFlags(this)) {
  setObjectName("frmConfiguration");
  setWindowTitle("Configuration");
  setModal(true);

  tabConfiguration_ = new QTabBar(this);
  tabConfiguration_->setObjectName("tabConfiguration");
  tabConfiguration_->addTab("&File");
  tabConfiguration_->addTab("Data &Source");
  tabConfiguration_->addTab("P&arameter");
  tabConfiguration_->setExpanding(false);
  fraConfiguration_ = new QStackedWidget(this);
  fraConfiguration_->addWidget(buildFilePage());
  fraConfiguration_->addWidget(buildDataSourcePage());
  fraConfiguration_->addWidget(buildParameterPage());

  const OkCancelRow buttons = okCancelRow(this);
  auto *layout = new QVBoxLayout(this);
  layout->addWidget(tabConfiguration_);
  layout->addWidget(fraConfiguration_);
  layout->addLayout(buttons.layout);

  connect(tabConfiguration_, &QTabBar::currentChanged, this, &FrmConfiguration::tabClicked);
  connect(buttons.ok, &QPushButton::clicked, this, &FrmConfiguration::accept);

  for (QLineEdit *box : {txtTemplateFile_, txtReportFile_, txtLogFile_, txtRptPwd_})
    changes_->watch(box);
  changes_->watch(cboFileType_);
  changes_->watch(chkProtectReport_);
  changes_->watch(chkEncryptPwd_);

  try {
    load();
  } catch (...) {
    // A step that fails leaves its controls as they are; the dialog still opens.
  }
  setTabOrderFromLayout(this);
}

FrmConfiguration::~FrmConfiguration() = default;

QWidget *FrmConfiguration::buildFilePage() {
  auto *page = new QFrame(this);
  page->setObjectName("fraConfiguration(1)");
  txtTemplateFile_ = textBox("txtTemplateFile", page);
  txtReportFile_ = textBox("txtReportFile", page);
  txtLogFile_ = textBox("txtLogFile", page);
  txtTemplateFile_->setMinimumWidth(360);
  QPushButton *cmdTemplateFile = browseButton("cmdTemplateFile", page);
  QPushButton *cmdReportFile = browseButton("cmdReportFile", page);
  QPushButton *cmdLogFile = browseButton("cmdLogFile", page);
  cboFileType_ = new QComboBox(page);
  cboFileType_->setObjectName("cboFileType");
  chkProtectReport_ = new QCheckBox("&Protect Report", page);
  chkProtectReport_->setObjectName("chkProtectReport");
  optInputPwd_ = new QRadioButton("&Input Password", page);
  optInputPwd_->setObjectName("optInputPwd");
  optRptPwd_ = new QRadioButton("Ra&ndom Password", page);
  optRptPwd_->setObjectName("optRptPwd");
  auto *passwordKind = new QButtonGroup(page);
  passwordKind->addButton(optInputPwd_);
  passwordKind->addButton(optRptPwd_);
  txtRptPwd_ = textBox("txtRptPwd", page);
  txtRptPwd_->setEchoMode(QLineEdit::Password);

  auto *grid = new QGridLayout(page);
  grid->addWidget(buddyLabel("&Template File:", txtTemplateFile_, page), 0, 0);
  grid->addWidget(txtTemplateFile_, 0, 1, 1, 2);
  grid->addWidget(cmdTemplateFile, 0, 3);
  grid->addWidget(buddyLabel("&Report File:", txtReportFile_, page), 1, 0);
  grid->addWidget(txtReportFile_, 1, 1, 1, 2);
  grid->addWidget(cmdReportFile, 1, 3);
  grid->addWidget(buddyLabel("File T&ype:", cboFileType_, page), 2, 0);
  grid->addWidget(cboFileType_, 2, 1, 1, 2);
  grid->addWidget(chkProtectReport_, 3, 0, 1, 4);
  auto *protection = new QGridLayout;
  protection->setContentsMargins(24, 0, 0, 0);
  protection->addWidget(optInputPwd_, 0, 0);
  protection->addWidget(txtRptPwd_, 0, 1);
  protection->addWidget(optRptPwd_, 1, 0);
  grid->addLayout(protection, 4, 0, 1, 4);
  grid->addWidget(buddyLabel("&Log File:", txtLogFile_, page), 5, 0);
  grid->addWidget(txtLogFile_, 5, 1, 1, 2);
  grid->addWidget(cmdLogFile, 5, 3);
  grid->setRowStretch(6, 1);

  for (QWidget *watched :
       std::initializer_list<QWidget *>{txtTemplateFile_, txtReportFile_, cboFileType_})
    watched->installEventFilter(this);
  connect(cmdTemplateFile, &QPushButton::clicked, this, &FrmConfiguration::chooseTemplateFile);
  connect(cmdReportFile, &QPushButton::clicked, this, &FrmConfiguration::chooseReportFile);
  connect(cmdLogFile, &QPushButton::clicked, this, &FrmConfiguration::chooseLogFile);
  connect(cboFileType_, &QComboBox::currentIndexChanged, this,
          &FrmConfiguration::NormalizeReportFileName);
  connect(chkProtectReport_, &QCheckBox::clicked, this, &FrmConfiguration::applyProtectionRule);
  connect(optInputPwd_, &QRadioButton::toggled, this, [this](bool on) {
    if (on)
      optionClicked();
  });
  connect(optRptPwd_, &QRadioButton::toggled, this, [this](bool on) {
    if (on)
      optionClicked();
  });
  return page;
}

QWidget *FrmConfiguration::buildDataSourcePage() {
  auto *page = new QFrame(this);
  page->setObjectName("fraConfiguration(2)");
  lstDataSource_ = new QListWidget(page);
  lstDataSource_->setObjectName("lstDataSource");
  cmdAddDS_ = commandButton("cmdAddDS", "&New...", page);
  cmdModifyDS_ = commandButton("cmdModifyDS", "&Edit...", page);
  cmdDeleteDS_ = commandButton("cmdDeleteDS", "&Delete", page);
  cmdTestDS_ = commandButton("cmdTestDS", "&Test", page);
  chkEncryptPwd_ = new QCheckBox("Enc&rypt Password", page);
  chkEncryptPwd_->setObjectName("chkEncryptPwd");

  auto *grid = new QGridLayout(page);
  grid->addWidget(buddyLabel("D&ata Source:", lstDataSource_, page), 0, 0);
  grid->addWidget(lstDataSource_, 1, 0, 5, 1);
  grid->addWidget(cmdAddDS_, 1, 1);
  grid->addWidget(cmdModifyDS_, 2, 1);
  grid->addWidget(cmdDeleteDS_, 3, 1);
  grid->addWidget(cmdTestDS_, 4, 1);
  grid->setRowStretch(5, 1);
  grid->addWidget(chkEncryptPwd_, 6, 0, 1, 2);

  connect(cmdAddDS_, &QPushButton::clicked, this, &FrmConfiguration::addDataSource);
  connect(cmdModifyDS_, &QPushButton::clicked, this, &FrmConfiguration::editDataSource);
  connect(cmdDeleteDS_, &QPushButton::clicked, this, &FrmConfiguration::deleteDataSource);
  connect(cmdTestDS_, &QPushButton::clicked, this, &FrmConfiguration::testSelectedDataSource);
  connect(lstDataSource_, &QListWidget::itemSelectionChanged, this, &FrmConfiguration::SetButtons);
  connect(lstDataSource_, &QListWidget::itemDoubleClicked, this, &FrmConfiguration::editDataSource);
  return page;
}

QWidget *FrmConfiguration::buildParameterPage() {
  auto *page = new QFrame(this);
  page->setObjectName("fraConfiguration(3)");
  lstParameter_ = new QListWidget(page);
  lstParameter_->setObjectName("lstParameter");
  cmdAddPara_ = commandButton("cmdAddPara", "&New...", page);
  cmdModifyPara_ = commandButton("cmdModifyPara", "&Edit...", page);
  cmdDeletePara_ = commandButton("cmdDeletePara", "&Delete", page);

  auto *grid = new QGridLayout(page);
  grid->addWidget(buddyLabel("&Parameter:", lstParameter_, page), 0, 0);
  grid->addWidget(lstParameter_, 1, 0, 4, 1);
  grid->addWidget(cmdAddPara_, 1, 1);
  grid->addWidget(cmdModifyPara_, 2, 1);
  grid->addWidget(cmdDeletePara_, 3, 1);
  grid->setRowStretch(4, 1);

  connect(cmdAddPara_, &QPushButton::clicked, this, &FrmConfiguration::addParameter);
  connect(cmdModifyPara_, &QPushButton::clicked, this, &FrmConfiguration::editParameter);
  connect(cmdDeletePara_, &QPushButton::clicked, this, &FrmConfiguration::deleteParameter);
  connect(lstParameter_, &QListWidget::itemSelectionChanged, this, &FrmConfiguration::SetButtons);
  connect(lstParameter_, &QListWidget::itemDoubleClicked, this, &FrmConfiguration::editParameter);
  return page;
}

void FrmConfiguration::load() {
  const ReportDefinition &def = workspace_.definition;
  selectTab(kFileTab);
  chkEncryptPwd_->setChecked(def.EncryptPassword);

  dataSources_.assign(def.dataSources.begin(),
                      def.dataSources.begin() +
                          std::clamp<int>(def.dataSourceCount, 0, kMaxDataSources));
  refreshDataSourceList();

  setText(txtTemplateFile_, def.ReportTemplateFileName);
  setText(txtReportFile_, def.ReportFileName);
  setText(txtLogFile_, def.LogFileName);

  chkProtectReport_->setChecked(def.ProtectReport);
  (def.hasProtectionPassword ? optInputPwd_ : optRptPwd_)->setChecked(true);
  if (def.ProtectReport && def.hasProtectionPassword)
    setText(txtRptPwd_, def.ProtectionPassword);
  applyProtectionRule();

  {
    const QSignalBlocker quiet(cboFileType_);
    cboFileType_->clear();
    cboFileType_->addItem("(Default)");
    for (const FileType &type : workspace_.environment.fileTypes)
      cboFileType_->addItem(QString::fromStdString(fileTypeItemText(type)));
    const int listed = findFileType(workspace_.environment.fileTypes, def.ReportFileType);
    unlistedFileTypeItem_ = -1;
    if (listed < 0 && !def.ReportFileType.empty()) {
      // Shown as it is stored, and kept unless another type is chosen: the table of the machine
      // that runs the report may know it.
      unlistedFileTypeItem_ = cboFileType_->count();
      cboFileType_->addItem(QString::fromStdString(unlistedFileTypeText(def.ReportFileType)));
    }
    cboFileType_->setCurrentIndex(unlistedFileTypeItem_ >= 0 ? unlistedFileTypeItem_ : listed + 1);
  }
  NormalizeReportFileName();

  parameters_.assign(def.parameters.begin(),
                     def.parameters.begin() +
                         std::clamp<int>(def.parameterCount, 0, kMaxParameters));
  refreshParameterList();
  SetButtons();

  // Opening and confirming the dialog is no change, whatever the steps above corrected.
  changes_->clear();
  dataSourcesChanged_ = false;
  parametersChanged_ = false;
}

int FrmConfiguration::currentTab() const { return tabConfiguration_->currentIndex() + 1; }

void FrmConfiguration::selectTab(int tab) {
  const int index = std::clamp(tab, kFileTab, kParameterTab) - 1;
  if (tabConfiguration_->currentIndex() == index)
    tabClicked(index);
  else
    tabConfiguration_->setCurrentIndex(index);
}

void FrmConfiguration::tabClicked(int index) {
  fraConfiguration_->setCurrentIndex(index);
  fraConfiguration_->currentWidget()->raise();
  SetButtons();
}

void FrmConfiguration::SetButtons() {
  cmdAddDS_->setEnabled(dataSources_.size() < static_cast<size_t>(kMaxDataSources));
  const bool dataSource = selectedDataSource() >= 0;
  cmdModifyDS_->setEnabled(dataSource);
  cmdDeleteDS_->setEnabled(dataSource);
  cmdTestDS_->setEnabled(dataSource);
  cmdAddPara_->setEnabled(parameters_.size() < static_cast<size_t>(kMaxParameters));
  const bool parameter = selectedParameter() >= 0;
  cmdModifyPara_->setEnabled(parameter);
  cmdDeletePara_->setEnabled(parameter);
}

void FrmConfiguration::applyProtectionRule() {
  const bool protect = chkProtectReport_->isChecked();
  optInputPwd_->setEnabled(protect);
  optRptPwd_->setEnabled(protect);
  txtRptPwd_->setEnabled(protect && optInputPwd_->isChecked());
}

void FrmConfiguration::optionClicked() {
  txtRptPwd_->setEnabled(chkProtectReport_->isChecked() && optInputPwd_->isChecked());
  // Switching between an input and a random password is a change of the protection.
  changes_->mark(chkProtectReport_);
}

const FileType *FrmConfiguration::selectedFileType() const {
  const int index = cboFileType_->currentIndex() - 1;
  const std::vector<FileType> &types = workspace_.environment.fileTypes;
  if (index < 0 || index >= static_cast<int>(types.size()))
    return nullptr;
  return &types[static_cast<size_t>(index)];
}

std::string FrmConfiguration::definitionFolder() const {
  const std::string &path = workspace_.definition.definitionFilePath;
  return path.empty() ? std::string() : std::filesystem::path(path).parent_path().string();
}

void FrmConfiguration::setText(QLineEdit *box, const std::string &text) {
  const QString value = QString::fromStdString(text);
  // Writing the same text again is no change of the box.
  if (box->text() != value)
    box->setText(value);
}

void FrmConfiguration::NormalizeReportFileName() {
  if (trimmed(txtReportFile_).empty())
    return;
  setText(txtReportFile_, normalizeReportFileName(text(txtReportFile_), text(txtTemplateFile_),
                                                  selectedFileType()));
}

void FrmConfiguration::applyTemplateFileDefaults() {
  const FileNames names = applyTemplateDefaults(
      {text(txtTemplateFile_), text(txtReportFile_), text(txtLogFile_)}, selectedFileType());
  setText(txtTemplateFile_, names.templateName);
  setText(txtReportFile_, names.report);
  setText(txtLogFile_, names.log);
}

bool FrmConfiguration::eventFilter(QObject *watched, QEvent *event) {
  if (focusMovedOn(event)) {
    if (watched == txtTemplateFile_)
      applyTemplateFileDefaults();
    else if (watched == txtReportFile_ || watched == cboFileType_)
      NormalizeReportFileName();
  }
  return QDialog::eventFilter(watched, event);
}

void FrmConfiguration::placeChosenFile(QLineEdit *box, const QString &chosen) {
  const QFileInfo file(chosen);
  const std::string folder = definitionFolder();
  const bool besideDefinition = !folder.empty() && file.absolutePath().toStdString() == folder;
  box->setText(besideDefinition ? file.fileName() : chosen);
}

void FrmConfiguration::chooseTemplateFile() {
  const std::optional<QString> chosen = prompt().openFileName(
      this, "Open", QString::fromStdString(definitionFolder()), kTemplateFilter);
  if (chosen && !chosen->isEmpty())
    placeChosenFile(txtTemplateFile_, *chosen);
  txtTemplateFile_->setFocus();
}

void FrmConfiguration::chooseReportFile() {
  QString filter = "All Type Files (*)|*";
  if (const FileType *type = selectedFileType()) {
    QStringList patterns;
    for (const std::string &ext : fileTypeExtensions(*type))
      patterns << QString::fromStdString("*." + ext);
    filter = QString::fromStdString(type->description) + " (" + patterns.join(' ') + ")|" +
             patterns.join(';') + "|" + filter;
  }
  const std::optional<QString> chosen = prompt().fileNameToWrite(
      this, "Report File", QString::fromStdString(definitionFolder()), filter);
  if (chosen && !chosen->isEmpty()) {
    placeChosenFile(txtReportFile_, *chosen);
    NormalizeReportFileName();
  }
  txtReportFile_->setFocus();
}

void FrmConfiguration::chooseLogFile() {
  const std::optional<QString> chosen = prompt().fileNameToWrite(
      this, "Log File", QString::fromStdString(definitionFolder()), kLogFilter);
  if (chosen && !chosen->isEmpty())
    placeChosenFile(txtLogFile_, *chosen);
  txtLogFile_->setFocus();
}

int FrmConfiguration::selectedDataSource() const { return selectedRowOf(lstDataSource_); }

int FrmConfiguration::selectedParameter() const { return selectedRowOf(lstParameter_); }

void FrmConfiguration::selectDataSource(int row) {
  lstDataSource_->setCurrentRow(row);
  SetButtons();
}

void FrmConfiguration::selectParameter(int row) {
  lstParameter_->setCurrentRow(row);
  SetButtons();
}

void FrmConfiguration::refreshList(QListWidget *list, const std::vector<std::string> &names) {
  const QSignalBlocker quiet(list);
  list->clear();
  for (const std::string &name : names)
    list->addItem(QString::fromStdString(name));
}

void FrmConfiguration::refreshDataSourceList() {
  std::vector<std::string> names;
  for (const DataSource &row : dataSources_)
    names.push_back(row.Name);
  refreshList(lstDataSource_, names);
}

void FrmConfiguration::refreshParameterList() {
  std::vector<std::string> names;
  for (const ReportParameter &row : parameters_)
    names.push_back(row.Name);
  refreshList(lstParameter_, names);
}

void FrmConfiguration::appendDataSource(const DataSource &row) {
  if (dataSources_.size() >= static_cast<size_t>(kMaxDataSources))
    return;
  dataSources_.push_back(row);
  lstDataSource_->addItem(QString::fromStdString(row.Name));
  selectDataSource(static_cast<int>(dataSources_.size()) - 1);
}

void FrmConfiguration::replaceDataSource(int row, const DataSource &values) {
  if (row < 0 || row >= static_cast<int>(dataSources_.size()))
    return;
  dataSources_[static_cast<size_t>(row)] = values;
  lstDataSource_->item(row)->setText(QString::fromStdString(values.Name));
}

void FrmConfiguration::appendParameter(const ReportParameter &row) {
  if (parameters_.size() >= static_cast<size_t>(kMaxParameters))
    return;
  parameters_.push_back(row);
  lstParameter_->addItem(QString::fromStdString(row.Name));
  selectParameter(static_cast<int>(parameters_.size()) - 1);
}

void FrmConfiguration::replaceParameter(int row, const ReportParameter &values) {
  if (row < 0 || row >= static_cast<int>(parameters_.size()))
    return;
  parameters_[static_cast<size_t>(row)] = values;
  lstParameter_->item(row)->setText(QString::fromStdString(values.Name));
}

void FrmConfiguration::SetDataSourceChanged() { dataSourcesChanged_ = true; }

void FrmConfiguration::SetParameterChanged() { parametersChanged_ = true; }

FrmDataSource &FrmConfiguration::dataSourceEditor() {
  if (frmDataSource_ == nullptr)
    frmDataSource_ = new FrmDataSource(*this);
  return *frmDataSource_;
}

FrmParameter &FrmConfiguration::parameterEditor() {
  if (frmParameter_ == nullptr)
    frmParameter_ = new FrmParameter(*this);
  return *frmParameter_;
}

void FrmConfiguration::addDataSource() {
  if (dataSources_.size() >= static_cast<size_t>(kMaxDataSources))
    return;
  dataSourceEditor().execFor(RowEditorMode::NewRow);
  SetButtons();
}

void FrmConfiguration::editDataSource() {
  if (selectedDataSource() < 0)
    return;
  dataSourceEditor().execFor(RowEditorMode::SelectedRow);
  SetButtons();
}

void FrmConfiguration::deleteDataSource() {
  if (removeSelectedRow(this, lstDataSource_, dataSources_,
                        "Do you want to delete the data source?"))
    SetDataSourceChanged();
  SetButtons();
}

void FrmConfiguration::testSelectedDataSource() {
  const int row = selectedDataSource();
  if (row < 0)
    return;
  const DataSource &source = dataSources_[static_cast<size_t>(row)];
  TestDataSource(source.Name, source.User, source.Password, source.ConnectionString);
}

void FrmConfiguration::TestDataSource(const std::string &name, const std::string &user,
                                      const std::string &password,
                                      const std::string &connectionString) {
  brevant::TestDataSource({name, user, password, connectionString}, workspace_.environment.settings,
                          definitionFolder(), this);
}

void FrmConfiguration::addParameter() {
  if (parameters_.size() >= static_cast<size_t>(kMaxParameters))
    return;
  parameterEditor().execFor(RowEditorMode::NewRow);
  SetButtons();
}

void FrmConfiguration::editParameter() {
  if (selectedParameter() < 0)
    return;
  parameterEditor().execFor(RowEditorMode::SelectedRow);
  SetButtons();
}

void FrmConfiguration::deleteParameter() {
  if (removeSelectedRow(this, lstParameter_, parameters_, "Do you want to delete the parameter?"))
    SetParameterChanged();
  SetButtons();
}

bool FrmConfiguration::validate() {
  const auto fail = [this](const char *message, QLineEdit *box) {
    ShowErrorMessage(message, this);
    selectTab(kFileTab);
    box->setFocus();
    return false;
  };
  const std::string templateName = trimmed(txtTemplateFile_);
  const std::string report = trimmed(txtReportFile_);
  const std::string log = trimmed(txtLogFile_);
  if (templateName.empty())
    return fail("Please select a report template file.", txtTemplateFile_);
  if (report == templateName)
    return fail("The report file must be different from the report template file.", txtReportFile_);
  if (log == templateName)
    return fail("The log file must be different from the report template file.", txtLogFile_);
  if (!report.empty() && !log.empty() && log == report)
    return fail("The log file must be different from the report file.", txtLogFile_);
  if (chkEncryptPwd_->isChecked()) {
    for (size_t i = 0; i < dataSources_.size(); ++i) {
      const DataSource &row = dataSources_[i];
      if (!row.ConnectionString.empty() || encipherable(row.Password))
        continue;
      ShowErrorMessage(unencipherablePasswordMessage(row.Name), this);
      selectTab(kDataSourceTab);
      selectDataSource(static_cast<int>(i));
      lstDataSource_->setFocus();
      return false;
    }
  }
  return true;
}

void FrmConfiguration::writeBack() {
  ReportDefinition &def = workspace_.definition;
  def.EncryptPassword = chkEncryptPwd_->isChecked();

  for (size_t i = 0; i < def.dataSources.size(); ++i) {
    DataSource &slot = def.dataSources[i];
    slot = {};
    if (i >= dataSources_.size())
      continue;
    const DataSource &row = dataSources_[i];
    slot.Name = row.Name;
    if (row.ConnectionString.empty()) {
      slot.User = row.User;
      slot.Password = row.Password;
    } else {
      slot.ConnectionString = row.ConnectionString;
    }
  }
  def.dataSourceCount = static_cast<int16_t>(dataSources_.size());

  def.ReportTemplateFileName = text(txtTemplateFile_);
  def.ReportFileName = text(txtReportFile_);
  def.LogFileName = text(txtLogFile_);
  def.resolvedTemplatePath.clear();
  def.resolvedReportPath.clear();
  def.resolvedLogPath.clear();

  if (const FileType *type = selectedFileType())
    def.ReportFileType = type->typeName;
  else if (cboFileType_->currentIndex() != unlistedFileTypeItem_)
    def.ReportFileType.clear(); // "(Default)"

  def.ProtectReport = chkProtectReport_->isChecked();
  def.hasProtectionPassword = def.ProtectReport && optInputPwd_->isChecked();
  def.ProtectionPassword = def.hasProtectionPassword ? text(txtRptPwd_) : std::string();

  for (size_t i = 0; i < def.parameters.size(); ++i)
    def.parameters[i] = i < parameters_.size() ? parameters_[i] : ReportParameter{};
  def.parameterCount = static_cast<int16_t>(parameters_.size());

  if (!def.definitionChanged) {
    bool changed = dataSourcesChanged_ || parametersChanged_;
    for (const QObject *control : std::initializer_list<const QObject *>{
             chkProtectReport_, txtRptPwd_, chkEncryptPwd_, txtTemplateFile_, txtReportFile_,
             txtLogFile_, cboFileType_})
      changed = changed || changes_->changed(control);
    def.definitionChanged = changed;
  }
}

void FrmConfiguration::accept() {
  NormalizeReportFileName();
  if (!validate())
    return;
  writeBack();
  QDialog::accept();
}

} // namespace brevant
