#pragma once
// The levels of a grouped REPORT fill: one per GROUP parameter, outermost first, and the detail
// level last, which holds every field that no group names. Each level's template block holds
// its own fields' cells and the block of every level inside it.

#include "base/variant.h"
#include "engine/components/spreadsheet/cells/cell_address.h"
#include "engine/report_fill.h"

#include <string>
#include <vector>

namespace brevant {

class Fields;
class Worksheet;

struct GroupLevel {
  std::vector<int> breakFields; // the group's fields, as its GROUP parameter lists them
  std::vector<int> fields;      // the fields written when the level starts a block
  CellRect block;               // the template block
};

// The field indexes of one GROUP list: 1-based numbers when the list's own first entry is
// numeric, else field names in any letter case. `group` is the 1-based group number of the
// error line.
std::vector<int> groupFieldIndexes(const std::vector<std::string> &entries, Fields &fields,
                                   int group);

// Resolves the groups' fields, gives every field its level and builds the blocks from the
// inside out, checking RANGE (the detail block) and each GROUPRANGE. Nothing on the sheet
// changes.
std::vector<GroupLevel> buildGroupLevels(Worksheet &sheet, const FunctionSettings &settings,
                                         const std::vector<FillField> &positions, Fields &fields);

// Whether two values of a group field keep the record in the same group: Null matches
// anything, numbers compare by value whatever their type, other values must be equal.
[[nodiscard]] bool sameGroupValue(const Variant &a, const Variant &b);

} // namespace brevant
