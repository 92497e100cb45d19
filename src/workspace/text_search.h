#pragma once
// The editor's search rules, apart from any window: where a search starts from the selection,
// where the next occurrence lies in either direction with wrapping, and replacing every
// occurrence. Positions given to the search are 1-based; offsets returned are 0-based, as the
// text box counts them.

#include <QString>

#include <cstdint>
#include <optional>

namespace brevant {

constexpr int16_t kSearchDown = 0;
constexpr int16_t kSearchUp = 1;

struct SearchOptions {
  int16_t direction = kSearchDown;
  bool matchCase = false;
  bool wrap = true;
  // Only occurrences not joined to a letter, digit or underscore on either side.
  bool wholeWord = false;
};

// The 1-based start position for Find Next and Replace from a selection starting at the 0-based
// `selStart` with `selLength` characters, in a text of `textLength` characters.
int32_t searchStart(qsizetype selStart, qsizetype selLength, int16_t direction,
                    qsizetype textLength);

// The 0-based offset of the occurrence of `what` that a search from `start` finds, if any.
[[nodiscard]] std::optional<qsizetype> findOccurrence(const QString &text, const QString &what,
                                                      int32_t start, const SearchOptions &options);

// True when `candidate` is `what` under the comparison of the options (case only).
[[nodiscard]] bool sameSearchText(const QString &candidate, const QString &what, bool matchCase);

// `text` with every occurrence of `what` replaced left to right, without overlaps; `count` gets
// the number of replacements.
QString replaceEveryOccurrence(const QString &text, const QString &what, const QString &with,
                               const SearchOptions &options, int *count = nullptr);

} // namespace brevant
