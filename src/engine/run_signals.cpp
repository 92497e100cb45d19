#include "engine/run_signals.h"

#include "base/pending_files.h"
#include "definition/run_log.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace brevant {
namespace {

constexpr int kStopSignals[3] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kFatalSignals[4] = {SIGSEGV, SIGBUS, SIGFPE, SIGABRT};

std::atomic<int> stopSignal{0};
int installedDepth = 0;

// The handlers' texts are made before any signal can arrive: a handler may not build strings.
const char *secondStopLine(int signal) {
  switch (signal) {
  case SIGINT:
    return "Error: The run was ended at once by a second signal SIGINT. The report file was "
           "not saved.";
  case SIGTERM:
    return "Error: The run was ended at once by a second signal SIGTERM. The report file was "
           "not saved.";
  default:
    return "Error: The run was ended at once by a second signal SIGHUP. The report file was "
           "not saved.";
  }
}

const char *fatalLine(int signal) {
  switch (signal) {
  case SIGSEGV:
    return "Error: The run stopped on a fatal fault (SIGSEGV).";
  case SIGBUS:
    return "Error: The run stopped on a fatal fault (SIGBUS).";
  case SIGFPE:
    return "Error: The run stopped on a fatal fault (SIGFPE).";
  default:
    return "Error: The run stopped on a fatal fault (SIGABRT).";
  }
}

// Ends the process by `signal` itself, so that whoever started it sees how it ended.
void endBySignal(int signal) {
  ::signal(signal, SIG_DFL);
  ::raise(signal);
}

void onStopSignal(int signal) {
  const int savedErrno = errno;
  int none = 0;
  if (stopSignal.compare_exchange_strong(none, signal)) {
    errno = savedErrno;
    return;
  }
  logLineFromSignalHandler(secondStopLine(signal));
  abandonPendingWorkNow();
  endBySignal(signal);
}

void onFatalSignal(int signal) {
  logLineFromSignalHandler(fatalLine(signal));
  abandonPendingWorkNow();
  endBySignal(signal);
}

// A stack overflow is a fatal fault too: its handler needs a stack of its own.
void ensureAlternateStack() {
  static char stack[64 * 1024];
  static bool installed = false;
  if (installed)
    return;
  stack_t alternate{};
  alternate.ss_sp = stack;
  alternate.ss_size = sizeof stack;
  installed = ::sigaltstack(&alternate, nullptr) == 0;
}

} // namespace

RunSignals::RunSignals(bool batch) : batch_(batch) {
  // The batch start installs the handlers before the run, so that a signal during start-up is
  // not lost; the run's own instance then leaves them as they are.
  if (installedDepth++ > 0) {
    nested_ = true;
    return;
  }
  stopSignal.store(0);
  ensureAlternateStack();
  struct sigaction fatal {};
  fatal.sa_handler = onFatalSignal;
  sigemptyset(&fatal.sa_mask);
  fatal.sa_flags = SA_ONSTACK | SA_NODEFER | SA_RESETHAND;
  for (int i = 0; i < 4; ++i)
    ::sigaction(kFatalSignals[i], &fatal, &previousFatal_[i]);
  if (!batch_)
    return;
  struct sigaction stop {};
  stop.sa_handler = onStopSignal;
  sigemptyset(&stop.sa_mask);
  // Restarted calls: a database driver waiting for its server is not disturbed by the first
  // signal, which only sets the flag the run looks at.
  stop.sa_flags = SA_RESTART;
  for (int i = 0; i < 3; ++i)
    ::sigaction(kStopSignals[i], &stop, &previousStop_[i]);
}

RunSignals::~RunSignals() {
  --installedDepth;
  if (nested_)
    return;
  for (int i = 0; i < 4; ++i)
    ::sigaction(kFatalSignals[i], &previousFatal_[i], nullptr);
  if (batch_)
    for (int i = 0; i < 3; ++i)
      ::sigaction(kStopSignals[i], &previousStop_[i], nullptr);
}

int receivedStopSignal() { return stopSignal.load(); }

std::string signalName(int signal) {
  switch (signal) {
  case SIGINT:
    return "SIGINT";
  case SIGTERM:
    return "SIGTERM";
  case SIGHUP:
    return "SIGHUP";
  case SIGSEGV:
    return "SIGSEGV";
  case SIGBUS:
    return "SIGBUS";
  case SIGFPE:
    return "SIGFPE";
  case SIGABRT:
    return "SIGABRT";
  default:
    return "signal " + std::to_string(signal);
  }
}

} // namespace brevant
