#pragma once
// The cells of one worksheet, laid out for reports: a dense vector of rows (inserting rows costs
// what lies below the insertion point), each row a vector of cells sorted by column (writing
// left to right appends). A cell is 16 bytes; text lives in the workbook's shared strings and
// formulas in a side table, so millions of cells stay compact.

#include <cmath>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace brevant {

enum class CellType : uint8_t {
  Empty,   // no value; the cell exists for its style
  Number,  // number
  String,  // index: shared string
  Boolean, // number: 0 or 1
  Error,   // index: into errorTexts()
  Formula, // index: into CellStore::formulas()
};

struct Cell {
  union {
    double number;
    uint32_t index;
  };
  uint32_t style = 0;
  uint16_t column = 0; // 1-based
  CellType type = CellType::Empty;
  uint8_t flags = 0; // kCellHasAttributes

  Cell() : number(0) {}
};
static_assert(sizeof(Cell) == 16);

// The cell carries attributes of its <c> element that the engine keeps without reading them
// (cm and vm tie a cell to the workbook's cell and value metadata, ph shows phonetic text);
// they live in CellStore's side table, found by the cell's position.
constexpr uint8_t kCellHasAttributes = 1;

// A formula as written in the cell, with the attributes of its <f> element kept verbatim
// (shared and array formulas) and the value the template last showed for it. The attributes and
// a text result are rare beside a million plain formulas with number results, so they live
// apart and a formula takes 56 bytes, not 120.
class Formula {
public:
  std::string text;
  double cachedNumber = 0;
  CellType cachedType = CellType::Empty;
  bool dead = false;   // its cell was overwritten or deleted
  bool spills = false; // a dynamic array: its range is where the result spills

  Formula() = default;
  explicit Formula(std::string formulaText, std::string attributes = {})
      : text(std::move(formulaText)) {
    setAttributes(std::move(attributes));
  }
  Formula(const Formula &other)
      : text(other.text), cachedNumber(other.cachedNumber), cachedType(other.cachedType),
        dead(other.dead), spills(other.spills),
        rare_(other.rare_ ? std::make_unique<Rare>(*other.rare_) : nullptr) {}
  Formula(Formula &&) noexcept = default;
  Formula &operator=(const Formula &other) {
    if (this != &other)
      *this = Formula(other);
    return *this;
  }
  Formula &operator=(Formula &&) noexcept = default;
  ~Formula() = default;

  // e.g. ` t="shared" ref="B2:B9" si="0"`
  const std::string &attributes() const { return rare_ ? rare_->attributes : none(); }
  void setAttributes(std::string value) { setRare(&Rare::attributes, std::move(value)); }
  // A string or error result.
  const std::string &cachedText() const { return rare_ ? rare_->cachedText : none(); }
  void setCachedText(std::string value) { setRare(&Rare::cachedText, std::move(value)); }

private:
  struct Rare {
    std::string attributes, cachedText;
  };
  static const std::string &none() {
    static const std::string empty;
    return empty;
  }
  void setRare(std::string Rare::*field, std::string value) {
    if (!rare_ && value.empty())
      return;
    if (!rare_)
      rare_ = std::make_unique<Rare>();
    (*rare_).*field = std::move(value);
    if (rare_->attributes.empty() && rare_->cachedText.empty())
      rare_.reset();
  }
  std::unique_ptr<Rare> rare_;
};
static_assert(sizeof(Formula) <= 56);

struct Row {
  std::vector<Cell> cells;
  float height = -1; // points; negative when the row has no height of its own
  uint32_t style = 0;
  uint32_t extra = 0; // 1-based index into CellStore::rowAttributes(), 0 for none
  uint8_t outlineLevel = 0;
  bool customFormat = false;
  bool customHeight = false;
  bool hidden = false;
  bool collapsed = false;
  bool thickTop = false;
  bool thickBottom = false;

