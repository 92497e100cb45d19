#include "definition/ini_reader.h"

#include "base/strings.h"

#include <algorithm>

namespace brevant {

namespace {} // namespace

size_t IniProfile::NoCaseHash::operator()(std::string_view s) const {
  size_t hash = 14695981039346656037ull;
  for (char c : s) {
    hash ^= static_cast<unsigned char>(asciiLower(c));
    hash *= 1099511628211ull;
  }
  return hash;
}

bool IniProfile::NoCaseEqual::operator()(std::string_view a, std::string_view b) const {
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (asciiLower(a[i]) != asciiLower(b[i]))
      return false;
  return true;
}

namespace {

// Calls `visit(line, start, end)` for every line of `text`: the line with blanks trimmed from
// both ends, and the byte range it came from (without its LF).
template <typename Visit> void forEachLine(std::string_view text, Visit visit) {
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos)
      end = text.size();
    visit(trimmed(text.substr(start, end - start)), start, end);
    start = end + 1;
  }
}

// The name of a section line ("[name]", anything after the last ']' ignored), or nothing.
bool sectionName(std::string_view line, std::string_view &name) {
  if (line.empty() || line.front() != '[')
    return false;
  const size_t close = line.rfind(']');
  if (close == std::string_view::npos)
    return false;
  name = trimmed(line.substr(1, close - 1));
  return true;
}

} // namespace

IniProfile::IniProfile(std::string text)
    : text_(std::make_unique<const std::string>(std::move(text))) {
  const std::string_view all(*text_);
  Section *current = nullptr; // the section whose body runs up to the next section line
  forEachLine(all, [&](std::string_view line, size_t start, size_t end) {
    std::string_view name;
    if (!sectionName(line, name))
      return;
    if (current != nullptr)
      current->body =
          current->body.substr(0, start - static_cast<size_t>(current->body.data() - all.data()));
    const auto [it, inserted] = sections_.try_emplace(name);
    // Only the first section of a name counts; the lines of a repeated one belong to none.
    current = inserted ? &it->second : nullptr;
    if (current != nullptr)
      current->body = all.substr(std::min(end + 1, all.size())); // to the end for now
  });
}

const std::string_view *IniProfile::find(std::string_view section, std::string_view key) const {
  const auto s = sections_.find(section);
  if (s == sections_.end())
    return nullptr;
  Section &found = s->second;
  if (!found.indexed) {
    found.indexed = true;
    forEachLine(found.body, [&](std::string_view line, size_t, size_t) {
      const size_t equals = line.find('=');
      if (equals == std::string_view::npos)
        return;
      const std::string_view name = trimmed(line.substr(0, equals));
      if (!name.empty())
        found.keys.try_emplace(name, trimmed(line.substr(equals + 1)));
    });
  }
  const auto k = found.keys.find(key);
  return k == found.keys.end() ? nullptr : &k->second;
}

std::string IniProfile::value(std::string_view section, std::string_view key) const {
  const std::string_view *found = find(section, key);
  if (found == nullptr)
    return {};
  std::string_view value = *found;
  if (value.size() > 1 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  return std::string(cutUtf8(value, kMaxProfileValueBytes));
}

bool IniProfile::hasKey(std::string_view section, std::string_view key) const {
  return find(section, key) != nullptr;
}

std::string_view cutUtf8(std::string_view value, size_t maxBytes) {
  if (value.size() <= maxBytes)
    return value;
  size_t cut = maxBytes;
  // Step back over at most three continuation bytes to the start of the character cut in two.
  for (int i = 0; i < 3 && cut > 0 && (static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80; ++i)
    --cut;
  if ((static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80)
    cut = maxBytes; // not UTF-8 here: cut where asked
  return value.substr(0, cut);
}

} // namespace brevant
