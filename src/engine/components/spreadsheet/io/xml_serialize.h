#pragma once
// XML documents and nodes of workbook parts turned back into text, as the parts are stored:
// no indentation, UTF-8.

#include <string>

#include <pugixml.hpp>

namespace brevant {

// The whole document, with its own declaration (pugixml's default one when it has none).
std::string xmlToString(const pugi::xml_document &document);

// Appends `node` and everything under it, without a declaration.
void appendXmlNode(std::string &out, const pugi::xml_node &node);

} // namespace brevant
