#include "engine/script_functions.h"

namespace brevant {

// The grouped fill is not part of this build yet: a REPORT function with GROUP passes every
// check of the dispatcher and then fails with a line that says why, so that a script's other
// functions still run and the report is still saved.
bool ReportGrouped(RunState &run, const FunctionSettings &, const std::string &) {
  run.log.logError("Failed to execute function REPORT.",
                   "The REPORT group fill is not available in this version of Brevant.");
  return false;
}

} // namespace brevant
