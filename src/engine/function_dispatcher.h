#pragma once
// Runs each complete function the parser read: logs it, counts it, makes the checks every
// function of its kind needs (the NAME list, the worksheet, the CELL list, the page breaks),
// hands it to its executor and logs "Success." or "Failure.".

#include "engine/function_settings.h"
#include "engine/run_state.h"
#include "engine/script_parser.h"

#include <string>
#include <string_view>

namespace brevant {

// Reads a PAGEBREAK value ("50", "50R", "2G", "1G2", "50,1G") into the settings' three
// page-break fields; false (with the fields 0) when no item was accepted or there is no
// printer. An empty text means no page breaks and is accepted.
[[nodiscard]] bool parsePageBreaks(FunctionSettings &settings, std::string_view text,
                                   bool printerAvailable, RunLog &log);

class Dispatcher final : public FunctionDispatcher {
public:
  explicit Dispatcher(RunState &run) : run_(run) {}
  void dispatchFunction(FunctionSettings &settings, const std::string &sqlText) override;

private:
  // The REPORT checks and executor; nullopt when a check stopped the function.
  [[nodiscard]] std::optional<bool> runReport(FunctionSettings &settings,
                                              const std::string &sqlText);
  // Texts given so far that are longer than a workbook cell holds.
  uint64_t overlongTexts() const;
  [[nodiscard]] bool selectSheet(const FunctionSettings &settings);

  RunState &run_;
};

} // namespace brevant
