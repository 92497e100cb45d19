#include "definition/text_utils.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <random>
#include <sys/stat.h>

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

bool isSeparator(char c) { return c == '\\' || c == '/'; }

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

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

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

std::string trimEndAtNul(std::string_view text) {
  const size_t nul = text.find('\0');
  if (nul != std::string_view::npos)
    text = text.substr(0, nul);
  while (!text.empty() && isBlank(text.back()))
    text.remove_suffix(1);
  return std::string(text);
}

std::string unquote(std::string_view text) {
  if (text.size() > 1 && (text.front() == '"' || text.front() == '\'') &&
      text.back() == text.front())
    return std::string(text.substr(1, text.size() - 2));
  return std::string(text);
}

std::string trimBlanks(std::string_view text) {
  while (!text.empty() && isBlank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back()))
    text.remove_suffix(1);
  return std::string(text);
}

bool isNetworkPath(std::string_view path) {
  return path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1]);
}

bool isUrl(std::string_view text) { return text.find("://") != std::string_view::npos; }

std::string baseName(std::string_view path) {
  const size_t sep = path.find_last_of("\\/");
  if (sep != std::string_view::npos)
    path = path.substr(sep + 1);
  const size_t dot = path.rfind('.');
  if (dot != std::string_view::npos)
    path = path.substr(0, dot);
  return std::string(path);
}

std::string joinPath(std::string_view folder, std::string_view name) {
  if ((name.size() >= 2 && name[1] == ':') || (!name.empty() && isSeparator(name[0])))
    return std::string(name); // also covers network names

  // A folder that starts with a single separator is rooted at '/': its root is the empty
  // text, so "/r" plus "../x" is "/x". Only climbing above the root gives the empty result.
  // Other folders (network paths, drive letters) keep the rule that a folder cut down to one
  // character or less cannot be resolved.
  const bool rooted = !folder.empty() && isSeparator(folder[0]) && !isNetworkPath(folder);
  std::string result(folder);
  if (!result.empty() && isSeparator(result.back()))
    result.pop_back();

  size_t start = 0;
  for (;;) {
    const size_t sep = name.find_first_of("\\/", start);
    if (sep == std::string_view::npos)
      break;
    const std::string_view part = name.substr(start, sep - start);
    start = sep + 1;
    if (part.empty() || part == ".") {
      // nothing to add
    } else if (part == "..") {
      if (rooted && result.empty())
        return {};
      const size_t last = result.find_last_of("\\/");
      result.erase(last == std::string::npos ? 0 : last);
    } else {
      result += '/';
      result += part;
    }
    if (!rooted && result.size() <= 1)
      return {};
  }
  result += '/';
  result += name.substr(start);
  return result;
}

bool createFolders(std::string_view path) {
  // A drive letter means nothing here: creating "C:" in the current folder would only hide
  // the missing file that the caller is about to report.
  if (path.size() >= 2 && path[1] == ':')
    return true;
  std::string folder(path);
  for (char &c : folder)
    if (c == '\\')
      c = '/';
  if (folder.empty() || folder.back() != '/')
    folder += '/';
  // The server and share of a network path cannot be created; skip them.
  size_t skip = 0;
  if (isNetworkPath(path)) {
    const size_t server = folder.find('/', 2);
    const size_t share = server == std::string::npos ? server : folder.find('/', server + 1);
    skip = share == std::string::npos ? folder.size() : share + 1;
  }
  for (size_t sep = folder.find('/', skip); sep != std::string::npos;
       sep = folder.find('/', sep + 1)) {
    if (sep == 0)
      continue;
    const std::string level = folder.substr(0, sep);
    ::mkdir(level.c_str(), 0777); // an existing folder or a failure is left to the caller
  }
  return true;
}

int16_t majorVersion(std::string_view text) {
  const size_t dot = text.rfind('.');
  if (dot != std::string_view::npos)
    text = text.substr(0, dot);
  const std::string trimmed = trimBlanks(text);
  long value = 0;
  const char *first = trimmed.data();
  if (!trimmed.empty() && trimmed.front() == '+')
    ++first;
  std::from_chars(first, trimmed.data() + trimmed.size(), value);
  if (value > std::numeric_limits<int16_t>::max())
    return std::numeric_limits<int16_t>::max();
  if (value < std::numeric_limits<int16_t>::min())
    return std::numeric_limits<int16_t>::min();
  return static_cast<int16_t>(value);
}

std::string randomPassword() {
  thread_local std::mt19937 generator{std::random_device{}()};
  std::uniform_int_distribution<int> code(48, 122);
  std::string password;
  for (int i = 0; i < 6; ++i)
    password += static_cast<char>(code(generator));
  return password;
}

} // namespace brevant
