#include "engine/components/spreadsheet/io/rich_text_xml.h"

#include <string_view>

#include "engine/components/spreadsheet/io/xml_serialize.h"

namespace brevant {

namespace {

constexpr std::string_view kMainNs = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";

// The namespace bound to `prefix` where `node` stands.
std::string_view namespaceOf(pugi::xml_node node, const std::string &prefix) {
  const std::string attr = "xmlns:" + prefix;
  for (; node; node = node.parent())
    if (auto a = node.attribute(attr.c_str()))
      return a.value();
  return {};
}

void resolvePrefixes(pugi::xml_node node) {
  const std::string_view name = node.name();
  if (const size_t colon = name.find(':'); colon != std::string_view::npos) {
    const std::string prefix(name.substr(0, colon));
    const std::string_view ns = namespaceOf(node, prefix);
    if (ns == kMainNs) {
      node.set_name(std::string(name.substr(colon + 1)).c_str());
    } else if (!ns.empty() && !node.attribute(("xmlns:" + prefix).c_str())) {
      node.append_attribute(("xmlns:" + prefix).c_str()).set_value(std::string(ns).c_str());
    }
  }
  for (auto child = node.first_child(); child; child = child.next_sibling())
    if (child.type() == pugi::node_element)
      resolvePrefixes(child);
}

} // namespace

std::string richTextXml(pugi::xml_node item) {
  // Declarations first, while the source's ancestors are still reachable.
  for (auto child = item.first_child(); child; child = child.next_sibling())
    if (child.type() == pugi::node_element)
      resolvePrefixes(child);
  std::string out;
  for (auto child : item.children())
    appendXmlNode(out, child);
  return out;
}

} // namespace brevant
