#include "workspace/frm_run.h"

#include "desktop/error_box.h"
#include "desktop/prompt.h"
#include "desktop/tab_order.h"
#include "desktop/workspace_state.h"
#include "engine/run_driver.h"
#include "workspace/frm_input_para.h"
#include "workspace/frm_login.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace brevant {
namespace {

QLabel *valueLabel(const char *name, QWidget *parent) {
  auto *label = new QLabel(parent);
  label->setObjectName(name);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  label->setMinimumWidth(120);
  return label;
}

QString counter(int64_t n) { return QString::fromStdString(errorCountLabel(n)); }

} // namespace

FrmRun::FrmRun(Workspace &workspace, std::string scriptText, QWidget *parent)
    : QDialog(parent), workspace_(workspace), scriptText_(std::move(scriptText)) {
  setObjectName("frmRun");
  setWindowTitle("Run Report");

  chkDispReport_ = new QCheckBox("&Display the report when done", this);
  chkDispReport_->setObjectName("chkDispReport");
  chkDispReport_->setToolTip("Open the finished report with the desktop's spreadsheet program");
  cmdStart_ = new QPushButton("&Start", this);
  cmdStart_->setObjectName("cmdStart");
  cmdEnd_ = new QPushButton("&End", this);
  cmdEnd_->setObjectName("cmdEnd");
  cmdClose_ = new QPushButton("&Close", this);
  cmdClose_->setObjectName("cmdClose");
  // Enter must never start or stop a run by accident of focus: only the default button reacts.
  for (QPushButton *b : {cmdStart_, cmdEnd_, cmdClose_})
    b->setAutoDefault(false);
  connect(cmdStart_, &QPushButton::clicked, this, &FrmRun::start);
  connect(cmdEnd_, &QPushButton::clicked, this, &FrmRun::end);
  connect(cmdClose_, &QPushButton::clicked, this, &FrmRun::reject);

  fraRunTimeInfo_ = new QGroupBox("Run Time Information", this);
  fraRunTimeInfo_->setObjectName("fraRunTimeInfo");
  lblStatus_ = valueLabel("lblStatus", fraRunTimeInfo_);
  lblFunctionNo_ = valueLabel("lblFunctionNo", fraRunTimeInfo_);
  lblRecordCnt_ = valueLabel("lblRecordCnt", fraRunTimeInfo_);
  lblSQLStmCnt_ = valueLabel("lblSQLStmCnt", fraRunTimeInfo_);
  lblErrorCnt_ = valueLabel("lblErrorCnt", fraRunTimeInfo_);
  txtLogInfo_ = new QPlainTextEdit(fraRunTimeInfo_);
  txtLogInfo_->setObjectName("txtLogInfo");
  txtLogInfo_->setReadOnly(true);
  txtLogInfo_->setLineWrapMode(QPlainTextEdit::NoWrap);
  txtLogInfo_->setMinimumSize(560, 220);

  auto *info = new QGridLayout(fraRunTimeInfo_);
  info->addWidget(new QLabel("Status:", fraRunTimeInfo_), 0, 0);
  info->addWidget(lblStatus_, 0, 1);
  info->addWidget(new QLabel("Function No:", fraRunTimeInfo_), 0, 2);
  info->addWidget(lblFunctionNo_, 0, 3);
  info->addWidget(new QLabel("SQLs Count:", fraRunTimeInfo_), 1, 0);
  info->addWidget(lblSQLStmCnt_, 1, 1);
  info->addWidget(new QLabel("Records Count:", fraRunTimeInfo_), 1, 2);
  info->addWidget(lblRecordCnt_, 1, 3);
  info->addWidget(new QLabel("Errors Count:", fraRunTimeInfo_), 2, 0);
  info->addWidget(lblErrorCnt_, 2, 1);
  info->addWidget(new QLabel("Log Information:", fraRunTimeInfo_), 3, 0, 1, 4);
  info->addWidget(txtLogInfo_, 4, 0, 1, 4);
  info->setColumnStretch(1, 1);
  info->setColumnStretch(3, 1);
  info->setRowStretch(4, 1);

  auto *buttons = new QHBoxLayout;
  buttons->addWidget(chkDispReport_);
  buttons->addStretch();
  buttons->addWidget(cmdStart_);
  buttons->addWidget(cmdEnd_);
  buttons->addWidget(cmdClose_);
  auto *layout = new QVBoxLayout(this);
  layout->addLayout(buttons);
  layout->addWidget(fraRunTimeInfo_, 1);

  chkDispReport_->setChecked(workspace_.displayReport);
  lblStatus_->setText("Ready");
  lblSQLStmCnt_->setText(counter(0));
  lblErrorCnt_->setText(counter(0));
  lblRecordCnt_->setText("0");
  setState(State::Ready);
  cmdStart_->setFocus();
  setTabOrderFromLayout(this);
}

void FrmRun::setState(State state) {
  state_ = state;
  cmdStart_->setEnabled(state == State::Ready);
  cmdEnd_->setEnabled(state == State::Running);
  cmdClose_->setEnabled(state != State::Running);
  chkDispReport_->setEnabled(state == State::Ready);
  cmdStart_->setDefault(state == State::Ready);
  cmdClose_->setDefault(state == State::Done);
}