  bool isDefault() const {
    return cells.empty() && height < 0 && style == 0 && extra == 0 && outlineLevel == 0 &&
           !customFormat && !customHeight && !hidden && !collapsed && !thickTop && !thickBottom;
  }
};

const std::vector<std::string> &errorTexts();
// The index of an error text such as "#N/A"; the index of "#VALUE!" for unknown texts.
uint32_t errorIndex(std::string_view text);

// The last row the store keeps.
constexpr int32_t kMaxRowsInStore = 1048576;
constexpr int32_t kMaxColumnsInStore = 16384;

class CellStore {
public:
  // nullptr when the cell does not exist.
  const Cell *find(int32_t row, int32_t column) const;
  // The cell, created empty (with the row's or column's style) when missing.
  Cell &at(int32_t row, int32_t column, uint32_t newStyle = 0);
  const Row *row(int32_t row) const;
  Row &rowAt(int32_t row);
  // Rows 1..rowCount() may exist; rows beyond hold nothing.
  int32_t rowCount() const { return static_cast<int32_t>(rows_.size()); }

  uint32_t addFormula(Formula f);
  Formula &formula(uint32_t index) { return formulas_[index]; }
  const Formula &formula(uint32_t index) const { return formulas_[index]; }

  uint32_t addRowAttributes(std::string text);
  const std::string &rowAttributes(uint32_t extra) const { return rowAttributes_[extra - 1]; }

  // The verbatim attributes (` cm="1" vm="2"`) of the cell at (row, column); empty for none.
  // Setting them flags the cell, which must exist.
  void setCellAttributes(int32_t row, int32_t column, std::string text);
  std::string_view cellAttributes(int32_t row, int32_t column) const;
  // The cell's value is replaced: the attributes that described the old one go.
  void dropCellAttributes(int32_t row, int32_t column, Cell &cell);

  // The formula of a cell that is overwritten or deleted: its entry stays, empty, so that
  // indexes into the table stay valid.
  void release(uint32_t index);

  // Structural changes. Cells pushed beyond the sheet are dropped; the formulas of dropped
  // cells are released.
  // `count` empty rows before `at`.
  void insertRows(int32_t at, int32_t count);
  void deleteRows(int32_t at, int32_t count);
  // The cells within columns [first, last] from row `at` on move down (count > 0) or up
  // (count < 0, deleting rows at..at-count-1 of the band).
  void shiftBandVertically(int32_t at, int32_t count, int32_t first, int32_t last);
  // The cells of rows [firstRow, lastRow] from column `at` on move right (count > 0) or left
  // (count < 0, deleting those columns of the rows).
  void shiftColumns(int32_t at, int32_t count, int32_t firstRow, int32_t lastRow);
  // True when a cell holding something (a value or a formula) lies in rows [first, last] of
  // columns [firstColumn, lastColumn].
  bool holdsValues(int32_t firstRow, int32_t lastRow, int32_t firstColumn,
                   int32_t lastColumn) const;
  // The cells of `row` within [first, last], as a range of the row's vector.
  static std::pair<size_t, size_t> band(const Row &row, int32_t first, int32_t last);
  size_t formulaCount() const { return formulas_.size(); }

  // Room for `rows` rows without reallocation.
  void reserveRows(int32_t rows) { rows_.reserve(static_cast<size_t>(rows)); }
  // Room for `count` more formulas: a copy to a million blocks adds them without moving the
  // table again and again (growing by half at least, so many small copies stay linear).
  void reserveFormulas(size_t count);

private:
  // Moves the side-table entries of rows from `fromRow` on: `move` changes the position of an
  // entry that moves and returns false for one whose cell is gone.
  template <typename Move> void moveCellAttributes(int32_t fromRow, Move move);

  std::vector<Row> rows_;
  // Few cells carry attributes of their own, so they are kept aside by position.
  std::map<std::pair<int32_t, int32_t>, std::string> cellAttributes_;
  std::vector<Formula> formulas_;
  std::vector<std::string> rowAttributes_;
};

} // namespace brevant
