#pragma once
// One run of a report: paths resolved, log opened, names checked, data sources connected, the
// template opened, the script run, the report saved, everything closed again — each step in
// the run log. Nothing escapes: every fault ends as a log line.

#include "definition/report_definition.h"
#include "engine/run_state.h"

#include <string>

namespace brevant {

struct RunOutcome {
  bool logOpened = false; // false: the run could not even create its log
  int16_t errorCount = 0; // errors the run logged
  std::string logPath;    // where the log went
  std::string reportPath; // the report file the run wrote (or meant to)
  // Empty, or why the log could not be created or was not written to the end.
  std::string logError;
};

[[nodiscard]] RunOutcome runReport(ReportDefinition &definition,
                                   const ProgramEnvironment &environment, const RunRequest &request,
                                   RunObserver &observer);

// A name from the definition as a path: parameters substituted, then taken relative to the
// definition's folder ('\' and '/' both separate folders).
[[nodiscard]] std::string resolveRunPath(const ReportDefinition &definition,
                                         const std::string &folder, const std::string &name);

} // namespace brevant
