#pragma once
// A FormulaContext over an in-memory grid for testing the function library alone: cells are
// set directly (no formulas), rows can be hidden or filtered, cells marked as subtotals.

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "engine/components/spreadsheet/cells/cell_address.h"
#include "engine/components/spreadsheet/cells/number_format.h"
#include "engine/components/spreadsheet/formulas/function_call.h"

namespace brevant::testing {

class FakeFormulaContext : public FormulaContext {
public:
  using Key = std::tuple<int32_t, int32_t, int32_t>; // sheet, row, column

  std::map<Key, Scalar> cells;
  std::map<std::pair<int32_t, int32_t>, RowVisibility> rows;
  std::set<Key> subtotals;
  std::vector<std::string> sheets{"Sheet1", "Sheet2"};
  int32_t sheet = 0, row = 1, column = 1; // the host cell
  bool use1904 = false;
  double clock = 45000.5;

  // Sets cells from A1-style text: set("A1", 3.0).
  void set(const std::string &cell, Scalar value, int32_t onSheet = 0) {
    auto rect = parseReference(cell);
    cells[{onSheet, rect->firstRow, rect->firstColumn}] = std::move(value);
  }
  // A column of values from a cell down.
  void column_(const std::string &top, const std::vector<Scalar> &values) {
    auto rect = parseReference(top);
    for (size_t i = 0; i < values.size(); ++i)
      if (!std::holds_alternative<Blank>(values[i]))
        cells[{0, rect->firstRow + static_cast<int32_t>(i), rect->firstColumn}] = values[i];
  }

  Scalar cellValue(int32_t s, int32_t r, int32_t c) override {
    ++reads;
    auto it = cells.find({s, r, c});
    return it == cells.end() ? Scalar{Blank{}} : it->second;
  }
  void forEachCell(
      const SheetArea &area,
      const std::function<bool(int32_t, int32_t, int32_t, const Scalar &)> &visit) override {
    for (int32_t s = area.firstSheet; s <= area.lastSheet; ++s)
      for (auto it = cells.lower_bound({s, area.rect.firstRow, 0});
           it != cells.end() && std::get<0>(it->first) == s &&
           std::get<1>(it->first) <= area.rect.lastRow;
           ++it) {
        auto [cs, cr, cc] = it->first;
        if (cc < area.rect.firstColumn || cc > area.rect.lastColumn)
          continue;
        if (!visit(cs, cr, cc, it->second))
          return;
      }
  }
  RowVisibility rowVisibility(int32_t s, int32_t r) override {
    auto it = rows.find({s, r});
    return it == rows.end() ? RowVisibility::Visible : it->second;
  }
  bool columnHidden(int32_t, int32_t) override { return false; }
  bool holdsSubtotal(int32_t s, int32_t r, int32_t c) override {
    return subtotals.count({s, r, c}) > 0;
  }
  int32_t hostSheet() const override { return sheet; }
  int32_t hostRow() const override { return row; }
  int32_t hostColumn() const override { return column; }
  int32_t sheetCount() const override { return static_cast<int32_t>(sheets.size()); }
  std::string sheetName(int32_t s) const override { return sheets[static_cast<size_t>(s)]; }
  std::optional<int32_t> findSheet(std::string_view name) const override {
    for (size_t i = 0; i < sheets.size(); ++i)
      if (sheets[i] == name)
        return static_cast<int32_t>(i);
    return std::nullopt;
  }
  std::optional<CellReference> parseReferenceText(std::string_view text, bool a1) override {
    if (!a1)
      return std::nullopt;
    auto q = splitSheetName(text);
    if (!q)
      return std::nullopt;
    int32_t s = sheet;
    if (!q->sheetName.empty()) {
      auto found = findSheet(q->sheetName);
      if (!found)
        return std::nullopt;
      s = *found;
    }
    auto rect = parseReference(q->reference);
    if (!rect)
      return std::nullopt;
    return CellReference{{SheetArea{s, s, *rect}}};
  }
  std::string formatNumber(double value, std::string_view code) override {
    return NumberFormat(code).format(value, use1904);
  }
  bool date1904() const override { return use1904; }
  double now() const override { return clock; }

  int64_t reads = 0; // cellValue calls, to check that lookups do not read cell by cell
};

// A reference on the first sheet from A1-style text: ref("A1:B3").
inline CellReference ref(const std::string &text, int32_t sheet = 0) {
  return CellReference{{SheetArea{sheet, sheet, *parseReference(text)}}};
}

inline ScalarArray array(int32_t rows, int32_t columns, std::vector<Scalar> values) {
  return ScalarArray{rows, columns, std::move(values)};
}

// Calls a library function by name with computed arguments.
inline FormulaValue call(FormulaContext &context, std::string_view name,
                         std::vector<FormulaValue> arguments, std::vector<bool> omitted = {}) {
  const FunctionSpec *spec = findFunction(name);
  if (!spec)
    throw std::runtime_error("no function " + std::string(name));
  omitted.resize(arguments.size(), false);
  std::unique_ptr<bool[]> flags(new bool[arguments.size() + 1]);
  for (size_t i = 0; i < arguments.size(); ++i)
    flags[i] = omitted[i];
  FunctionCall c(context, arguments, std::span<const bool>(flags.get(), arguments.size()));
  return spec->compute(c);
}

} // namespace brevant::testing
