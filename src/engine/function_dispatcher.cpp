#include "engine/function_dispatcher.h"

#include "base/strings.h"
#include "base/tokenizer.h"
#include "engine/components/spreadsheet/workbook.h"
#include "engine/numeric_text.h"
#include "engine/script_functions.h"
#include "engine/workbook_lifecycle.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <optional>

namespace brevant {
namespace {

// One PAGEBREAK item naming a group break ("2G", "1G2"): true when it was accepted.
bool takeGroupBreak(FunctionSettings &s, const std::string &item, size_t g) {
  const std::string after = item.substr(g + 1);
  int level = 0;
  if (after.empty())
    level = 1;
  else if (const auto n = roundedInt16(after))
    level = *n;
  int groups = 0;
  if (const auto n = roundedInt16(item.substr(0, g)))
    groups = *n;
  if (level <= 0 || groups <= 0 || level > s.groupCount) {
    s.pageBreakGroups = 0;
    s.pageBreakGroupLevel = 0;
    return false;
  }
  s.pageBreakGroups = static_cast<int16_t>(groups);
  s.pageBreakGroupLevel = static_cast<int16_t>(level);
  return true;
}

bool takeRowBreak(FunctionSettings &s, std::string item) {
  if (!item.empty() && item.back() == 'R')
    item.pop_back();
  const auto rows = roundedInt16(item);
  if (!rows || *rows <= 0)
    return false;
  s.pageBreakRows = *rows;
  return true;
}

} // namespace

bool parsePageBreaks(FunctionSettings &s, std::string_view text, bool printerAvailable,
                     RunLog &log) {
  s.pageBreakRows = 0;
  s.pageBreakGroups = 0;
  s.pageBreakGroupLevel = 0;
  if (text.empty())
    return true;
  if (!printerAvailable) {
    log.logError("Can not add a pagebreak. Printer error.", "");
    return false;
  }
  bool accepted = false;
  int pos = 1;
  for (;;) {
    const std::string token = nextToken(text, pos, true);
    if (token.empty())
      break;
    if (token == ",")
      continue;
    const std::string item = asciiUpper(unquote(token));
    const size_t g = item.find('G');
    if (s.pageBreakGroups == 0 && g != std::string::npos) {
      accepted = takeGroupBreak(s, item, g) || accepted;
    } else if (s.pageBreakRows == 0) {
      accepted = takeRowBreak(s, item) || accepted;
    }
  }
  return accepted;
}

void Dispatcher::dispatchFunction(FunctionSettings &settings, const std::string &sqlText) {
  const std::string label = "[" + settings.functionLabel + "]    ";
  try {
    run_.log.logLine(settings.functionHeader);
    run_.log.logLine(label + sqlText);
    if (run_.functionCount < 32767)
      ++run_.functionCount;
    if (run_.interactiveRun())
      run_.observer.functionStarted(run_.functionCount, settings.functionLabel);

    const uint64_t overlongBefore = overlongTexts();
    std::optional<bool> result;
    switch (settings.functionKind) {
    case kExecSqlFunction:
      result = ExecSqlFunction(run_, settings, sqlText);
      break;
    case kNameFunction:
      if (settings.nameCount == 0) {
        run_.log.logError("Syntax error. There is a lack of the parameter \"NAME\".", "");
        return;
      }
      result = NameFunction(run_, settings, sqlText);
      break;
    default:
      result = runReport(settings, sqlText);
      break;
    }
    if (const uint64_t cut = overlongTexts() - overlongBefore; cut > 0 && !reportSavedAsText(run_))
      run_.log.logLine(label + "Warning: " + std::to_string(cut) +
                       (cut == 1 ? " cell has" : " cells have") +
                       " more text than the 32,767 characters a workbook cell holds; the report "
                       "keeps the first 32,767.");
    if (!result)
      return;
    run_.log.logLine(label + (*result ? "Success." : "Failure."));
  } catch (const std::exception &e) {
    run_.log.logError("Failed to excute function.", e.what());
  }
}

uint64_t Dispatcher::overlongTexts() const {
  return run_.reportWorkbook ? run_.reportWorkbook->sharedStrings().overlongAdds() : 0;
}

bool Dispatcher::selectSheet(const FunctionSettings &settings) {
  Workbook &book = *run_.reportWorkbook;
  const std::string &name = settings.sheetName;
  try {
    run_.currentSheet = &book.Worksheets(name);
    return true;
  } catch (const std::exception &) {
  }
  const auto number = numericValue(name);
  if (number) {
    try {
      const double rounded = std::nearbyint(*number);
      if (rounded >= 1 && rounded <= 2147483647.0) {
        run_.currentSheet = &book.Worksheets(static_cast<int32_t>(rounded));
        return true;
      }
    } catch (const std::exception &) {
    }
    run_.log.logError("Syntax error. The sheet " + name + " does not exist.", "");
  } else {
    run_.log.logError("Syntax error. The sheet \"" + name + "\" does not exist.", "");
  }
  return false;
}

std::optional<bool> Dispatcher::runReport(FunctionSettings &settings, const std::string &sqlText) {
  if (!selectSheet(settings))
    return std::nullopt;
  run_.currentSheet->setDisplayPageBreaks(false);

  if (settings.cellCount == 0) {
    run_.log.logError("Syntax error. There is a lack of the parameter \"CELL\".", "");
    return std::nullopt;
  }
  if (settings.targets.empty() || settings.targets.front().empty()) {
    run_.log.logError("Syntax error. It is not a valid cell \"\" for the parameter \"CELL\".", "");
    return std::nullopt;
  }
  if (!parsePageBreaks(settings, settings.pageBreakText, run_.printerAvailable, run_.log))
    run_.log.logError("Syntax error. Error in pagebreak \"" + settings.pageBreakText + "\".", "");

  if (settings.fixedLayout != 0)
    return ReportFixed(run_, settings, sqlText);
  if (run_.excelMajorVersion > 11)
    run_.currentSheet->Activate();
  if (settings.groupCount >= 1)
    return ReportGrouped(run_, settings, sqlText);
  return ReportVariable(run_, settings, sqlText);
}

} // namespace brevant
