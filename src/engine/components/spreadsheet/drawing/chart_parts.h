#pragma once
// The workbook's chart parts, read when a structural change first needs them: the formulas of
// their series (<c:f>, "Sheet1!$B$2:$B$9") follow the cells they refer to, and the parts so
// changed are written back when the workbook is saved. Parts no change touched are left as
// they were stored.

#include <memory>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "engine/components/spreadsheet/formulas/reference_shifter.h"

namespace brevant {

class Package;
struct ContentTypes;

class ChartParts {
public:
  // Moves the references to the sheet `target` in every chart's formulas.
  void shiftReferencesTo(Package &package, const ContentTypes &types, const std::string &target,
                         const SheetShift &shift);
  // Writes the charts that changed into the package.
  void save(Package &package);
  void clear() { charts_.clear(); }

private:
  void load(Package &package, const ContentTypes &types);

  struct Chart {
    std::string part;
    pugi::xml_document doc;
    std::vector<pugi::xml_node> formulas; // the <c:f> elements
    bool modified = false;
  };
  std::vector<std::unique_ptr<Chart>> charts_;
  bool loaded_ = false;
};

} // namespace brevant
