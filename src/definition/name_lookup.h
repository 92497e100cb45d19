#pragma once
// Lookups by name: the first item of a list, or the first field of a record set, whose name
// equals a text. Mode 0 compares bytes; mode 1 ignores letter case by Unicode simple case folding
// (base/case_folding.h), so "É" equals "é", "Σ" equals "σ" and "Ж" equals "ж".

#include <concepts>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace brevant {

enum CompareMode : int { kBinaryCompare = 0, kTextCompare = 1 };

[[nodiscard]] bool textEquals(std::string_view a, std::string_view b, int mode);

template <typename T>
concept FieldNamed = requires(const T &fields, int i) {
  { fields.fieldCount() } -> std::convertible_to<long>;
  { fields.fieldName(i) } -> std::convertible_to<std::string_view>;
};

// Index of the first field named `name`, or -1.
template <FieldNamed Fields>
[[nodiscard]] int FindFieldIndex(const Fields &fields, std::string_view name, int mode) {
  const long count = static_cast<long>(fields.fieldCount());
  for (long i = 0; i < count; ++i) {
    if (textEquals(fields.fieldName(static_cast<int>(i)), name, mode))
      return static_cast<int>(i);
  }
  return -1;
}

// Index of the first entry of `names` equal to `name`, or -1.
[[nodiscard]] int FindFieldIndex(const std::vector<std::string> &names, std::string_view name,
                                 int mode);

// Index of the first list item equal to `text`, or -1 (also for an empty list).
[[nodiscard]] int FindListItem(const std::vector<std::string> &items, std::string_view text,
                               int mode);

} // namespace brevant
