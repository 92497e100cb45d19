#pragma once
// The signals a run answers. In a batch run SIGINT, SIGTERM and SIGHUP ask the run to stop as
// the Run dialog's End button does: the run notices between two records (or two script lines),
// saves what was filled and ends with an error. A second such signal ends the process at once,
// leaving the previous report as it was. A fatal fault (SIGSEGV, SIGBUS, SIGFPE, SIGABRT) in
// any run leaves a last line in the run log and no half-written file behind.

#include <csignal>
#include <string>

namespace brevant {

class RunSignals {
public:
  // Installs the handlers until destroyed; `batch` adds the stop signals. While one instance
  // lives, further ones change nothing.
  explicit RunSignals(bool batch);
  RunSignals(const RunSignals &) = delete;
  RunSignals &operator=(const RunSignals &) = delete;
  // Puts the previous handlers back.
  ~RunSignals();

private:
  bool batch_;
  bool nested_ = false;
  struct sigaction previousStop_[3];
  struct sigaction previousFatal_[4];
};

// The stop signal the batch run received (SIGTERM, ...), or 0.
int receivedStopSignal();

// "SIGTERM", "SIGSEGV", ...
std::string signalName(int signal);

} // namespace brevant
