#include "engine/components/spreadsheet/formulas/workbook_calculation.h"
#include "engine/components/spreadsheet/sheet/sheet_xml.h"
#include "engine/components/spreadsheet/workbook_xml.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <ctime>
#include <memory>
#include <unordered_map>

#include "base/case_folding.h"
#include "base/strings.h"
#include "engine/components/spreadsheet/cells/date_serial.h"
#include "engine/components/spreadsheet/cells/number_format.h"
#include "engine/components/spreadsheet/formulas/formula_operators.h"
#include "engine/components/spreadsheet/formulas/formula_parser.h"
#include "engine/components/spreadsheet/formulas/function_call.h"
#include "engine/components/spreadsheet/formulas/reference_shifter.h"
#include "engine/components/spreadsheet/formulas/table_reference.h"
#include "engine/components/spreadsheet/structure/sheet_features.h"
#include "engine/components/spreadsheet/workbook.h"

namespace brevant {

namespace {

enum class State : uint8_t { Fresh, Queued, Waiting, Done, Failed };

struct CellKey {
  int32_t sheet, row, column;
};

// Sheet and defined names match as the rest of the engine matches them: Unicode case folding.
std::string lower(std::string_view s) { return caseFolded(s); }

// The value of attribute `name` in a formula's kept attribute text (` t="array" ref="B2:B9"`).
std::string_view attribute(std::string_view attributes, std::string_view name) {
  std::string key = " " + std::string(name) + "=\"";
  size_t at = attributes.find(key);
  if (at == std::string_view::npos)
    return {};
  size_t start = at + key.size();
  size_t end = attributes.find('"', start);
  return attributes.substr(start, end == std::string_view::npos ? 0 : end - start);
}

bool mentionsSubtotal(std::string_view text) {
  std::string t = lower(text);
  return t.find("subtotal(") != std::string::npos || t.find("aggregate(") != std::string::npos;
}

// The function name as the warning shows it: without the prefixes of newer functions.
std::string displayName(std::string_view name) {
  std::string n(name);
  for (const char *prefix : {"_xlfn.", "_xlws."})
    if (lower(n).starts_with(prefix))
      n = n.substr(6);
  return asciiUpper(n);
}

struct ArrayArea {
  CellRect rect;
  uint32_t formula; // the master's formula index
};

struct DefinedName {
  int32_t scope = -1; // worksheet position, -1 for the workbook
  std::string text;
  bool parsed = false, valid = false;
  FormulaTree tree;
};

class Calculator final : public FormulaContext {
public:
  Calculator(Workbook &book, double now) : book_(book), now_(now), date1904_(book.date1904()) {
    for (auto &sheet : book.worksheets()) {
      sheets_.push_back(sheet.get());
      stores_.push_back(&sheet->cells());
      sheetIndex_[lower(sheet->Name())] = static_cast<int32_t>(sheets_.size() - 1);
    }
    finder_ = [this](std::string_view name) { return findSheet(name); };
  }

  CalculationOutcome run() {
    bool any = false;
    for (CellStore *store : stores_)
      any = any || store->formulaCount() > 0;
    if (!any)
      return outcome_;
    states_.resize(stores_.size());
    arrays_.resize(stores_.size());
    for (size_t s = 0; s < stores_.size(); ++s) {
      states_[s].assign(stores_[s]->formulaCount(), State::Fresh);
      findArrayFormulas(static_cast<int32_t>(s));
    }
    loadNames();
    for (size_t s = 0; s < stores_.size(); ++s) {
      CellStore &store = *stores_[s];
      if (store.formulaCount() == 0)
        continue;
      for (int32_t r = 1; r <= store.rowCount(); ++r) {
        // An array formula's results may add cells and rows: the row is looked up anew.
        for (size_t k = 0; k < store.row(r)->cells.size(); ++k) {
          const Cell c = store.row(r)->cells[k];
          if (c.type != CellType::Formula)
            continue;
          State st = states_[s][c.index];
          if (st == State::Done || st == State::Failed)
            continue;
          stack_.push_back({static_cast<int32_t>(s), r, c.column});
          drain();
        }
      }
    }
    return outcome_;
  }

