#pragma once
// A1-style cell addresses: column letters, single cells, rectangles, whole rows and columns,
// sheet-qualified references, and the text the spreadsheet gives back for a range's Address.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace brevant {

constexpr int32_t kMaxRows = 1048576;
constexpr int32_t kMaxColumns = 16384;

// A rectangle of cells, 1-based and inclusive.
struct CellRect {
  int32_t firstRow = 1;
  int32_t firstColumn = 1;
  int32_t lastRow = 1;
  int32_t lastColumn = 1;

  int32_t rowCount() const { return lastRow - firstRow + 1; }
  int32_t columnCount() const { return lastColumn - firstColumn + 1; }
  [[nodiscard]] bool wholeRows() const { return firstColumn == 1 && lastColumn == kMaxColumns; }
  [[nodiscard]] bool wholeColumns() const { return firstRow == 1 && lastRow == kMaxRows; }
  [[nodiscard]] bool contains(int32_t row, int32_t column) const {
    return row >= firstRow && row <= lastRow && column >= firstColumn && column <= lastColumn;
  }
  bool operator==(const CellRect &) const = default;
};

// "A" for 1, "XFD" for 16384.
std::string columnName(int32_t column);
// The column of letters such as "xfd" (any case); nullopt when not a column within the sheet.
[[nodiscard]] std::optional<int32_t> columnNumber(std::string_view letters);
// "B3" for (3, 2).
std::string cellName(int32_t row, int32_t column);

// Parses a reference without a sheet name: "A1", "$B$3:F4", "E:E", "$E:$E", "5:7", and chains
// joined by ':' such as "$E:$E:$M:$M" or "A1:B2:C3", which mean the rectangle spanning all their
// parts. Blanks around the text are ignored. nullopt when the text is not such a reference or
// lies outside the sheet.
[[nodiscard]] std::optional<CellRect> parseReference(std::string_view text);

// A reference possibly preceded by a sheet name: "Sheet1!A1", "'My ''data'''!$A$1:$B$2".
struct QualifiedReference {
  std::string sheetName; // empty when the text names no sheet
  std::string_view reference;
};
// nullopt when the sheet part is malformed (an unclosed quote, an empty name).
[[nodiscard]] std::optional<QualifiedReference> splitSheetName(std::string_view text);

// The text of Address: "B3", "B3:F4", "$E:$E" or "$5:$7" with both parts absolute; with
// relative rows and columns "E:E" and "5:7". A whole column stays "E:E", never "E1:E1048576".
[[nodiscard]] std::string formatAddress(const CellRect &rect, bool rowAbsolute = true,
                                        bool columnAbsolute = true);

// The sheet name as a formula writes it: quoted when it holds anything but letters, digits, '_'
// and '.', or when it could be read as a cell reference.
std::string quoteSheetName(std::string_view name);

} // namespace brevant
