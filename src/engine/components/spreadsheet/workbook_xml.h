#pragma once
// The XML a workbook keeps between opening and saving: the workbook part with its defined
// names, and the chart parts whose formulas follow structural changes. Workbook holds it
// opaquely; the engine's parts reach it through Workbook::xml().

#include <string_view>
#include <vector>

#include <pugixml.hpp>

#include "engine/components/spreadsheet/drawing/chart_parts.h"

namespace brevant {

struct WorkbookXml {
  pugi::xml_document workbook;
  // Defined names (the <definedName> elements, in document order).
  std::vector<pugi::xml_node> names;
  ChartParts charts;

  // A new <definedName name="..."> (its text and localSheetId are the caller's to set).
  pugi::xml_node addDefinedName(std::string_view name);
};

} // namespace brevant
