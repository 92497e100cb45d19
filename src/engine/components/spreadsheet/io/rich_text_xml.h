#pragma once
// The inner XML of a rich string item (<si> of the shared strings, <is> of an inline string),
// ready to be written inside <si> of our shared strings part, whose default namespace is the
// spreadsheet namespace. Element prefixes bound in the source part ("x:r") are resolved: the
// spreadsheet namespace's prefix is dropped, any other keeps its declaration on the element.

#include <pugixml.hpp>

#include <string>

namespace brevant {

std::string richTextXml(pugi::xml_node item);

} // namespace brevant