  // ---- FormulaContext ----
  Scalar cellValue(int32_t sheet, int32_t row, int32_t column) override {
    if (sheet < 0 || sheet >= static_cast<int32_t>(stores_.size()))
      return FormulaError::Ref;
    if (!arrays_[static_cast<size_t>(sheet)].empty())
      if (!arrayCoverReady(sheet, row, column))
        return Blank{};
    const Cell *c = stores_[static_cast<size_t>(sheet)]->find(row, column);
    if (!c)
      return Blank{};
    return valueOf(sheet, row, column, *c);
  }

  void forEachCell(
      const SheetArea &area,
      const std::function<bool(int32_t, int32_t, int32_t, const Scalar &)> &visit) override {
    int32_t last = std::min(area.lastSheet, static_cast<int32_t>(stores_.size()) - 1);
    for (int32_t s = std::max(0, area.firstSheet); s <= last; ++s) {
      CellStore &store = *stores_[static_cast<size_t>(s)];
      bool arrays = !arrays_[static_cast<size_t>(s)].empty();
      int32_t endRow = std::min(area.rect.lastRow, store.rowCount());
      for (int32_t r = std::max(1, area.rect.firstRow); r <= endRow; ++r) {
        const Row &row = *store.row(r);
        auto [lo, hi] = CellStore::band(row, area.rect.firstColumn, area.rect.lastColumn);
        for (size_t k = lo; k < hi; ++k) {
          const Cell &c = row.cells[k];
          if (c.type == CellType::Empty)
            continue;
          if (arrays && !arrayCoverReady(s, r, c.column))
            continue;
          // The row's cells may move if a visit writes an array result: copy the cell first.
          Cell copy = c;
          if (!visit(s, r, copy.column, valueOf(s, r, copy.column, copy)))
            return;
        }
      }
    }
  }

  RowVisibility rowVisibility(int32_t sheet, int32_t row) override {
    if (sheet < 0 || sheet >= static_cast<int32_t>(stores_.size()))
      return RowVisibility::Visible;
    const Row *r = stores_[static_cast<size_t>(sheet)]->row(row);
    if (!r || !r->hidden)
      return RowVisibility::Visible;
    return hasAutoFilter(sheet) ? RowVisibility::Filtered : RowVisibility::Hidden;
  }

  bool columnHidden(int32_t sheet, int32_t column) override {
    if (sheet < 0 || sheet >= static_cast<int32_t>(sheets_.size()))
      return false;
    return sheets_[static_cast<size_t>(sheet)]->columnHidden(column);
  }

  bool holdsSubtotal(int32_t sheet, int32_t row, int32_t column) override {
    if (sheet < 0 || sheet >= static_cast<int32_t>(stores_.size()))
      return false;
    CellStore &store = *stores_[static_cast<size_t>(sheet)];
    const Cell *c = store.find(row, column);
    return c && c->type == CellType::Formula && mentionsSubtotal(store.formula(c->index).text);
  }

  int32_t hostSheet() const override { return host_.sheet; }
  int32_t hostRow() const override { return host_.row; }
  int32_t hostColumn() const override { return host_.column; }
  int32_t sheetCount() const override { return static_cast<int32_t>(sheets_.size()); }
  std::string sheetName(int32_t sheet) const override {
    if (sheet < 0 || sheet >= sheetCount())
      return {};
    return sheets_[static_cast<size_t>(sheet)]->Name();
  }
  std::optional<int32_t> findSheet(std::string_view name) const override {
    auto it = sheetIndex_.find(lower(name));
    if (it == sheetIndex_.end())
      return std::nullopt;
    return it->second;
  }

  std::optional<CellReference> parseReferenceText(std::string_view text, bool a1) override {
    FormulaTree tree;
    if (a1) {
      if (!parseFormula(text, host_.sheet, finder_, tree))
        return std::nullopt;
      const FormulaNode &root = tree.nodes[tree.root()];
      if (root.kind != NodeKind::Reference && root.kind != NodeKind::Name &&
          root.kind != NodeKind::Range && root.kind != NodeKind::TableReference)
        return std::nullopt;
      FormulaValue v = evaluate(tree, tree.root(), false);
      if (auto *ref = std::get_if<CellReference>(&v))
        return *ref;
      return std::nullopt;
    }
    return parseR1C1(text);
  }

