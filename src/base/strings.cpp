#include "base/strings.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <random>

namespace brevant {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view trimmed(std::string_view text, std::string_view chars) {
  const size_t begin = text.find_first_not_of(chars);
  if (begin == std::string_view::npos)
    return {};
  return text.substr(begin, text.find_last_not_of(chars) - begin + 1);
}

std::string trimBlanks(std::string_view text) { return std::string(trimmed(text)); }

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

char asciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string asciiUpper(std::string_view text) {
  std::string out(text);
  for (char &c : out)
    c = asciiUpper(c);
  return out;
}

std::string asciiLower(std::string_view text) {
  std::string out(text);
  for (char &c : out)
    c = asciiLower(c);
  return out;
}

bool equalsAsciiNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return asciiLower(x) == asciiLower(y);
         });
}

bool startsWithAsciiNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && equalsAsciiNoCase(text.substr(0, prefix.size()), prefix);
}

bool endsWithAsciiNoCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         equalsAsciiNoCase(text.substr(text.size() - suffix.size()), suffix);
}

int16_t majorVersion(std::string_view text) {
  const size_t dot = text.rfind('.');
  if (dot != std::string_view::npos)
    text = text.substr(0, dot);
  const std::string_view number = trimmed(text);
  long value = 0;
  const char *first = number.data();
  if (!number.empty() && number.front() == '+')
    ++first;
  std::from_chars(first, number.data() + number.size(), value);
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

int hexDigitValue(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

} // namespace brevant
