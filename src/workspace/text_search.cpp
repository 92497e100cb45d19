#include "workspace/text_search.h"

#include <algorithm>

namespace brevant {
namespace {

bool isWordChar(QChar c) { return c.isLetterOrNumber() || c == u'_'; }

bool standsAlone(const QString &text, qsizetype at, qsizetype length) {
  if (at > 0 && isWordChar(text[at - 1]))
    return false;
  const qsizetype end = at + length;
  return end >= text.size() || !isWordChar(text[end]);
}

Qt::CaseSensitivity sensitivity(bool matchCase) {
  return matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
}

// The first occurrence starting at or after the 0-based `from`.
std::optional<qsizetype> firstFrom(const QString &text, const QString &what, qsizetype from,
                                   const SearchOptions &options) {
  from = std::max<qsizetype>(from, 0);
  while (from <= text.size()) {
    const qsizetype at = text.indexOf(what, from, sensitivity(options.matchCase));
    if (at < 0)
      return std::nullopt;
    if (!options.wholeWord || standsAlone(text, at, what.size()))
      return at;
    from = at + 1;
  }
  return std::nullopt;
}

// The last occurrence lying entirely within the first `limit` characters.
std::optional<qsizetype> lastWithin(const QString &text, const QString &what, qsizetype limit,
                                    const SearchOptions &options) {
  qsizetype from = std::min<qsizetype>(limit, text.size()) - what.size();
  // A negative start would make Qt count from the end of the text.
  while (from >= 0) {
    const qsizetype at = text.lastIndexOf(what, from, sensitivity(options.matchCase));
    if (at < 0)
      return std::nullopt;
    if (!options.wholeWord || standsAlone(text, at, what.size()))
      return at;
    from = at - 1;
  }
  return std::nullopt;
}

} // namespace

int32_t searchStart(qsizetype selStart, qsizetype selLength, int16_t direction,
                    qsizetype textLength) {
  if (direction == kSearchUp)
    return static_cast<int32_t>(selStart < 1 ? textLength : selStart);
  return static_cast<int32_t>(std::max<qsizetype>(selStart + selLength + 1, 1));
}

std::optional<qsizetype> findOccurrence(const QString &text, const QString &what, int32_t start,
                                        const SearchOptions &options) {
  if (what.isEmpty())
    return std::nullopt;
  if (options.direction == kSearchDown) {
    std::optional<qsizetype> found = firstFrom(text, what, qsizetype{start} - 1, options);
    if (!found && options.wrap && start >= 2)
      found = firstFrom(text, what, 0, options);
    return found;
  }
  if (options.direction == kSearchUp) {
    std::optional<qsizetype> found = lastWithin(text, what, start, options);
    if (!found && options.wrap && start < text.size())
      found = lastWithin(text, what, text.size(), options);
    return found;
  }
  return std::nullopt;
}

bool sameSearchText(const QString &candidate, const QString &what, bool matchCase) {
  return !what.isEmpty() && candidate.compare(what, sensitivity(matchCase)) == 0;
}

QString replaceEveryOccurrence(const QString &text, const QString &what, const QString &with,
                               const SearchOptions &options, int *count) {
  int replaced = 0;
  QString out;
  if (!what.isEmpty()) {
    qsizetype from = 0;
    while (std::optional<qsizetype> at = firstFrom(text, what, from, options)) {
      out += QStringView(text).mid(from, *at - from);
      out += with;
      from = *at + what.size();
      ++replaced;
    }
    out += QStringView(text).mid(from);
  }
  if (count != nullptr)
    *count = replaced;
  return replaced == 0 ? text : out;
}

} // namespace brevant
