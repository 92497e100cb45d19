#pragma once
// A workbook cell holds at most 32,767 UTF-16 code units of text; the spreadsheet application
// reports a file with a longer one as damaged. Workbook parts are written with longer texts cut
// to that length; text files (CSV, TXT) keep them whole.

#include <cstddef>
#include <string_view>

namespace brevant {

constexpr size_t kMaxCellTextUnits = 32767;

// The byte length of the longest start of UTF-8 `text` that fits in a cell: never inside a
// character, so never between the two halves of a surrogate pair. `text.size()` when it all fits.
size_t cellTextFit(std::string_view text);

[[nodiscard]] inline bool fitsInCell(std::string_view text) {
  // A UTF-8 text never has more UTF-16 code units than bytes.
  return text.size() <= kMaxCellTextUnits || cellTextFit(text) == text.size();
}

} // namespace brevant
