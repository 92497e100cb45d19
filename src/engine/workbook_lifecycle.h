#pragma once
// The report workbook from template to saved file: the report's folder is checked and the
// template opened before the script runs; afterwards the workbook is recalculated, protected,
// saved in the chosen file type (written beside the old report and renamed over it only when
// complete), and shown or closed.

#include "engine/run_state.h"

namespace brevant {

// True when the template is open as the report workbook.
bool openReportWorkbook(RunState &run);
// False when the report could not be saved.
bool finishReportWorkbook(RunState &run);
// True when the report will be saved as a text file (CSV, text, DIF, SYLK), whose cells hold
// text of any length.
bool reportSavedAsText(const RunState &run);

// Shows a saved report with the desktop's default program; false when there is no display or
// no program to show it with.
bool displayWithDesktop(const std::string &path, std::string &why);

} // namespace brevant
