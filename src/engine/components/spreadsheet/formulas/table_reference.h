#pragma once
// Structured references to the tables of a workbook: Table1[Amount], Table1[#All],
// Table1[[#This Row],[Amount]], Table1[[#Headers],[First]:[Last]], Table1[] for the data.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/components/spreadsheet/cells/cell_address.h"

namespace brevant {

struct TableLayout {
  std::string name;
  int32_t sheet = 0;
  CellRect ref; // the whole table, headers and totals included
  int32_t headerRows = 1;
  int32_t totalsRows = 0;
  std::vector<std::string> columns;
};

// The cells the bracketed part of a table reference (without the outer brackets) names, for a
// formula in `hostRow`; nullopt when it names nothing (an unknown column, "#This Row" outside
// the data rows).
[[nodiscard]] std::optional<CellRect> resolveTableReference(const TableLayout &table,
                                                            std::string_view spec, int32_t hostRow);

} // namespace brevant
