// The function library by name: findFunction() for the evaluator.

#include <string>
#include <unordered_map>

#include "base/case_folding.h"
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
      table.emplace(caseFolded(spec.name), &spec);
  return table;
}

} // namespace

const FunctionSpec *findFunction(std::string_view name) {
  static const Table table = buildTable();
  for (std::string_view prefix : {"_xlfn.", "_xlws."})
    if (equalsIgnoringCase(name.substr(0, prefix.size()), prefix))
      name.remove_prefix(prefix.size());
  auto it = table.find(caseFolded(name));
  return it == table.end() ? nullptr : it->second;
}

} // namespace brevant
