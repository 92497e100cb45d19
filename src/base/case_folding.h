#pragma once
// Names that match without regard to letter case (field names, sheet names, defined names) all
// use this one rule: Unicode simple case folding of UTF-8 text, the same on every machine and in
// every locale. Bytes that are not well-formed UTF-8 compare exactly.

#include <string>
#include <string_view>

namespace brevant {

// The simple case folding of one code point (itself when it has none).
char32_t foldCase(char32_t c);

// True when `a` and `b` are equal after case folding.
bool equalsIgnoringCase(std::string_view a, std::string_view b);

// `text` case-folded, for use as a key; ill-formed bytes are kept as they are.
std::string caseFolded(std::string_view text);

} // namespace brevant
