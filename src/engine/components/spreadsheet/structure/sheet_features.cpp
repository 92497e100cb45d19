#include "engine/components/spreadsheet/structure/sheet_features.h"
#include "engine/components/spreadsheet/sheet/sheet_xml.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <tuple>

#include "engine/components/spreadsheet/spreadsheet_error.h"
#include "engine/components/spreadsheet/workbook.h"
#include "engine/components/spreadsheet/worksheet.h"

namespace brevant {

namespace {

// The order of a worksheet's child elements.
constexpr std::array<std::string_view, 39> kSheetOrder = {"sheetPr",
                                                          "dimension",
                                                          "sheetViews",
                                                          "sheetFormatPr",
                                                          "cols",
                                                          "sheetData",
                                                          "sheetCalcPr",
                                                          "sheetProtection",
                                                          "protectedRanges",
                                                          "scenarios",
                                                          "autoFilter",
                                                          "sortState",
                                                          "dataConsolidate",
                                                          "customSheetViews",
                                                          "mergeCells",
                                                          "phoneticPr",
                                                          "conditionalFormatting",
                                                          "dataValidations",
                                                          "hyperlinks",
                                                          "printOptions",
                                                          "pageMargins",
                                                          "pageSetup",
                                                          "headerFooter",
                                                          "rowBreaks",
                                                          "colBreaks",
                                                          "customProperties",
                                                          "cellWatches",
                                                          "ignoredErrors",
                                                          "smartTags",
                                                          "drawing",
                                                          "legacyDrawing",
                                                          "legacyDrawingHF",
                                                          "drawingHF",
                                                          "picture",
                                                          "oleObjects",
                                                          "controls",
                                                          "webPublishItems",
                                                          "tableParts",
                                                          "extLst"};

int orderOf(std::string_view local) {
  for (size_t i = 0; i < kSheetOrder.size(); ++i)
    if (kSheetOrder[i] == local)
      return static_cast<int>(i);
  return static_cast<int>(kSheetOrder.size());
}

// The value of attribute `name` in a verbatim attribute string such as ` t="shared" si="0"`.
std::string attributeIn(std::string_view attrs, std::string_view name) {
  std::string key = " " + std::string(name) + "=\"";
  size_t at = attrs.find(key);
  if (at == std::string_view::npos)
    return {};
  at += key.size();
  size_t end = attrs.find('"', at);
  return std::string(attrs.substr(at, end - at));
}

std::string removeAttributes(std::string_view attrs,
                             std::initializer_list<std::string_view> names) {
  std::string out(attrs);
  for (auto name : names) {
    std::string key = " " + std::string(name) + "=\"";
    size_t at = out.find(key);
    if (at == std::string::npos)
      continue;
    size_t end = out.find('"', at + key.size());
    out.erase(at, end + 1 - at);
  }
  return out;
}

void readRule(RangedRule &rule, pugi::xml_node node,
              std::initializer_list<std::string_view> formulaNames) {
  rule.node = node;
  rule.sqref = childOf(node, "sqref");
  auto list =
      RectSet::parseList(rule.sqref ? rule.sqref.text().get() : node.attribute("sqref").value());
  if (!list.empty()) {
    rule.first = list.front();
    rule.hasFirst = true;
  }
  for (const auto &r : list)
    rule.ranges.add(r);
  std::vector<pugi::xml_node> pending{node};
  while (!pending.empty()) {
    pugi::xml_node n = pending.back();
    pending.pop_back();
    for (auto c : n.children()) {
      if (c.type() != pugi::node_element)
        continue;
      for (auto f : formulaNames)
        if (localNameOf(c.name()) == f) {
          rule.formulas.push_back(c);
          break;
        }
      pending.push_back(c);
    }
  }
}

// Sets the count of a list of `item` elements; false when the list is empty.
bool updateListCount(pugi::xml_node list, std::string_view item) {
  unsigned count = 0;
  for (auto v : list.children())
    count += localNameOf(v.name()) == item;
  if (auto a = list.attribute("count"))
    a.set_value(count);
  return count > 0;
}

// Extension lists whose every rule was deleted go, with their extension.
void removeEmptyExtensions(pugi::xml_node extLst) {
  for (auto ext = extLst.first_child(); ext;) {
    auto next = ext.next_sibling();
    for (auto list = ext.first_child(); list;) {
      auto nextList = list.next_sibling();
      auto name = localNameOf(list.name());
      bool empty = false;
      if (name == "conditionalFormattings")
        empty = !childOf(list, "conditionalFormatting");
      else if (name == "dataValidations")
        empty = !updateListCount(list, "dataValidation");
      else if (name == "sparklineGroups") {
        for (auto group = list.first_child(); group;) {
          auto nextGroup = group.next_sibling();
          if (localNameOf(group.name()) == "sparklineGroup" &&
              !childOf(childOf(group, "sparklines"), "sparkline"))
            list.remove_child(group);
          group = nextGroup;
        }
        empty = !childOf(list, "sparklineGroup");
      }
      if (empty)
        ext.remove_child(list);
      list = nextList;
    }
    if (!ext.first_child())
      extLst.remove_child(ext);
    ext = next;
  }
  if (extLst && !extLst.first_child())
    extLst.parent().remove_child(extLst);
}

std::string ruleSqref(const RangedRule &rule) {
  std::string out;
  bool firstWritten = false;
  if (rule.hasFirst) {
    for (const auto &r : rule.ranges.rects())
      if (r == rule.first) {
        out = formatAddress(r, false, false);
        firstWritten = true;
        break;
      }
  }
  for (const auto &r : rule.ranges.rects()) {
    if (firstWritten && r == rule.first) {
      firstWritten = false; // write it only once
      continue;
    }
    if (!out.empty())
      out += ' ';
    out += formatAddress(r, false, false);
  }
  return out;
}

} // namespace

int32_t lastRowReached(const Formula &f, const FormulaReach &reach) {
  int32_t last = reach.maxRow;
  if (f.attributes().find(" ref=\"") != std::string::npos) {
    // An array formula's range moves with it: inserts and deletes down to its last row do.
    auto range = parseReference(attributeIn(f.attributes(), "ref"));
    last = std::max(last, range ? range->lastRow : kMaxRows);
  }
  return last;
}

std::string_view localNameOf(const char *name) {
  std::string_view n(name);
  size_t colon = n.find(':');
  return colon == std::string_view::npos ? n : n.substr(colon + 1);
}

pugi::xml_node childOf(pugi::xml_node parent, std::string_view local) {
  for (auto c : parent.children())
    if (localNameOf(c.name()) == local)
      return c;
  return {};
}

pugi::xml_node ensureSheetChild(pugi::xml_node root, const std::string &prefix,
                                std::string_view local) {
  if (auto existing = childOf(root, local))
    return existing;
  int wanted = orderOf(local);
  std::string tag = prefix + std::string(local);
  for (auto c : root.children()) {
    if (c.type() != pugi::node_element)
      continue;
    if (orderOf(localNameOf(c.name())) > wanted)
      return root.insert_child_before(tag.c_str(), c);
  }
  return root.append_child(tag.c_str());
}

namespace {

// Conditional formats, validations and sparklines kept in the sheet's extension list.
void loadExtensionRules(SheetFeatures &f, pugi::xml_node extLst, const std::string &sheetName) {
  for (auto ext : extLst.children()) {
    for (auto list : ext.children()) {
      auto name = localNameOf(list.name());
      if (name == "conditionalFormattings") {
        for (auto c : list.children())
          if (localNameOf(c.name()) == "conditionalFormatting") {
            f.conditionalFormats.emplace_back();
            readRule(f.conditionalFormats.back(), c, {"f"});
          }
      } else if (name == "dataValidations") {
        for (auto v : list.children())
          if (localNameOf(v.name()) == "dataValidation") {
            f.validations.emplace_back();
            readRule(f.validations.back(), v, {"f"});
          }
      } else if (name == "sparklineGroups") {
        f.sparklines.load(list, sheetName);
      }
    }
  }
}

} // namespace

void Worksheet::loadStructure() {
  features_ = std::make_unique<SheetFeatures>();
  SheetFeatures &f = *features_;
  auto root = xml_->root();
  if (auto merges = childOf(root, "mergeCells")) {
    for (auto m : merges.children())
      if (localNameOf(m.name()) == "mergeCell")
        if (auto rect = parseReference(m.attribute("ref").value()))
          f.merges.add(*rect);
    root.remove_child(merges);
  }
  for (auto c : root.children()) {
    auto name = localNameOf(c.name());
    if (name == "conditionalFormatting") {
      f.conditionalFormats.emplace_back();
      readRule(f.conditionalFormats.back(), c, {"formula"});
    } else if (name == "dataValidations") {
      for (auto v : c.children())
        if (localNameOf(v.name()) == "dataValidation") {
          f.validations.emplace_back();
          readRule(f.validations.back(), v, {"formula1", "formula2"});
        }
    }
  }
  loadExtensionRules(*features_, childOf(root, "extLst"), name_);
  for (auto [tag, list, limit] : {std::tuple{"rowBreaks", &f.rowBreaks, kMaxRows},
                                  std::tuple{"colBreaks", &f.columnBreaks, kMaxColumns}}) {
    if (auto breaks = childOf(root, tag)) {
      for (auto b : breaks.children())
        if (localNameOf(b.name()) == "brk") {
          int32_t position = b.attribute("id").as_int(0) + 1;
          if (position > 1 && position <= limit)
            list->push_back(position);
        }
      root.remove_child(breaks);
    }
    std::sort(list->begin(), list->end());
    list->erase(std::unique(list->begin(), list->end()), list->end());
  }
  // The sheet's tables and notes.
  Package &package = book_->package();
  f.notes.load(package, partName_);
  if (package.has(Package::relsNameOf(partName_))) {
    for (const auto &rel : package.relationshipsOf(partName_).items) {
      if (rel.external || !rel.type.ends_with("/table"))
        continue;
      std::string part = Package::resolveTarget(partName_, rel.target);
      if (!package.has(part))
        continue;
      auto table = std::make_unique<SheetTable>();
      table->part = part;
      const std::string &xml = package.read(part);
      if (table->doc.load_buffer(xml.data(), xml.size(),
                                 pugi::parse_default | pugi::parse_declaration))
        f.tables.push_back(std::move(table));
    }
  }
  expandSharedFormulas();
  // Index the formulas for the structural changes.
  rowReach_.clear();
  for (uint32_t i = 0; i < cells_.formulaCount(); ++i)
    registerFormula(i);
}

void Worksheet::expandSharedFormulas() {
  struct Master {
    std::string text;
    int32_t row, column;
  };
  std::map<std::string, Master> masters;
  for (int32_t r = 1; r <= cells_.rowCount(); ++r) {
    for (Cell &c : cells_.rowAt(r).cells) {
      if (c.type != CellType::Formula)
        continue;
      Formula &f = cells_.formula(c.index);
      if (attributeIn(f.attributes(), "t") != "shared")
        continue;
      std::string si = attributeIn(f.attributes(), "si");
      if (!f.text.empty()) {
        masters[si] = Master{f.text, r, c.column};
      } else if (auto it = masters.find(si); it != masters.end()) {
        f.text = moveFormula(it->second.text, r - it->second.row, c.column - it->second.column);
      }
      // Every cell now holds its own formula.
      f.setAttributes(removeAttributes(f.attributes(), {"t", "si", "ref"}));
    }
  }
}

void Worksheet::registerFormula(uint32_t index) {
  const Formula &f = cells_.formula(index);
  if (f.dead || f.text.empty())
    return;
  FormulaReach reach = formulaReach(f.text, name_);
  int32_t maxRow = lastRowReached(f, reach);
  if (f.attributes().find(" ref=\"") != std::string::npos) {
    auto range = parseReference(attributeIn(f.attributes(), "ref"));
    if (!f.spills && range && (range->rowCount() > 1 || range->columnCount() > 1))
      features_->arrays.add(*range);
  }
  if (maxRow > 0) {
    std::pair<int32_t, uint32_t> entry{maxRow, index};
    auto it = std::upper_bound(rowReach_.begin(), rowReach_.end(), entry,
                               [](const auto &a, const auto &b) { return a.first < b.first; });
    rowReach_.insert(it, entry);
  }
  if (reach.otherSheets)
    book_->crossSheetFormulas().emplace_back(this, index);
}

void Worksheet::writeStructure() {
  if (!features_)
    return;
  SheetFeatures &f = *features_;
  auto root = xml_->root();
  if (auto old = childOf(root, "mergeCells"))
    root.remove_child(old);
  if (!f.merges.empty()) {
    auto merges = ensureSheetChild(root, xml_->prefix, "mergeCells");
    merges.append_attribute("count") = static_cast<unsigned>(f.merges.size());
    std::string tag = xml_->prefix + "mergeCell";
    for (const auto &r : f.merges.rects())
      merges.append_child(tag.c_str())
          .append_attribute("ref")
          .set_value(formatAddress(r, false, false).c_str());
  }
  for (auto *rules : {&f.conditionalFormats, &f.validations})
    for (auto &rule : *rules) {
      if (!rule.node)
        continue;
      if (rule.ranges.empty()) {
        rule.node.parent().remove_child(rule.node);
        rule.node = {};
        continue;
      }
      if (rule.sqref)
        rule.sqref.text().set(ruleSqref(rule).c_str());
      else
        rule.node.attribute("sqref").set_value(ruleSqref(rule).c_str());
    }
  if (auto list = childOf(root, "dataValidations"))
    if (!updateListCount(list, "dataValidation"))
      root.remove_child(list);
  removeEmptyExtensions(childOf(root, "extLst"));
  for (auto [tag, list, max] : {std::tuple{"rowBreaks", &f.rowBreaks, kMaxColumns - 1},
                                std::tuple{"colBreaks", &f.columnBreaks, kMaxRows - 1}}) {
    if (auto old = childOf(root, tag))
      root.remove_child(old);
    if (list->empty())
      continue;
    auto breaks = ensureSheetChild(root, xml_->prefix, tag);
    breaks.append_attribute("count") = static_cast<unsigned>(list->size());
    breaks.append_attribute("manualBreakCount") = static_cast<unsigned>(list->size());
    std::string brk = xml_->prefix + "brk";
    for (int32_t position : *list) {
      auto b = breaks.append_child(brk.c_str());
      b.append_attribute("id") = position - 1;
      b.append_attribute("max") = max;
      b.append_attribute("man") = "1";
    }
  }
}

RectSet &Worksheet::mergedCells() {
  cells();
  return features_->merges;
}

void Worksheet::merge(const CellRect &rect) {
  RectSet &merges = mergedCells();
  merges.removeOverlapping(rect);
  if (rect.rowCount() > 1 || rect.columnCount() > 1)
    merges.add(rect);
}

const std::vector<int32_t> &Worksheet::rowBreaks() const {
  ensureLoaded();
  return features_->rowBreaks;
}

const std::vector<int32_t> &Worksheet::columnBreaks() const {
  ensureLoaded();
  return features_->columnBreaks;
}

void Worksheet::setPageBreak(bool column, int32_t position, bool on) {
  cells();
  auto &list = column ? features_->columnBreaks : features_->rowBreaks;
  // A break above the first row or column is no break.
  if (position <= 1)
    return;
  auto it = std::lower_bound(list.begin(), list.end(), position);
  bool present = it != list.end() && *it == position;
  if (on && !present)
    list.insert(it, position);
  else if (!on && present)
    list.erase(it);
}

} // namespace brevant
