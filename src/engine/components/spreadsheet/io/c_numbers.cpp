#include "engine/components/spreadsheet/io/c_numbers.h"

#include <cctype>
#include <clocale>
#include <cmath>
#include <cstdarg>
#include <cstdio>

#include <cstdlib>
#include <locale.h>
#include <pugixml.hpp>
#include <string>

namespace brevant {
namespace {

locale_t cLocale() {
  static const locale_t locale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
  return locale;
}

// Switches this thread to the "C" locale for its lifetime.
class CLocaleScope {
public:
  CLocaleScope() : previous_(uselocale(cLocale())) {}
  ~CLocaleScope() { uselocale(previous_); }
  CLocaleScope(const CLocaleScope &) = delete;
  CLocaleScope &operator=(const CLocaleScope &) = delete;

private:
  locale_t previous_;
};

} // namespace

double strtodC(const char *text, char **end) { return strtod_l(text, end, cLocale()); }

int snprintfC(char *buffer, std::size_t size, const char *format, ...) {
  CLocaleScope scope;
  va_list arguments;
  va_start(arguments, format);
  const int written = std::vsnprintf(buffer, size, format, arguments);
  va_end(arguments);
  return written;
}

int sscanfC(const char *text, const char *format, ...) {
  CLocaleScope scope;
  va_list arguments;
  va_start(arguments, format);
  const int read = std::vsscanf(text, format, arguments);
  va_end(arguments);
  return read;
}

double attributeNumber(const pugi::xml_attribute &attribute, double fallback) {
  return attribute ? strtodC(attribute.value(), nullptr) : fallback;
}

std::optional<double> plainNumber(std::string_view text) {
  if (text.empty())
    return std::nullopt;
  for (char c : text)
    if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+' ||
          c == 'e' || c == 'E'))
      return std::nullopt;
  std::string s(text);
  char *end = nullptr;
  double v = strtodC(s.c_str(), &end);
  if (end != s.c_str() + s.size() || !std::isfinite(v))
    return std::nullopt;
  return v;
}

} // namespace brevant
