// The changes the spreadsheet refuses because they would cut through something that only
// changes whole: merged cells and array formulas. Refusing leaves the template untouched;
// the caller's function fails with the reason.
#include "engine/components/spreadsheet/spreadsheet_error.h"
#include "engine/components/spreadsheet/structure/sheet_features.h"
#include "engine/components/spreadsheet/worksheet.h"

namespace brevant {

namespace {

bool contains(const CellRect &outer, const CellRect &inner) {
  return inner.firstRow >= outer.firstRow && inner.lastRow <= outer.lastRow &&
         inner.firstColumn >= outer.firstColumn && inner.lastColumn <= outer.lastColumn;
}

// The first rectangle of `set` that overlaps `area` without lying wholly inside it.
const CellRect *cutBy(const RectSet &set, const CellRect &area, CellRect &found) {
  if (set.empty())
    return nullptr;
  for (const auto &r : set.overlapping(area))
    if (!contains(area, r)) {
      found = r;
      return &found;
    }
  return nullptr;
}

} // namespace

const RectSet &Worksheet::arrayRanges() const {
  ensureLoaded();
  return features_->arrays;
}

void Worksheet::prepareWrite(const CellRect &area) {
  cells();
  RectSet &arrays = features_->arrays;
  if (arrays.empty())
    return;
  CellRect array;
  if (cutBy(arrays, area, array))
    throw SpreadsheetError("The cells " + formatAddress(area, false, false) + " of the sheet \"" +
                           name_ +
                           "\" cannot be written: that would change part of the array "
                           "formula in " +
                           formatAddress(array, false, false) + ".");
  arrays.removeOverlapping(area);
}

void Worksheet::checkCopyTarget(const CellRect &source, const CellRect &destination) {
  cells();
  CellRect found;
  const char *what = nullptr;
  if (cutBy(features_->merges, destination, found))
    what = "the merged cells ";
  else if (cutBy(features_->arrays, destination, found))
    what = "the array formula in ";
  if (what)
    throw SpreadsheetError("The cells " + formatAddress(source, false, false) +
                           " cannot be copied to " + formatAddress(destination, false, false) +
                           " on the sheet \"" + name_ + "\": that would change part of " + what +
                           formatAddress(found, false, false) + ".");
}

} // namespace brevant
