#pragma once
// The program-wide state of an interactive session: the one report definition, what the program
// knows about itself, and the flags the dialogs hand back.

#include "definition/report_definition.h"
#include "engine/run_state.h"

#include <cstdint>
#include <string>

namespace brevant {

// dialogResult values left by the modal input dialogs.
constexpr int16_t kDialogConfirmed = 6;
constexpr int16_t kDialogCancelled = 7;
// dialogResult values telling a row editor of the configuration dialog what to do.
constexpr int16_t kDialogNewRow = 1;
constexpr int16_t kDialogEditRow = 3;
// dialogResult values telling the find dialog which tab to show.
constexpr int16_t kFindTab = 4;
constexpr int16_t kReplaceTab = 5;

struct Workspace {
  ReportDefinition definition;
  ProgramEnvironment environment;
  // Show the finished report; kept for the session only, never stored.
  bool displayReport = false;
  int16_t dialogResult = 0;
  // The data source whose login dialog is shown.
  int16_t loginDataSourceIndex = 0;
  // The find settings, kept from one search to the next for the whole session.
  std::string findText;
  int16_t findDirection = 0; // 0 down, 1 up
  int16_t findMatchCase = 0;
  int16_t findWrap = 1;
  int16_t findWholeWord = 0;
};

} // namespace brevant
