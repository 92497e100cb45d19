#pragma once
// The XML of a worksheet part that the engine keeps between reading and writing: everything but
// the cells (columns, merged cells, conditional formats, page setup, drawings, extensions),
// with an empty <sheetData> where the writer puts the cells back. Worksheet holds it opaquely;
// the sheet's parts inside the component reach it through Worksheet::xml().

#include <string>

#include <pugixml.hpp>

namespace brevant {

struct SheetXml {
  pugi::xml_document doc;
  std::string prefix; // namespace prefix of the sheet's elements ("" or "x:")

  pugi::xml_node root() const { return doc.document_element(); }
};

} // namespace brevant
