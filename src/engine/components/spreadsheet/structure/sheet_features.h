#pragma once
// The parts of a worksheet that structural changes move besides its cells: merged cells,
// conditional formats, data validations, hyperlinks, page breaks, the auto-filter and the
// sheet's tables. They are read from the sheet XML when the sheet is loaded and written back
// into it when the sheet is saved.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "engine/components/spreadsheet/cells/cell_store.h"
#include "engine/components/spreadsheet/formulas/reference_shifter.h"
#include "engine/components/spreadsheet/structure/rect_set.h"
#include "engine/components/spreadsheet/structure/sheet_notes.h"
#include "engine/components/spreadsheet/structure/sheet_sparklines.h"

namespace brevant {

// A conditional format or a data validation: the ranges it covers and its formulas, which are
// relative to the top-left cell of its first range.
// Rules of the extension list (x14) keep their ranges in an <xm:sqref> element and their
// formulas in <xm:f> elements.
struct RangedRule {
  pugi::xml_node node;
  pugi::xml_node sqref; // the <xm:sqref> element; empty when the range is the sqref attribute
  RectSet ranges;
  CellRect first;
  bool hasFirst = false;
  std::vector<pugi::xml_node> formulas; // text nodes' parents (<formula>, <formula1>, ...)
};

struct SheetTable {
  std::string part;
  pugi::xml_document doc;
  bool modified = false;
};

struct SheetFeatures {
  RectSet merges;
  // The ranges of multi-cell array formulas (and data tables) that are changed only whole;
  // dynamic arrays, which spill, are not among them.
  RectSet arrays;
  std::vector<RangedRule> conditionalFormats;
  std::vector<RangedRule> validations;
  SheetSparklines sparklines;
  std::vector<int32_t> rowBreaks;    // first row of each new page, sorted
  std::vector<int32_t> columnBreaks; // first column of each new page, sorted
  bool breaksChanged = false;
  std::vector<std::unique_ptr<SheetTable>> tables;
  SheetNotes notes;
};

// The last row of its own sheet a formula depends on, which decides the row shifts that can
// change it: the rows of its references and, for an array formula, of its range.
int32_t lastRowReached(const Formula &f, const FormulaReach &reach);

// Helpers on the sheet XML shared by the structure code.
std::string_view localNameOf(const char *name);
pugi::xml_node childOf(pugi::xml_node parent, std::string_view local);
// The child `local` of the worksheet element, created at its place in the element order when
// missing.
pugi::xml_node ensureSheetChild(pugi::xml_node root, const std::string &prefix,
                                std::string_view local);

} // namespace brevant