void FrmRun::start() {
  if (state_ != State::Ready)
    return;
  ReportDefinition &def = workspace_.definition;
  bool confirmed = false;
  if (def.parameterCount > 0) {
    try {
      FrmInputPara parameters(workspace_, this);
      confirmed = parameters.exec() == QDialog::Accepted;
    } catch (...) {
      // A Parameters dialog that cannot be shown counts as cancelled: the run does not start.
      confirmed = false;
    }
  }
  if (def.parameterCount >= 1 && !confirmed)
    return;

  setState(State::Running);
  stopRequested_ = false;
  workspace_.displayReport = chkDispReport_->isChecked();
  lblSQLStmCnt_->setText(counter(0));
  lblErrorCnt_->setText(counter(0));
  pacer_.reset();
  try {
    RunRequest request;
    request.interactiveRun = true;
    request.displayReport = workspace_.displayReport;
    request.scriptText = scriptText_;
    // The outcome has been shown already: the log box and, for a log that fails, the error box.
    (void)runReport(def, workspace_.environment, request, *this);
  } catch (const std::exception &e) {
    // The driver traps its own faults; anything else still ends the run in order.
    lineLogged(std::string("Error: ") + e.what());
  } catch (...) {
    lineLogged("Error: The run stopped at an unexpected fault.");
  }
  showProgress(); // the last counts and lines, whenever the last update was
  lblStatus_->setText("Done");
  setState(State::Done);
  cmdClose_->setFocus();
}

void FrmRun::end() {
  if (state_ != State::Running || stopRequested_)
    return;
  const auto answer = prompt().question(
      this, "Stop Running Report",
      "The report is not complete. Do you really want to stop running it?\r\n"
      "To stop running the report, click Yes. To continue running report, click No.",
      QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
  if (answer == QMessageBox::Yes)
    stopRequested_ = true; // the engine logs "Interrupted by user." when it sees the request
}

void FrmRun::reject() {
  // While a run is in progress the dialog cannot go away: the engine is still writing into it.
  if (state_ == State::Running)
    return;
  QDialog::reject();
}

void FrmRun::keyPressEvent(QKeyEvent *event) {
  if (event->key() == Qt::Key_Escape) {
    if (cmdClose_->isEnabled())
      reject();
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void FrmRun::closeEvent(QCloseEvent *event) {
  if (state_ == State::Running) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

void FrmRun::statusChanged(const std::string &status) {
  status_ = QString::fromStdString(status);
  changed_ = true;
}

void FrmRun::functionStarted(int16_t functionCount, const std::string &label) {
  functionCount_ = counter(functionCount);
  functionLabel_ = QString::fromStdString(label);
  records_ = 0;
  changed_ = true;
}

void FrmRun::recordCountChanged(int64_t records) {
  records_ = records;
  changed_ = true;
}

void FrmRun::processEvents() {
  if (!pacer_.due())
    return;
  showProgress();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void FrmRun::showError(const std::string &text) {
  showProgress();
  ShowErrorMessage(text, this);
}

void FrmRun::lineLogged(const std::string &text) {
  const QString line = QString::fromStdString(text);
  if (logBox_.append(text)) {
    logStartsOver_ = true;
    newLines_ = line;
  } else {
    if (!newLines_.isEmpty())
      newLines_ += '\n';
    newLines_ += line;
  }
  changed_ = true;
}

void FrmRun::errorCountChanged(int16_t errorCount) {
  errorCount_ = errorCount;
  changed_ = true;
}

void FrmRun::showProgress() {
  if (!changed_)
    return;
  changed_ = false;
  if (!status_.isEmpty())
    lblStatus_->setText(status_);
  if (!functionCount_.isEmpty()) {
    lblSQLStmCnt_->setText(functionCount_);
    lblFunctionNo_->setText(functionLabel_);
  }
  lblRecordCnt_->setText(counter(records_));
  lblErrorCnt_->setText(counter(errorCount_));
  if (logStartsOver_)
    txtLogInfo_->setPlainText(newLines_);
  else if (!newLines_.isEmpty())
    txtLogInfo_->appendPlainText(newLines_);
  if (logStartsOver_ || !newLines_.isEmpty()) {
    txtLogInfo_->moveCursor(QTextCursor::End);
    txtLogInfo_->verticalScrollBar()->setValue(txtLogInfo_->verticalScrollBar()->maximum());
    txtLogInfo_->horizontalScrollBar()->setValue(0); // the newest line in view from its start
  }
  newLines_.clear();
  logStartsOver_ = false;
}

bool FrmRun::requestLogin(int dataSourceIndex, DataSource &, Connection &connection) {
  showProgress();
  try {
    FrmLogin login(workspace_, dataSourceIndex, connection, this);
    login.exec();
    return true;
  } catch (...) {
    // A login dialog that cannot be shown is "no login": the connection stays closed and logged.
    return false;
  }
}

} // namespace brevant
