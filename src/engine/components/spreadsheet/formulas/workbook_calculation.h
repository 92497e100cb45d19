#pragma once
// Computes every formula of a workbook, as the spreadsheet does before it saves: cells in the
// order their values depend on one another, across sheets, on a worklist rather than the call
// stack, so a chain of a million cells is no deeper than one. Each formula's result becomes its
// cached value (Formula::cachedType and the rest), which the writers save.
//
// A formula that cannot be computed (a function the library does not have, a reference into
// another workbook, a circular reference, text that is no formula) is left without a cached
// value, and so is every formula that reads it; the outcome names what stopped them.

#include <cstddef>
#include <string>
#include <vector>

namespace brevant {

class Workbook;

struct CalculationOutcome {
  size_t formulas = 0;             // formula cells computed or attempted
  size_t uncomputed = 0;           // of those, the ones left without a value
  size_t evaluations = 0;          // formulas evaluated, counting the ones tried again after
                                   // the cells they read were computed
  std::vector<std::string> causes; // what stopped them, each once: "CUBEVALUE", ...
};

// `now` is the date serial TODAY() and NOW() see.
CalculationOutcome calculateWorkbook(Workbook &book, double now);

// The local date and time as a date serial of the workbook's date system.
double currentDateSerial(bool date1904);

// The run log's line for an outcome with uncomputed formulas, e.g.
// "Warning: 3 formulas could not be computed (CUBEVALUE)."; empty when every formula computed.
std::string calculationWarning(const CalculationOutcome &outcome);

} // namespace brevant
