// The function library by name: findFunction() for the evaluator.

#include <cctype>
#include <string>
#include <unordered_map>

#include "engine/components/spreadsheet/formulas/functions/function_families.h"

namespace brevant {
namespace {

using Table = std::unordered_map<std::string, const FunctionSpec *>;

Table buildTable() {
  Table table;
  for (auto family :
       {formulas::mathFunctions(), formulas::statisticsFunctions(),
        formulas::conditionalFunctions(), formulas::subtotalFunctions(), formulas::logicFunctions(),
        formulas::lookupFunctions(), formulas::referenceFunctions(), formulas::textFunctions(),
        formulas::dateFunctions(), formulas::informationFunctions()})
    for (const FunctionSpec &spec : family)
      table.emplace(std::string(spec.name), &spec);
  return table;
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size())
    return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
      return false;
  return true;
}

} // namespace

const FunctionSpec *findFunction(std::string_view name) {
  static const Table table = buildTable();
  for (std::string_view prefix : {"_xlfn.", "_xlws."})
    if (startsWithIgnoringCase(name, prefix))
      name.remove_prefix(prefix.size());
  std::string key;
  key.reserve(name.size());
  for (char c : name)
    key += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  auto it = table.find(key);
  return it == table.end() ? nullptr : it->second;
}

} // namespace brevant