  std::string formatNumber(double value, std::string_view formatCode) override {
    auto it = formats_.find(std::string(formatCode));
    if (it == formats_.end())
      it = formats_.emplace(std::string(formatCode), std::make_unique<NumberFormat>(formatCode))
               .first;
    return it->second->format(value, date1904_);
  }
  bool date1904() const override { return date1904_; }
  double now() const override { return now_; }

private:
  // One formula being computed: what it still needs, and whether it cannot be computed.
  struct Attempt {
    std::vector<CellKey> missing;
    bool failed = false;
  };

  // ---- the worklist ----
  State &stateOf(const CellKey &k, uint32_t index) {
    (void)k;
    return states_[static_cast<size_t>(k.sheet)][index];
  }

  void drain() {
    while (!stack_.empty()) {
      CellKey key = stack_.back();
      CellStore &store = *stores_[static_cast<size_t>(key.sheet)];
      const Cell *c = store.find(key.row, key.column);
      if (!c || c->type != CellType::Formula) {
        stack_.pop_back();
        continue;
      }
      uint32_t index = c->index;
      State &st = stateOf(key, index);
      if (st == State::Done || st == State::Failed) {
        stack_.pop_back();
        continue;
      }
      st = State::Waiting;
      Attempt attempt;
      attempt_ = &attempt;
      host_ = key;
      computeCell(key, index);
      attempt_ = nullptr;
      State now = stateOf(key, index);
      if (now == State::Waiting && !attempt.missing.empty()) {
        for (const CellKey &m : attempt.missing)
          stack_.push_back(m);
      } else {
        stack_.pop_back();
      }
    }
  }

  void fail(std::string cause) {
    if (attempt_)
      attempt_->failed = true;
    if (!cause.empty() &&
        std::find(outcome_.causes.begin(), outcome_.causes.end(), cause) == outcome_.causes.end())
      outcome_.causes.push_back(std::move(cause));
  }

  void computeCell(const CellKey &key, uint32_t index) {
    CellStore &store = *stores_[static_cast<size_t>(key.sheet)];
    State &st = states_[static_cast<size_t>(key.sheet)][index];
    std::string_view kind = attribute(store.formula(index).attributes(), "t");
    bool arrayFormula = kind == "array";
    if (kind == "dataTable")
      fail("data table");
    else if (store.formula(index).text.empty() ||
             !parseFormula(store.formula(index).text, key.sheet, finder_, tree_))
      fail("unreadable formula");
    FormulaValue value;
    std::optional<CellRect> spread;
    ++outcome_.evaluations;
    if (!attempt_->failed) {
      value = evaluate(tree_, tree_.root(), arrayFormula);
      if (arrayFormula) {
        spread = parseReference(attribute(store.formula(index).attributes(), "ref"));
        if (spread && !spread->contains(key.row, key.column))
          spread.reset();
      }
      if (spread) {
        value = toArray(std::move(value));
        if (!std::holds_alternative<ScalarArray>(value))
          value = ScalarArray{1, 1, {toScalar(std::move(value))}};
      } else
        value = toFormulaValue(finalScalar(std::move(value)));
    }
    if (attempt_->failed) {
      st = State::Failed;
      ++outcome_.formulas;
      ++outcome_.uncomputed;
      Formula &f = store.formula(index);
      f.cachedType = CellType::Empty;
      f.setCachedText({});
      return;
    }
    if (!attempt_->missing.empty())
      return;
    st = State::Done;
    ++outcome_.formulas;
    if (!spread) {
      store.formula(index).cachedType = CellType::Empty;
      storeResult(store.formula(index), toScalar(std::move(value)));
      return;
    }
    const ScalarArray &a = std::get<ScalarArray>(value);
    for (int32_t r = spread->firstRow; r <= spread->lastRow; ++r)
      for (int32_t c = spread->firstColumn; c <= spread->lastColumn; ++c) {
        Scalar element = arrayElement(a, r - spread->firstRow, c - spread->firstColumn);
        if (r == key.row && c == key.column)
          storeResult(store.formula(index), std::move(element));
        else
          storeCell(key.sheet, r, c, std::move(element));
      }
  }

  static Scalar arrayElement(const ScalarArray &a, int32_t row, int32_t column) {
    const Scalar *element = stretchedAt(a, row, column);
    return element ? *element : Scalar(FormulaError::NA);
  }

