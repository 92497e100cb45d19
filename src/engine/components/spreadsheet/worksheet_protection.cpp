#include "engine/components/spreadsheet/worksheet.h"

#include "cipher/codepage.h"

#include <cstdio>
#include <string>

namespace brevant {
namespace {

// The sheet password hash every spreadsheet program reads: a 15-bit rotate-and-xor over the
// password's bytes, taken last byte first.
uint16_t legacyPasswordHash(std::string_view password) {
  const std::string bytes = utf8ToAnsi(password);
  uint32_t hash = 0;
  for (auto it = bytes.rbegin(); it != bytes.rend(); ++it) {
    hash = ((hash >> 14) & 1) | ((hash << 1) & 0x7FFF);
    hash ^= static_cast<unsigned char>(*it);
  }
  hash = ((hash >> 14) & 1) | ((hash << 1) & 0x7FFF);
  hash ^= static_cast<uint32_t>(bytes.size()) & 0xFFFF;
  hash ^= 0xCE4B;
  return static_cast<uint16_t>(hash);
}

pugi::xml_node childNamed(pugi::xml_node parent, std::string_view local) {
  for (auto c : parent.children()) {
    std::string_view name = c.name();
    const size_t colon = name.find(':');
    if ((colon == std::string_view::npos ? name : name.substr(colon + 1)) == local)
      return c;
  }
  return {};
}

} // namespace

void Worksheet::Protect(std::string_view password) {
  pugi::xml_node root = document().document_element();
  pugi::xml_node protection = childNamed(root, "sheetProtection");
  if (!protection) {
    // sheetProtection follows the cells (and their calculation settings) in a worksheet.
    pugi::xml_node after = childNamed(root, "sheetCalcPr");
    if (!after)
      after = childNamed(root, "sheetData");
    const std::string tag = prefix_ + "sheetProtection";
    protection = root.insert_child_after(tag.c_str(), after);
  }
  // A protection set up in the template is replaced as a whole by this one.
  while (protection.first_attribute())
    protection.remove_attribute(protection.first_attribute());
  if (!password.empty()) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "%04X", legacyPasswordHash(password));
    protection.append_attribute("password") = hex;
  }
  protection.append_attribute("sheet") = "1";
  protection.append_attribute("objects") = "1";
  protection.append_attribute("scenarios") = "1";
}

bool Worksheet::ProtectContents() const {
  if (!loaded_)
    return false;
  pugi::xml_node protection = childNamed(doc_.document_element(), "sheetProtection");
  return protection && protection.attribute("sheet").as_bool();
}

} // namespace brevant
