#include "engine/parameter_substitution.h"

#include <algorithm>
#include <bitset>

namespace brevant {

std::string substituteParameters(std::string_view text,
                                 std::span<const ReportParameter> parameters) {
  // The first byte of every usable name, so that most positions cost one table look-up.
  std::bitset<256> starts;
  for (const ReportParameter &parameter : parameters) {
    if (!parameter.Name.empty())
      starts.set(static_cast<unsigned char>(parameter.Name.front()));
  }
  if (starts.none())
    return std::string(text);

  std::string result;
  result.reserve(text.size());
  size_t pos = 0;
  while (pos < text.size()) {
    const std::string_view rest = text.substr(pos);
    const ReportParameter *match = nullptr;
    if (starts.test(static_cast<unsigned char>(rest.front()))) {
      for (const ReportParameter &parameter : parameters) {
        if (!parameter.Name.empty() && rest.starts_with(parameter.Name)) {
          match = &parameter;
          break;
        }
      }
    }
    if (match) {
      result += match->Default;
      pos += match->Name.size();
    } else {
      result += rest.front();
      ++pos;
    }
  }
  return result;
}

std::string substituteParameters(std::string_view text, const ReportDefinition &definition) {
  const size_t count = static_cast<size_t>(std::clamp<int>(
      definition.parameterCount, 0, static_cast<int>(definition.parameters.size())));
  return substituteParameters(
      text, std::span<const ReportParameter>(definition.parameters.data(), count));
}

} // namespace brevant