  static void storeResult(Formula &f, Scalar v) {
    f.setCachedText({});
    f.cachedNumber = 0;
    switch (v.index()) {
    case 0:
      f.cachedType = CellType::Number;
      break;
    case 1:
      f.cachedType = CellType::Number;
      f.cachedNumber = std::get<double>(v);
      break;
    case 2:
      f.cachedType = CellType::String;
      f.setCachedText(std::move(std::get<std::string>(v)));
      break;
    case 3:
      f.cachedType = CellType::Boolean;
      f.cachedNumber = std::get<bool>(v) ? 1 : 0;
      break;
    default:
      f.cachedType = CellType::Error;
      f.setCachedText(std::string(errorText(std::get<FormulaError>(v))));
      break;
    }
  }

  // A cell covered by an array formula takes its element as a plain value.
  void storeCell(int32_t sheet, int32_t row, int32_t column, Scalar v) {
    CellStore &store = *stores_[static_cast<size_t>(sheet)];
    Cell &cell =
        store.at(row, column, sheets_[static_cast<size_t>(sheet)]->defaultStyle(row, column));
    if (cell.type == CellType::Formula)
      return;
    switch (v.index()) {
    case 0:
      cell.type = CellType::Number;
      cell.number = 0;
      break;
    case 1:
      cell.type = CellType::Number;
      cell.number = std::get<double>(v);
      break;
    case 2:
      cell.type = CellType::String;
      cell.index = book_.sharedStrings().add(std::get<std::string>(v));
      break;
    case 3:
      cell.type = CellType::Boolean;
      cell.number = std::get<bool>(v) ? 1 : 0;
      break;
    default:
      cell.type = CellType::Error;
      cell.index = errorIndex(errorText(std::get<FormulaError>(v)));
      break;
    }
  }

  // ---- reading cells ----
  Scalar valueOf(int32_t sheet, int32_t row, int32_t column, const Cell &c) {
    CellStore &store = *stores_[static_cast<size_t>(sheet)];
    switch (c.type) {
    case CellType::Number:
      return c.number;
    case CellType::String:
      return std::string(book_.sharedStrings().text(c.index));
    case CellType::Boolean:
      return c.number != 0;
    case CellType::Error:
      return parseErrorText(errorTexts()[c.index]).value_or(FormulaError::Value);
    case CellType::Formula:
      break;
    default:
      return Blank{};
    }
    State &st = states_[static_cast<size_t>(sheet)][c.index];
    switch (st) {
    case State::Done: {
      const Formula &f = store.formula(c.index);
      switch (f.cachedType) {
      case CellType::String:
        return f.cachedText();
      case CellType::Boolean:
        return f.cachedNumber != 0;
      case CellType::Error:
        return parseErrorText(f.cachedText()).value_or(FormulaError::Value);
      default:
        return f.cachedNumber;
      }
    }
    case State::Failed:
      fail({});
      return Blank{};
    case State::Waiting:
      fail("circular reference");
      return Blank{};
    default:
      st = State::Queued;
      if (attempt_)
        attempt_->missing.push_back({sheet, row, column});
      return Blank{};
    }
  }

  // False when the cell lies under an array formula that is not computed yet (it is then
  // asked for, as any other missing cell).
  bool arrayCoverReady(int32_t sheet, int32_t row, int32_t column) {
    for (const ArrayArea &a : arrays_[static_cast<size_t>(sheet)]) {
      if (!a.rect.contains(row, column) || (row == a.rect.firstRow && column == a.rect.firstColumn))
        continue;
      const Cell *master =
          stores_[static_cast<size_t>(sheet)]->find(a.rect.firstRow, a.rect.firstColumn);
      if (!master || master->type != CellType::Formula || master->index != a.formula)
        return true;
      State st = states_[static_cast<size_t>(sheet)][a.formula];
      if (st == State::Done)
        return true;
      valueOf(sheet, a.rect.firstRow, a.rect.firstColumn, *master);
      return false;
    }
    return true;
  }

  void findArrayFormulas(int32_t sheet) {
    CellStore &store = *stores_[static_cast<size_t>(sheet)];
    for (int32_t r = 1; r <= store.rowCount(); ++r)
      for (const Cell &c : store.row(r)->cells) {
        if (c.type != CellType::Formula)
          continue;
        const Formula &f = store.formula(c.index);
        if (f.attributes().empty() || attribute(f.attributes(), "t") != "array")
          continue;
        auto rect = parseReference(attribute(f.attributes(), "ref"));
        if (rect && (rect->rowCount() > 1 || rect->columnCount() > 1) && rect->firstRow == r &&
            rect->firstColumn == c.column)
          arrays_[static_cast<size_t>(sheet)].push_back({*rect, c.index});
      }
  }

