#pragma once
// The sparklines of a worksheet (x14:sparklineGroups in the sheet's extension list): each is
// drawn in one cell from a data range. A sparkline moves with its cell, goes with it, and a
// copied cell gets its own sparkline whose data moves the way a copied formula's references
// move. Kept in cell order, so that a fill touches only the sparklines at or below its rows.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <pugixml.hpp>

#include "engine/components/spreadsheet/cells/cell_address.h"
#include "engine/components/spreadsheet/formulas/reference_shifter.h"

namespace brevant {

class SheetSparklines {
public:
  // Adds the sparklines of one <x14:sparklineGroups> element of the sheet `sheet`.
  void load(pugi::xml_node groups, const std::string &sheet);
  [[nodiscard]] bool empty() const { return lines_.empty(); }
  void shift(const SheetShift &shift, const std::string &sheet);
  // The sheet `target` changed: data ranges on it move.
  void shiftReferencesTo(const std::string &sheet, const std::string &target,
                         const SheetShift &shift);
  void copy(const CellRect &source, const std::vector<std::pair<int32_t, int32_t>> &offsets,
            const CellRect &clip, const std::string &sheet);

private:
  struct Line {
    pugi::xml_node node, data, location;
    int32_t row = 0, column = 0;
    bool farReaching = false; // its data reaches rows below its own cell
    bool foreign = false;     // its data lies on another sheet
  };
  void measure(Line &line, const std::string &sheet);
  void place(Line &line, int32_t row, int32_t column);
  std::vector<Line>::iterator firstFrom(int32_t row, int32_t column);

  std::vector<Line> lines_; // sorted by row, then column
  size_t farReaching_ = 0, foreign_ = 0;
};

} // namespace brevant
