#pragma once
// A defined name of a workbook, as the spreadsheet's Name object.

#include <cstddef>
#include <optional>
#include <string>

#include "base/variant.h"
#include "engine/components/spreadsheet/cells/cell_address.h"

namespace brevant {

class Workbook;

class Name {
public:
  Name(Workbook &book, size_t index) : book_(&book), index_(index) {}

  std::string NameText() const;
  // What the name refers to, as a formula: "=Sheet1!$A$1", "=\"June\"", "=42".
  std::string Value() const;
  std::string RefersTo() const { return Value(); }
  // Makes the name a constant: a number (and text that reads as a number) as a number, other
  // text as a quoted string, a boolean as TRUE or FALSE. Dates become their serial. Null
  // cannot be a constant and throws.
  void setValue(const Variant &value);
  // Makes the name refer to `formula` ("=Sheet1!$B$2"); a leading '=' is added when missing.
  void setRefersTo(std::string_view formula);
  // The sheet the name is local to (0-based in the workbook's sheet list), or nullopt.
  std::optional<int> localSheet() const;

private:
  Workbook *book_;
  size_t index_;
};

} // namespace brevant
