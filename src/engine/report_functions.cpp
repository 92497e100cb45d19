#include "engine/script_functions.h"

namespace brevant {

// The record fills are not part of this build yet: a REPORT function passes every check of
// the dispatcher and then fails with a line that says why, so that a script's other functions
// still run and the report is still saved.
namespace {
bool fillNotAvailable(RunState &run) {
  run.log.logError("Failed to execute function REPORT.",
                   "The REPORT record fill is not available in this version of Brevant.");
  return false;
}
} // namespace

bool ReportFixed(RunState &run, const FunctionSettings &, const std::string &) {
  return fillNotAvailable(run);
}

bool ReportVariable(RunState &run, const FunctionSettings &, const std::string &) {
  return fillNotAvailable(run);
}

bool ReportGrouped(RunState &run, const FunctionSettings &, const std::string &) {
  return fillNotAvailable(run);
}

} // namespace brevant
