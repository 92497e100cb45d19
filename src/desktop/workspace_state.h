#pragma once
// The program-wide state of an interactive session: the one report definition, what the program
// knows about itself, and the settings that last from one opening of a dialog to the next. The
// dialogs take what they are to do as arguments and hand their results back themselves.

#include "definition/report_definition.h"
#include "engine/run_state.h"

#include <cstdint>
#include <string>

namespace brevant {

struct Workspace {
  ReportDefinition definition;
  ProgramEnvironment environment;
  // Show the finished report; kept for the session only, never stored.
  bool displayReport = false;
  // The find settings, kept from one search to the next for the whole session.
  std::string findText;
  int16_t findDirection = 0; // 0 down, 1 up
  int16_t findMatchCase = 0;
  int16_t findWrap = 1;
  int16_t findWholeWord = 0;
};

} // namespace brevant
