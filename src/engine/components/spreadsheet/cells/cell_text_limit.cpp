#include "engine/components/spreadsheet/cells/cell_text_limit.h"

namespace brevant {

size_t cellTextFit(std::string_view text) {
  if (text.size() <= kMaxCellTextUnits)
    return text.size();
  size_t units = 0;
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    // Stored text is well-formed UTF-8; a stray byte would count as one character of its own.
    size_t length = 1;
    if (lead >= 0xF0 && lead < 0xF8)
      length = 4;
    else if (lead >= 0xE0)
      length = lead < 0xF0 ? 3 : 1;
    else if (lead >= 0xC0)
      length = 2;
    if (i + length > text.size())
      length = 1;
    const size_t need = length == 4 ? 2 : 1; // past U+FFFF: a surrogate pair
    if (units + need > kMaxCellTextUnits)
      return i;
    units += need;
    i += length;
  }
  return text.size();
}

} // namespace brevant
