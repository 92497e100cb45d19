#pragma once
// Moving the cell references inside formula text the way the spreadsheet moves them: when rows
// or columns of a sheet are inserted or deleted (every formula, name, chart series and
// conditional format that points at the moved cells follows them), and when a formula is
// copied to another cell (its relative references move with it).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/components/spreadsheet/cells/cell_address.h"
#include "engine/components/spreadsheet/formulas/reference_lexer.h"

namespace brevant {

// A structural change of one sheet: `count` rows (or columns) inserted before `at`, or -count
// deleted from `at` on. Only the cells whose columns (rows, for a column change) lie within the
// band move; a whole-row or whole-column operation has the full band.
struct SheetShift {
  bool columns = false; // false: cells move down or up; true: right or left
  int32_t at = 1;
  int32_t count = 0;
  int32_t bandFirst = 1;
  int32_t bandLast = kMaxColumns;

  static SheetShift rows(int32_t at, int32_t count) { return {false, at, count, 1, kMaxColumns}; }
  static SheetShift cols(int32_t at, int32_t count) { return {true, at, count, 1, kMaxRows}; }
  [[nodiscard]] bool wholeBand() const {
    return bandFirst <= 1 && bandLast >= (columns ? kMaxRows : kMaxColumns);
  }
  int32_t limit() const { return columns ? kMaxColumns : kMaxRows; }
};

enum class ShiftOutcome { Unchanged, Changed, Deleted };

// Moves an interval [first, last] along the shift's axis. Deleted when every position of it is
// deleted; an interval that spans an insertion point grows, one that loses part of itself to a
// delete shrinks.
ShiftOutcome shiftInterval(int32_t &first, int32_t &last, const SheetShift &shift);
// Moves a rectangle of the shifted sheet: only when it lies wholly within the band.
ShiftOutcome shiftRect(CellRect &rect, const SheetShift &shift);

// Moves the references to the sheet `target` in `formula` (written without '='). `host` is the
// sheet the formula belongs to: its unqualified references point there; with an empty host
// (defined names, chart series) only sheet-qualified references are moved. A reference whose
// cells are all deleted becomes #REF!. Returns whether the text changed.
bool shiftFormula(std::string &formula, std::string_view host, std::string_view target,
                  const SheetShift &shift);

// The formula as a copy `rows` down and `columns` right of it reads: relative references move,
// absolute ones stay; a reference moved off the sheet becomes #REF!.
std::string moveFormula(std::string_view formula, int32_t rows, int32_t columns);

// One formula copied to many places (a record block filled a million times): its references
// are found once, and each copy only moves them and writes the text, exactly as moveFormula
// would.
class FormulaCopier {
public:
  explicit FormulaCopier(std::string formula);
  std::string moved(int32_t rows, int32_t columns) const;

private:
  struct Piece {
    size_t textFrom, textTo; // the text before the reference (with its sheet prefix)
    reference_lexer::Ref ref;
  };
  std::string text_;
  std::vector<Piece> pieces_;
  size_t tail_ = 0; // the text after the last reference
};

// What a formula points at, for deciding which structural changes can touch it.
struct FormulaReach {
  int32_t maxRow = 0;       // the last row referenced on the host sheet (0: none)
  bool otherSheets = false; // it names another sheet (or a range of sheets)
  bool hostColumns = false; // it refers to cells of the host sheet at all
};
FormulaReach formulaReach(std::string_view formula, std::string_view host);

// "Sheet1" for "Sheet1" and "My ''x''" for "'My ''x'''": a sheet name as a formula writes it,
// made plain.
std::string unquoteSheetName(std::string_view text);

} // namespace brevant
