#include "definition/name_lookup.h"

#include "base/case_folding.h"

namespace brevant {

bool textEquals(std::string_view a, std::string_view b, int mode) {
  if (mode == kBinaryCompare)
    return a == b;
  return equalsIgnoringCase(a, b);
}

int FindFieldIndex(const std::vector<std::string> &names, std::string_view name, int mode) {
  return FindListItem(names, name, mode);
}

int FindListItem(const std::vector<std::string> &items, std::string_view text, int mode) {
  for (size_t i = 0; i < items.size(); ++i) {
    if (textEquals(items[i], text, mode))
      return static_cast<int>(i);
  }
  return -1;
}

} // namespace brevant