  bool hasAutoFilter(int32_t sheet) {
    auto it = autoFilter_.find(sheet);
    if (it != autoFilter_.end())
      return it->second;
    auto root = sheets_[static_cast<size_t>(sheet)]->xml().root();
    bool has = static_cast<bool>(childOf(root, "autoFilter"));
    autoFilter_[sheet] = has;
    return has;
  }

  // ---- evaluating a tree ----
  FormulaValue evaluate(FormulaTree &tree, uint32_t index, bool arrays) {
    const FormulaNode &n = tree.nodes[index];
    switch (n.kind) {
    case NodeKind::Number:
      return n.number;
    case NodeKind::Text:
      return n.text;
    case NodeKind::Boolean:
      return n.number != 0;
    case NodeKind::Error:
      return n.error;
    case NodeKind::Missing:
      return Blank{};
    case NodeKind::Array:
      return n.array;
    case NodeKind::Reference:
      if (n.sheetMissing)
        return FormulaError::Ref;
      return CellReference{{n.area}};
    case NodeKind::External:
      fail("external reference");
      return FormulaError::Ref;
    case NodeKind::Name:
      return evaluateName(n, arrays);
    case NodeKind::TableReference:
      return evaluateTable(n);
    case NodeKind::Negate:
    case NodeKind::Plus:
    case NodeKind::Percent:
      return applyUnary(n.kind, operand(evaluate(tree, tree.operand(n, 0), arrays), arrays),
                        date1904_);
    case NodeKind::Binary: {
      Operand a = operand(evaluate(tree, tree.operand(n, 0), arrays), arrays);
      Operand b = operand(evaluate(tree, tree.operand(n, 1), arrays), arrays);
      return applyBinary(n.op, a, b, date1904_);
    }
    case NodeKind::Range:
    case NodeKind::Intersect:
    case NodeKind::Union:
      return combineReferences(tree, n, arrays);
    case NodeKind::Function:
      return callFunction(tree, n, arrays);
    }
    return FormulaError::Value;
  }

  FormulaValue callFunction(FormulaTree &tree, const FormulaNode &n, bool arrays) {
    if (!n.spec) {
      fail(displayName(n.text));
      return FormulaError::Name;
    }
    const FunctionSpec &spec = *n.spec;
    if (static_cast<int>(n.operandCount) < spec.minArguments ||
        static_cast<int>(n.operandCount) > spec.maxArguments)
      return FormulaError::Value;
    std::vector<FormulaValue> args;
    std::unique_ptr<bool[]> omitted(new bool[n.operandCount + 1]);
    args.reserve(n.operandCount);
    for (uint32_t i = 0; i < n.operandCount; ++i) {
      uint32_t child = tree.operand(n, i);
      bool arrayArgument = arrays || takesArray(spec, i);
      omitted[i] = tree.nodes[child].kind == NodeKind::Missing;
      args.push_back(evaluate(tree, child, arrayArgument));
    }
    try {
      return spec.compute(
          FunctionCall(*this, args, std::span<const bool>(omitted.get(), n.operandCount), arrays));
    } catch (const std::exception &) {
      return FormulaError::Value;
    }
  }

  static bool takesArray(const FunctionSpec &spec, uint32_t i) {
    uint32_t bits = spec.arrayArguments;
    if (i < 31 && (bits & (1u << i)))
      return true;
    if (!(bits & (1u << 31)))
      return false;
    int highest = -1;
    for (int b = 0; b < 31; ++b)
      if (bits & (1u << b))
        highest = b;
    return highest >= 0 && static_cast<int>(i) > highest;
  }

