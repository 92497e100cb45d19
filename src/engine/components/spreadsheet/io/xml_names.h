#pragma once
// Element names in workbook parts, which may carry a namespace prefix ("x:row"): the parts
// compare local names only.

#include <pugixml.hpp>

#include <string_view>

namespace brevant {

inline std::string_view localName(const char *name) {
  std::string_view n(name);
  const size_t colon = n.find(':');
  return colon == std::string_view::npos ? n : n.substr(colon + 1);
}

// The first child element of `parent` whose local name is `name`.
inline pugi::xml_node child(pugi::xml_node parent, std::string_view name) {
  for (auto c : parent.children())
    if (localName(c.name()) == name)
      return c;
  return {};
}

} // namespace brevant
