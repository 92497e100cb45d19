#include "base/tokenizer.h"

#include "base/strings.h"

#include <algorithm>
#include <limits>

namespace brevant {

namespace {

// Text positions are 1-based; these helpers keep the index arithmetic in one place.
bool within(std::string_view text, int pos) {
  return pos >= 1 && static_cast<size_t>(pos) <= text.size();
}

char at(std::string_view text, int pos) { return text[static_cast<size_t>(pos) - 1]; }

int pastEnd(std::string_view text) {
  return text.size() >= static_cast<size_t>(std::numeric_limits<int>::max())
             ? std::numeric_limits<int>::max()
             : static_cast<int>(text.size()) + 1;
}

bool isComparison(char c) { return c == '=' || c == '<' || c == '>'; }

// Copies a quoted part starting at the opening quote at `pos`; leaves `pos` after the closing
// quote (or past the end when the quote is never closed). A doubled quote stays doubled.
void copyQuoted(std::string_view text, int &pos, bool keepQuotes, std::string &token) {
  const char quote = at(text, pos);
  if (keepQuotes)
    token += quote;
  ++pos;
  while (within(text, pos)) {
    const char c = at(text, pos);
    if (c == quote) {
      if (within(text, pos + 1) && at(text, pos + 1) == quote) {
        token += quote;
        token += quote;
        pos += 2;
        continue;
      }
      if (keepQuotes)
        token += quote;
      ++pos;
      return;
    }
    token += c;
    ++pos;
  }
}

} // namespace

void skipBlanks(std::string_view text, int &pos) {
  if (pos < 1)
    pos = 1;
  while (within(text, pos) && isBlank(at(text, pos)))
    ++pos;
}

std::string nextToken(std::string_view text, int &pos, bool keepQuotes) {
  skipBlanks(text, pos);
  std::string token;
  while (within(text, pos)) {
    const char c = at(text, pos);
    if (isBlank(c))
      break;
    if (isComparison(c)) {
      if (!token.empty())
        break;
      token += c;
      ++pos;
      if (within(text, pos) && isComparison(at(text, pos))) {
        token += at(text, pos);
        ++pos;
      }
      break;
    }
    if (c == '(' || c == ')' || c == ',') {
      if (token.empty()) {
        token += c;
        ++pos;
      }
      break;
    }
    if (c == '"' || c == '\'') {
      copyQuoted(text, pos, keepQuotes, token);
      continue;
    }
    if (c == '/' && within(text, pos + 1) && at(text, pos + 1) == '*') {
      if (token.empty()) {
        token = "/*";
        pos += 2;
      }
      break;
    }
    token += c;
    ++pos;
  }
  return token;
}

std::string nextArgument(std::string_view text, int &pos, bool keepQuotes) {
  skipBlanks(text, pos);
  std::string argument;
  bool inQuotes = false;
  while (within(text, pos)) {
    const char c = at(text, pos);
    if (isBlank(c) && !inQuotes)
      break;
    if (c == '\\' && within(text, pos + 1) && at(text, pos + 1) == '"') {
      argument += '"';
      pos += 2;
      continue;
    }
    if (c == '"') {
      if (!inQuotes) {
        inQuotes = true;
        if (keepQuotes && argument.empty())
          argument += c;
      } else {
        inQuotes = false;
        if (keepQuotes && (!within(text, pos + 1) || isBlank(at(text, pos + 1))))
          argument += c;
      }
    } else {
      argument += c;
    }
    ++pos;
  }
  return argument;
}

std::string nextLine(std::string_view text, int &pos) {
  if (pos < 1)
    pos = 1;
  if (!within(text, pos)) {
    pos = std::max(pos, pastEnd(text));
    return {};
  }
  const size_t start = static_cast<size_t>(pos) - 1;
  const size_t lf = text.find('\n', start);
  std::string_view line = text.substr(start, lf == std::string_view::npos ? text.npos : lf - start);
  if (!line.empty() && line.back() == '\r')
    line.remove_suffix(1);
  pos = lf == std::string_view::npos ? pastEnd(text) : static_cast<int>(lf) + 2;
  return std::string(line);
}

std::string firstLine(std::string_view text) {
  int pos = 1;
  return nextLine(text, pos);
}

void skipToCommentEnd(std::string_view text, int &pos, bool &notFound) {
  notFound = true;
  if (pos < 1)
    pos = 1;
  if (!within(text, pos)) {
    pos = std::max(pos, pastEnd(text));
    return;
  }
  const size_t found = text.find("*/", static_cast<size_t>(pos) - 1);
  if (found == std::string_view::npos) {
    pos = pastEnd(text);
    return;
  }
  pos = static_cast<int>(found) + 3;
  notFound = false;
}

} // namespace brevant