  FormulaValue combineReferences(FormulaTree &tree, const FormulaNode &n, bool arrays) {
    std::vector<CellReference> refs;
    for (uint32_t i = 0; i < n.operandCount; ++i) {
      FormulaValue v = evaluate(tree, tree.operand(n, i), arrays);
      if (auto *e = std::get_if<FormulaError>(&v))
        return *e;
      auto *ref = std::get_if<CellReference>(&v);
      if (!ref)
        return FormulaError::Value;
      refs.push_back(std::move(*ref));
    }
    if (n.kind == NodeKind::Union) {
      CellReference out;
      for (auto &r : refs)
        out.areas.insert(out.areas.end(), r.areas.begin(), r.areas.end());
      return out;
    }
    if (refs.size() != 2 || refs[0].areas.size() != 1 || refs[1].areas.size() != 1)
      return FormulaError::Value;
    const SheetArea &a = refs[0].areas[0], &b = refs[1].areas[0];
    if (a.firstSheet != b.firstSheet || a.lastSheet != b.lastSheet)
      return FormulaError::Value;
    SheetArea out = a;
    if (n.kind == NodeKind::Range) {
      out.rect = {std::min(a.rect.firstRow, b.rect.firstRow),
                  std::min(a.rect.firstColumn, b.rect.firstColumn),
                  std::max(a.rect.lastRow, b.rect.lastRow),
                  std::max(a.rect.lastColumn, b.rect.lastColumn)};
      return CellReference{{out}};
    }
    out.rect = {std::max(a.rect.firstRow, b.rect.firstRow),
                std::max(a.rect.firstColumn, b.rect.firstColumn),
                std::min(a.rect.lastRow, b.rect.lastRow),
                std::min(a.rect.lastColumn, b.rect.lastColumn)};
    if (out.rect.firstRow > out.rect.lastRow || out.rect.firstColumn > out.rect.lastColumn)
      return FormulaError::Null;
    return CellReference{{out}};
  }

  // A value as an operator's operand: a reference is read, by implicit intersection with the
  // host cell outside array evaluation, whole inside it.
  Operand operand(FormulaValue v, bool arrays) {
    if (auto *ref = std::get_if<CellReference>(&v)) {
      if (!arrays)
        return intersect(*ref);
      FormulaValue a = toArray(std::move(v));
      if (auto *arr = std::get_if<ScalarArray>(&a)) {
        if (arr->rows == 1 && arr->columns == 1)
          return arr->values[0];
        return std::move(*arr);
      }
      return toScalar(std::move(a));
    }
    if (auto *arr = std::get_if<ScalarArray>(&v)) {
      if (arr->rows == 1 && arr->columns == 1)
        return arr->values[0];
      return std::move(*arr);
    }
    return toScalar(std::move(v));
  }

  Scalar intersect(const CellReference &ref) {
    if (ref.areas.size() != 1)
      return FormulaError::Value;
    const SheetArea &a = ref.areas[0];
    if (a.firstSheet != a.lastSheet)
      return FormulaError::Value;
    const CellRect &r = a.rect;
    if (r.rowCount() == 1 && r.columnCount() == 1)
      return cellValue(a.firstSheet, r.firstRow, r.firstColumn);
    if (r.columnCount() == 1 && host_.row >= r.firstRow && host_.row <= r.lastRow)
      return cellValue(a.firstSheet, host_.row, r.firstColumn);
    if (r.rowCount() == 1 && host_.column >= r.firstColumn && host_.column <= r.lastColumn)
      return cellValue(a.firstSheet, r.firstRow, host_.column);
    return FormulaError::Value;
  }

  // A reference read into an array (whole rows and columns end at the sheet's last row);
  // other values pass through.
  FormulaValue toArray(FormulaValue v) {
    auto *ref = std::get_if<CellReference>(&v);
    if (!ref)
      return v;
    if (ref->areas.size() != 1 || ref->areas[0].firstSheet != ref->areas[0].lastSheet)
      return FormulaError::Value;
    const SheetArea &area = ref->areas[0];
    CellRect r = area.rect;
    if (area.firstSheet < 0 || area.firstSheet >= sheetCount())
      return FormulaError::Ref;
    int32_t used = stores_[static_cast<size_t>(area.firstSheet)]->rowCount();
    if (r.wholeColumns())
      r.lastRow = std::max(r.firstRow, std::min(r.lastRow, used));
    ScalarArray out;
    out.rows = r.rowCount();
    out.columns = r.columnCount();
    out.values.assign(static_cast<size_t>(out.rows) * static_cast<size_t>(out.columns), Blank{});
    SheetArea clipped{area.firstSheet, area.firstSheet, r};
    forEachCell(clipped, [&](int32_t, int32_t row, int32_t column, const Scalar &value) {
      out.values[static_cast<size_t>(row - r.firstRow) * static_cast<size_t>(out.columns) +
                 static_cast<size_t>(column - r.firstColumn)] = value;
      return true;
    });
    return out;
  }

