#include "engine/file_address.h"

#include "base/strings.h"
#include "engine/components/spreadsheet/spreadsheet_error.h"

namespace brevant {
namespace {

constexpr std::string_view kFileScheme = "file://";

std::string percentDecoded(std::string_view text, std::string_view address) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const bool escape = text[i] == '%' && i + 2 < text.size() && hexDigitValue(text[i + 1]) >= 0 &&
                        hexDigitValue(text[i + 2]) >= 0;
    if (!escape) {
      out += text[i];
      continue;
    }
    const char c = static_cast<char>(hexDigitValue(text[i + 1]) * 16 + hexDigitValue(text[i + 2]));
    if (c == '\0')
      throw SpreadsheetError("The picture \"" + std::string(address) +
                             "\" cannot be fetched: its path holds a NUL character.");
    out += c;
    i += 2;
  }
  return out;
}

} // namespace

std::optional<std::string> filePathOfAddress(std::string_view address) {
  if (!startsWithAsciiNoCase(address, kFileScheme))
    return std::nullopt;
  std::string_view rest = address.substr(kFileScheme.size());
  rest = rest.substr(0, rest.find_first_of("?#"));
  const size_t slash = rest.find('/');
  const std::string_view host = rest.substr(0, slash);
  if (slash == std::string_view::npos || (!host.empty() && !equalsAsciiNoCase(host, "localhost")))
    throw SpreadsheetError("The picture \"" + std::string(address) +
                           "\" cannot be fetched: a file address must name a file on this "
                           "computer (file:///path).");
  return percentDecoded(rest.substr(slash), address);
}

} // namespace brevant
