#pragma once
// The report workbook from template to saved file: the report's folder is checked and the
// template opened before the script runs; afterwards the workbook is recalculated, protected,
// saved in the chosen file type (written beside the old report and renamed over it only when
// complete), and shown or closed.

#include "engine/run_state.h"

#include <optional>
#include <string>

namespace brevant {

// True when the template is open as the report workbook.
[[nodiscard]] bool openReportWorkbook(RunState &run);
// False when the report could not be saved.
[[nodiscard]] bool finishReportWorkbook(RunState &run);
// True when the report will be saved as a text file (CSV, text, DIF, SYLK), whose cells hold
// text of any length.
[[nodiscard]] bool reportSavedAsText(const RunState &run);

// Shows a saved report with the desktop's default program; otherwise says why not (no display,
// no program to show it with).
[[nodiscard]] std::optional<std::string> displayWithDesktop(const std::string &path);

} // namespace brevant