  // The value a cell shows for a formula's result.
  Scalar finalScalar(FormulaValue v) {
    if (auto *ref = std::get_if<CellReference>(&v))
      return intersect(*ref);
    if (auto *arr = std::get_if<ScalarArray>(&v))
      return arr->values.empty() ? Scalar(FormulaError::Value) : arr->values[0];
    return toScalar(std::move(v));
  }

  // ---- names and tables ----
  void loadNames() {
    std::vector<int32_t> byListIndex;
    for (size_t s = 0; s < sheets_.size(); ++s) {
      int list = book_.sheetListIndex(*sheets_[s]);
      if (list >= static_cast<int>(byListIndex.size()))
        byListIndex.resize(static_cast<size_t>(list) + 1, -2);
      byListIndex[static_cast<size_t>(list)] = static_cast<int32_t>(s);
    }
    for (pugi::xml_node node : book_.xml().names) {
      DefinedName name;
      if (auto local = node.attribute("localSheetId")) {
        int list = local.as_int(-1);
        if (list < 0 || list >= static_cast<int>(byListIndex.size()) ||
            byListIndex[static_cast<size_t>(list)] < 0)
          continue; // local to a chart sheet: no formula on a worksheet sees it
        name.scope = byListIndex[static_cast<size_t>(list)];
      }
      std::string_view text = node.text().get();
      if (!text.empty() && text.front() == '=')
        text.remove_prefix(1);
      name.text = std::string(text);
      names_[lower(node.attribute("name").value())].push_back(std::move(name));
    }
  }

  FormulaValue evaluateName(const FormulaNode &n, bool arrays) {
    if (n.sheetMissing)
      return FormulaError::Ref;
    auto it = names_.find(lower(n.text));
    if (it == names_.end())
      return FormulaError::Name;
    int32_t scope = n.scopeSheet >= 0 ? n.scopeSheet : host_.sheet;
    DefinedName *found = nullptr;
    for (DefinedName &d : it->second)
      if (d.scope == scope)
        found = &d;
    if (!found)
      for (DefinedName &d : it->second)
        if (d.scope < 0)
          found = &d;
    if (!found)
      return FormulaError::Name;
    if (!found->parsed) {
      found->parsed = true;
      found->valid = parseFormula(found->text, found->scope >= 0 ? found->scope : host_.sheet,
                                  finder_, found->tree);
    }
    if (!found->valid) {
      fail("unreadable name " + n.text);
      return FormulaError::Name;
    }
    if (nameDepth_ >= kMaxNameDepth) {
      fail("circular reference");
      return FormulaError::Ref;
    }
    ++nameDepth_;
    FormulaValue v = evaluate(found->tree, found->tree.root(), arrays);
    --nameDepth_;
    return v;
  }

  void loadTables() {
    tablesLoaded_ = true;
    for (size_t s = 0; s < sheets_.size(); ++s)
      for (const auto &t : sheets_[s]->tables()) {
        auto root = t->doc.document_element();
        TableLayout layout;
        layout.name = root.attribute("displayName").value();
        if (layout.name.empty())
          layout.name = root.attribute("name").value();
        auto rect = parseReference(root.attribute("ref").value());
        if (!rect)
          continue;
        layout.sheet = static_cast<int32_t>(s);
        layout.ref = *rect;
        layout.headerRows = root.attribute("headerRowCount").as_int(1);
        layout.totalsRows = root.attribute("totalsRowCount").as_int(0);
        for (auto column : childOf(root, "tableColumns").children())
          if (localNameOf(column.name()) == "tableColumn")
            layout.columns.emplace_back(column.attribute("name").value());
        tables_[lower(layout.name)] = std::move(layout);
      }
  }

  FormulaValue evaluateTable(const FormulaNode &n) {
    if (!tablesLoaded_)
      loadTables();
    auto it = tables_.find(lower(n.text));
    if (it == tables_.end())
      return FormulaError::Ref;
    auto rect = resolveTableReference(it->second, n.text2, host_.row);
    if (!rect)
      return FormulaError::Ref;
    return CellReference{{SheetArea{it->second.sheet, it->second.sheet, *rect}}};
  }

