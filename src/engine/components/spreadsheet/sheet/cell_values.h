#pragma once
// Values as cells hold them. A value written into a cell: text goes into the shared strings,
// dates and times become serials with a date style (text when outside the calendar), numbers
// that are not finite become #NUM!, decimals their number (or their text), bytes their text
// when valid UTF-8 and "0x..." hex otherwise. A cell read back: its value, a formula's computed
// value, numbers with a date style as dates or times.

#include "base/variant.h"
#include "engine/components/spreadsheet/cells/cell_store.h"

namespace brevant {

class SharedStrings;
class Styles;

// A cell's value as it shows: a formula's computed value (its type, number or text), the text
// of a shared string or an error.
struct ShownValue {
  CellType type;
  double number;
  std::string text;
};
ShownValue shownValue(const Cell &cell, const CellStore &store, SharedStrings &strings);

// Replaces the value of `cell` (its formula and attributes already released) by `value`.
void storeValue(Cell &cell, const Variant &value, SharedStrings &strings, Styles &styles,
                bool date1904);
Variant cellValue(const Cell &cell, const CellStore &store, SharedStrings &strings, Styles &styles,
                  bool date1904);

} // namespace brevant
