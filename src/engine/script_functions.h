#pragma once
// The executors of the script's functions. Each takes the function's settings and SQL text,
// logs its own failures, and returns true on success; the dispatcher writes the outcome line.

#include "engine/function_settings.h"
#include "engine/run_state.h"

#include <string>

namespace brevant {

[[nodiscard]] bool ExecSqlFunction(RunState &run, const FunctionSettings &settings,
                                   const std::string &sql);
[[nodiscard]] bool NameFunction(RunState &run, const FunctionSettings &settings,
                                const std::string &sql);
// REPORT with TYPE=FIX, TYPE=VAR without GROUP, and TYPE=VAR with GROUP.
[[nodiscard]] bool ReportFixed(RunState &run, const FunctionSettings &settings,
                               const std::string &sql);
[[nodiscard]] bool ReportVariable(RunState &run, const FunctionSettings &settings,
                                  const std::string &sql);
[[nodiscard]] bool ReportGrouped(RunState &run, const FunctionSettings &settings,
                                 const std::string &sql);

} // namespace brevant