  // "R1C1", "R[-1]C", "R2C3:R4C5", with or without a sheet, relative to the host cell.
  std::optional<CellReference> parseR1C1(std::string_view text) {
    int32_t sheet = host_.sheet;
    size_t bang = text.rfind('!');
    if (bang != std::string_view::npos) {
      auto found = findSheet(unquoteSheetName(text.substr(0, bang)));
      if (!found)
        return std::nullopt;
      sheet = *found;
      text.remove_prefix(bang + 1);
    }
    auto part = [&](std::string_view &s, char letter, int32_t base, int32_t &out) {
      if (s.empty() || std::toupper(static_cast<unsigned char>(s[0])) != letter)
        return false;
      s.remove_prefix(1);
      bool relative = !s.empty() && s[0] == '[';
      if (relative)
        s.remove_prefix(1);
      int64_t v = 0;
      bool negative = !s.empty() && s[0] == '-';
      if (negative)
        s.remove_prefix(1);
      size_t digits = 0;
      while (!s.empty() && std::isdigit(static_cast<unsigned char>(s[0])) && v < 1 << 24) {
        v = v * 10 + (s[0] - '0');
        s.remove_prefix(1);
        ++digits;
      }
      if (negative)
        v = -v;
      if (relative) {
        if (s.empty() || s[0] != ']')
          return false;
        s.remove_prefix(1);
        out = static_cast<int32_t>(base + v);
      } else {
        out = digits ? static_cast<int32_t>(v) : base;
      }
      return true;
    };
    auto cell = [&](std::string_view &s, int32_t &row, int32_t &column) {
      return part(s, 'R', host_.row, row) && part(s, 'C', host_.column, column) && row >= 1 &&
             row <= kMaxRows && column >= 1 && column <= kMaxColumns;
    };
    int32_t r1, c1, r2, c2;
    if (!cell(text, r1, c1))
      return std::nullopt;
    r2 = r1;
    c2 = c1;
    if (!text.empty() && text[0] == ':') {
      text.remove_prefix(1);
      if (!cell(text, r2, c2))
        return std::nullopt;
    }
    if (!text.empty())
      return std::nullopt;
    CellRect rect{std::min(r1, r2), std::min(c1, c2), std::max(r1, r2), std::max(c1, c2)};
    return CellReference{{SheetArea{sheet, sheet, rect}}};
  }

  static constexpr int kMaxNameDepth = 64;
  Workbook &book_;
  double now_;
  bool date1904_;
  std::vector<Worksheet *> sheets_;
  std::vector<CellStore *> stores_;
  std::unordered_map<std::string, int32_t> sheetIndex_;
  SheetFinder finder_;
  std::vector<std::vector<State>> states_;
  std::vector<std::vector<ArrayArea>> arrays_;
  std::unordered_map<std::string, std::vector<DefinedName>> names_;
  std::unordered_map<std::string, TableLayout> tables_;
  bool tablesLoaded_ = false;
  std::unordered_map<int32_t, bool> autoFilter_;
  std::unordered_map<std::string, std::unique_ptr<NumberFormat>> formats_;
  std::vector<CellKey> stack_;
  FormulaTree tree_;
  Attempt *attempt_ = nullptr;
  CellKey host_{0, 1, 1};
  int nameDepth_ = 0;
  CalculationOutcome outcome_;
};

} // namespace

CalculationOutcome calculateWorkbook(Workbook &book, double now) {
  return Calculator(book, now).run();
}

double currentDateSerial(bool date1904) {
  std::time_t t = std::time(nullptr);
  std::tm local{};
  localtime_r(&t, &local);
  DateTimeValue dt{{static_cast<int16_t>(local.tm_year + 1900),
                    static_cast<uint8_t>(local.tm_mon + 1), static_cast<uint8_t>(local.tm_mday)},
                   {static_cast<uint8_t>(local.tm_hour), static_cast<uint8_t>(local.tm_min),
                    static_cast<uint8_t>(std::min(local.tm_sec, 59)), 0}};
  return dateTimeSerial(dt, date1904).value_or(0);
}

std::string calculationWarning(const CalculationOutcome &outcome) {
  if (outcome.uncomputed == 0)
    return {};
  std::string line = "Warning: " + std::to_string(outcome.uncomputed) +
                     (outcome.uncomputed == 1 ? " formula" : " formulas") +
                     " could not be computed";
  if (!outcome.causes.empty()) {
    line += " (";
    for (size_t i = 0; i < outcome.causes.size(); ++i) {
      if (i)
        line += ", ";
      line += outcome.causes[i];
    }
    line += ')';
  }
  return line + ".";
}

} // namespace brevant
