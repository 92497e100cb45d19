#pragma once
// How wide a text shows in a cell, estimated from the advance widths of the common spreadsheet
// fonts (Calibri and Arial; others are taken as the nearer of the two, or as monospaced), in
// the unit column widths are given in: the width of a digit of the workbook's default font.

#include <string_view>

#include "engine/components/spreadsheet/cells/styles.h"

namespace brevant {

// The width of the widest line of `text` shown in `font`, in digits of `defaultFont`.
// Letters outside ASCII take the width of a like letter; East Asian wide characters count as
// two digits, combining marks and zero-width characters as nothing.
double textWidthInDigits(std::string_view text, const CellFont &font, const CellFont &defaultFont);

} // namespace brevant
