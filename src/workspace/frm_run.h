#pragma once
// "Run Report": asks for the parameter values, runs the report on the user-interface thread and
// shows its status, counters and log as it goes. The engine writes into the dialog through its
// RunObserver side. What the engine reports is kept and shown at most 20 times a second (and
// when the run ends): painting every record would make a run a hundred times slower than in
// batch. The event loop gets a turn at the same pace, so End still answers within 50 ms of a
// click when records come quickly. One run per opening.

#include "engine/log_box.h"
#include "engine/run_observer.h"
#include "engine/update_pacer.h"

#include <QDialog>
#include <QString>

#include <string>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace brevant {

struct Workspace;

class FrmRun : public QDialog, public RunObserver {
  Q_OBJECT
public:
  // `scriptText` is the editor's current text, unsaved edits included.
  FrmRun(Workspace &workspace, std::string scriptText, QWidget *parent = nullptr);

  enum class State { Ready, Running, Done };
  State state() const { return state_; }

  void start(); // cmdStart
  void end();   // cmdEnd: the stop question

  void reject() override;

  // RunObserver
  void statusChanged(const std::string &status) override;
  void functionStarted(int16_t functionCount, const std::string &label) override;
  void recordCountChanged(int64_t records) override;
  void processEvents() override;
  bool stopRequested() const override { return stopRequested_; }
  void showError(const std::string &text) override;
  void lineLogged(const std::string &text) override;
  void errorCountChanged(int16_t errorCount) override;
  bool requestLogin(int dataSourceIndex, DataSource &dataSource, Connection &connection) override;

  // Writes what the engine reported since the last update into the labels and the log box now.
  void showProgress();

protected:
  void keyPressEvent(QKeyEvent *event) override;
  void closeEvent(QCloseEvent *event) override;

private:
  void setState(State state);

  Workspace &workspace_;
  std::string scriptText_;
  State state_ = State::Ready;
  bool stopRequested_ = false;
  LogBox logBox_;

  // Reported by the engine and not yet shown.
  UpdatePacer pacer_;
  QString status_;
  QString functionCount_;
  QString functionLabel_;
  int64_t records_ = 0;
  int16_t errorCount_ = 0;
  QString newLines_;           // lines logged since the box was last written, '\n' between them
  bool logStartsOver_ = false; // the box starts over with newLines_
  bool changed_ = false;

  QCheckBox *chkDispReport_;
  QPushButton *cmdStart_;
  QPushButton *cmdEnd_;
  QPushButton *cmdClose_;
  QGroupBox *fraRunTimeInfo_;
  QLabel *lblStatus_;
  QLabel *lblFunctionNo_;
  QLabel *lblRecordCnt_;
  QLabel *lblSQLStmCnt_;
  QLabel *lblErrorCnt_;
  QPlainTextEdit *txtLogInfo_;
};

} // namespace brevant
