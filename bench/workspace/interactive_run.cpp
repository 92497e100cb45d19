// Times one report run three ways in one process, on whatever display Qt is given (run it under
// xvfb-run for a real X server): in batch (no window), from the Run dialog, and from the Run
// dialog stopped by End during the record loop. For End it reports how long after the click
// reached the dialog's event queue the run logged "Interrupted by user.".
//   bench_interactive_run <definition.kvd> <program folder with kvdconv.cfg> [stop trials]

#include "definition/definition_file.h"
#include "desktop/prompt.h"
#include "desktop/workspace_state.h"
#include "engine/components/spreadsheet/file_type_table.h"
#include "engine/run_driver.h"
#include "workspace/frm_run.h"

#include <QApplication>
#include <QPushButton>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using namespace brevant;
using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Answers the stop question with Yes at once.
class YesPrompt : public Prompt {
public:
  void message(QWidget *, const QString &, const QString &, QMessageBox::Icon) override {}
  QMessageBox::StandardButton question(QWidget *, const QString &, const QString &,
                                       QMessageBox::StandardButtons,
                                       QMessageBox::StandardButton) override {
    return QMessageBox::Yes;
  }
  std::optional<QString> openFileName(QWidget *, const QString &, const QString &,
                                      const QString &) override {
    return std::nullopt;
  }
  std::optional<QString> saveFileName(QWidget *, const QString &, const QString &,
                                      const QString &) override {
    return std::nullopt;
  }
  std::optional<QString> fileNameToWrite(QWidget *, const QString &, const QString &,
                                         const QString &) override {
    return std::nullopt;
  }
  std::optional<QString> folderName(QWidget *, const QString &, const QString &) override {
    return std::nullopt;
  }
};

// The Run dialog that clicks its own End button when the record loop reaches `clickAt`, the way
// the window system would deliver a click: as an event in the queue. It notes when the click was
// queued and when the stop reached the log.
class TimedRun : public FrmRun {
public:
  TimedRun(Workspace &workspace, const std::string &script, int64_t clickAt)
      : FrmRun(workspace, script), clickAt_(clickAt) {}
  void recordProgress(int64_t record, int64_t total) override {
    if (record == clickAt_) {
      clicked = Clock::now();
      QMetaObject::invokeMethod(findChild<QPushButton *>("cmdEnd"), "click", Qt::QueuedConnection);
    }
    FrmRun::recordProgress(record, total);
  }
  void processEvents() override {
    const auto start = Clock::now();
    FrmRun::processEvents();
    inDialog += Clock::now() - start;
  }
  void lineLogged(const std::string &text) override {
    if (text == "Error: Interrupted by user.")
      stopped = Clock::now();
    FrmRun::lineLogged(text);
  }
  Clock::time_point clicked{}, stopped{};
  Clock::duration inDialog{}; // painting and event handling at the engine's yields

private:
  int64_t clickAt_;
};

// Waits until the window is on the screen, so that its painting is part of the run.
void showAndSettle(QWidget &window) {
  window.show();
  const auto until = Clock::now() + std::chrono::milliseconds(500);
  while (Clock::now() < until)
    QApplication::processEvents(QEventLoop::AllEvents, 20);
}

} // namespace

int main(int argc, char **argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s <definition.kvd> <program folder> [stop trials]\n", argv[0]);
    return 2;
  }
  QApplication application(argc, argv);
  const std::string definitionPath = argv[1];
  const int trials = argc > 3 ? std::max(0, std::atoi(argv[3])) : 3;

  Workspace workspace;
  workspace.environment.programFolder = argv[2];
  workspace.environment.fileTypes = loadFileTypeTable(std::string(argv[2]) + "/kvdconv.cfg");
  if (const auto error = openDefinition(definitionPath, workspace.definition)) {
    std::fprintf(stderr, "%s\n", error->c_str());
    return 2;
  }
  const ReportDefinition loaded = workspace.definition;
  const std::string script = loaded.script;

  // Batch, the same call the command line makes with an observer that does nothing, and from
  // the Run dialog, taking turns so that a busy machine weighs on both alike; the best of each.
  double batch = 1e9, dialog = 1e9, updates = 0;
  for (int round = 0; round < 2; ++round) {
    workspace.definition = loaded;
    RunRequest request;
    RunObserver quiet;
    auto start = Clock::now();
    // Only the time counts here; the outcome is the same run the dialog makes next.
    (void)runReport(workspace.definition, workspace.environment, request, quiet);
    batch = std::min(batch, secondsSince(start));

    workspace.definition = loaded;
    TimedRun run(workspace, script, -1);
    showAndSettle(run);
    start = Clock::now();
    run.start();
    const double seconds = secondsSince(start);
    if (seconds < dialog)
      updates = std::chrono::duration<double>(run.inDialog).count();
    dialog = std::min(dialog, seconds);
  }
  std::printf("batch run in process:   %.2f s\n", batch);
  std::printf("interactive run:        %.2f s, of which %.2f s in the dialog's updates\n", dialog,
              updates);

  // Stopped by End at a different record of each trial; the stop question is answered Yes.
  YesPrompt yes;
  setPrompt(&yes);
  double worst = 0;
  for (int trial = 0; trial < trials; ++trial) {
    workspace.definition = loaded;
    TimedRun run(workspace, script, 20000 + 37717 * trial);
    showAndSettle(run);
    run.start();
    if (run.stopped == Clock::time_point{}) {
      std::printf("End trial %d: the run ended before the click\n", trial + 1);
      continue;
    }
    const double ms = std::chrono::duration<double, std::milli>(run.stopped - run.clicked).count();
    worst = std::max(worst, ms);
    std::printf("End trial %d: stopped %.1f ms after the click\n", trial + 1, ms);
  }
  setPrompt(nullptr);
  if (trials > 0)
    std::printf("End answered within:    %.1f ms (worst of %d)\n", worst, trials);
  return 0;
}
