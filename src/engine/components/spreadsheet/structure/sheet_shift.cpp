#include "engine/components/spreadsheet/io/c_numbers.h"
#include "engine/components/spreadsheet/sheet/sheet_reader.h"
#include "engine/components/spreadsheet/sheet/sheet_xml.h"
#include <algorithm>

#include "engine/components/spreadsheet/drawing/drawing.h"
#include "engine/components/spreadsheet/spreadsheet_error.h"
#include "engine/components/spreadsheet/structure/sheet_features.h"
#include "engine/components/spreadsheet/workbook.h"
#include "engine/components/spreadsheet/worksheet.h"

namespace brevant {

namespace {

// Moves the range of an array formula (its ref="..." attribute).
void shiftArrayRange(Formula &f, const SheetShift &shift) {
  const std::string key = " ref=\"";
  size_t at = f.attributes().find(key);
  if (at == std::string::npos)
    return;
  std::string attributes = f.attributes();
  at += key.size();
  size_t end = attributes.find('"', at);
  auto rect = parseReference(std::string_view(attributes).substr(at, end - at));
  if (!rect || shiftRect(*rect, shift) != ShiftOutcome::Changed)
    return;
  attributes.replace(at, end - at, formatAddress(*rect, false, false));
  f.setAttributes(std::move(attributes));
}

bool shiftRefAttribute(pugi::xml_node node, const SheetShift &shift) {
  auto attr = node.attribute("ref");
  auto rect = parseReference(attr.value());
  if (!rect)
    return true;
  ShiftOutcome o = shiftRect(*rect, shift);
  if (o == ShiftOutcome::Deleted)
    return false;
  if (o == ShiftOutcome::Changed)
    attr.set_value(formatAddress(*rect, false, false).c_str());
  return true;
}

void shiftPositions(std::vector<int32_t> &list, const SheetShift &shift) {
  std::vector<int32_t> out;
  out.reserve(list.size());
  for (int32_t p : list) {
    int32_t first = p, last = p;
    if (shiftInterval(first, last, shift) == ShiftOutcome::Deleted)
      continue;
    if (first > 1)
      out.push_back(first);
  }
  list = std::move(out);
}

} // namespace

void Worksheet::shiftCells(const SheetShift &shift) {
  CellStore &store = cells();
  if (shift.count == 0)
    return;
  const int32_t limit = shift.limit();
  if (shift.at < 1 || shift.at > limit || shift.bandFirst > shift.bandLast)
    throw SpreadsheetError("The cells to move lie outside the sheet.");
  if (shift.count > 0) {
    // Nothing that holds a value may be pushed off the end of the sheet.
    bool lost = shift.columns ? store.holdsValues(shift.bandFirst, shift.bandLast,
                                                  kMaxColumns - shift.count + 1, kMaxColumns)
                              : store.holdsValues(kMaxRows - shift.count + 1, kMaxRows,
                                                  shift.bandFirst, shift.bandLast);
    if (shift.count >= limit || lost)
      throw SpreadsheetError("The cells cannot be inserted: cells holding values would be pushed "
                             "off the end of the sheet.");
  } else if (int64_t(shift.at) - shift.count - 1 > limit) {
    throw SpreadsheetError("The cells to delete lie outside the sheet.");
  }

  // Pictures that keep their place or size are measured before anything moves.
  if (drawing_ || hasDrawingPart())
    drawing().capture();

  const bool whole = shift.wholeBand();
  if (!shift.columns) {
    if (whole) {
      if (shift.count > 0) {
        store.insertRows(shift.at, shift.count);
        formatInsertedRows(shift.at, shift.count);
      } else {
        store.deleteRows(shift.at, -shift.count);
      }
    } else {
      store.shiftBandVertically(shift.at, shift.count, shift.bandFirst, shift.bandLast);
    }
    invalidateGeometry(shift.at);
  } else {
    store.shiftColumns(shift.at, shift.count, shift.bandFirst, shift.bandLast);
    if (whole) {
      shiftColumnsXml(shift);
      if (shift.count > 0)
        formatInsertedColumns(shift.at, shift.count);
    }
  }

  shiftFormulas(shift);
  book_->shiftReferencesTo(*this, shift);
  shiftSheetXml(shift);
  if (drawing_)
    drawing_->shift(shift);
}

void Worksheet::shiftFormulas(const SheetShift &shift) {
  if (!shift.columns) {
    auto from = std::lower_bound(rowReach_.begin(), rowReach_.end(), shift.at,
                                 [](const auto &e, int32_t row) { return e.first < row; });
    size_t start = static_cast<size_t>(from - rowReach_.begin());
    size_t out = start;
    for (size_t i = start; i < rowReach_.size(); ++i) {
      uint32_t index = rowReach_[i].second;
      Formula &f = cells_.formula(index);
      if (f.dead)
        continue;
      shiftFormula(f.text, name_, name_, shift);
      shiftArrayRange(f, shift);
      int32_t maxRow = lastRowReached(f, formulaReach(f.text, name_));
      if (maxRow > 0)
        rowReach_[out++] = {maxRow, index};
    }
    rowReach_.resize(out);
    std::stable_sort(rowReach_.begin() + static_cast<long>(start), rowReach_.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    return;
  }
  // Column changes are rare and touch any formula: every one is looked at.
  for (uint32_t i = 0; i < cells_.formulaCount(); ++i) {
    Formula &f = cells_.formula(i);
    if (f.dead || f.text.empty())
      continue;
    shiftFormula(f.text, name_, name_, shift);
    shiftArrayRange(f, shift);
  }
}

void Worksheet::shiftSheetXml(const SheetShift &shift) {
  SheetFeatures &f = *features_;
  auto root = xml_->root();
  const bool whole = shift.wholeBand();
  f.merges.shift(shift);
  f.arrays.shift(shift);
  f.sparklines.shift(shift, name_);
  for (auto *rules : {&f.conditionalFormats, &f.validations}) {
    for (auto &rule : *rules) {
      if (!rule.node)
        continue;
      rule.ranges.shift(shift);
      if (rule.hasFirst && shiftRect(rule.first, shift) == ShiftOutcome::Deleted)
        rule.hasFirst = false;
      for (auto node : rule.formulas) {
        std::string text = node.text().get();
        if (shiftFormula(text, name_, name_, shift))
          node.text().set(text.c_str());
      }
    }
  }
  f.notes.shift(shift);
  if (whole)
    shiftPositions(shift.columns ? f.columnBreaks : f.rowBreaks, shift);
  if (auto links = childOf(root, "hyperlinks")) {
    for (auto link = links.first_child(); link;) {
      auto next = link.next_sibling();
      if (localNameOf(link.name()) == "hyperlink" && !shiftRefAttribute(link, shift))
        links.remove_child(link);
      link = next;
    }
    if (!links.first_child())
      root.remove_child(links);
  }
  if (auto filter = childOf(root, "autoFilter"))
    if (!shiftRefAttribute(filter, shift))
      root.remove_child(filter);
  for (auto &table : f.tables) {
    auto t = table->doc.document_element();
    shiftRefAttribute(t, shift);
    if (auto filter = childOf(t, "autoFilter"))
      shiftRefAttribute(filter, shift);
    if (auto columns = childOf(t, "tableColumns"))
      for (auto column : columns.children())
        if (auto formula = childOf(column, "calculatedColumnFormula")) {
          std::string text = formula.text().get();
          if (shiftFormula(text, name_, name_, shift))
            formula.text().set(text.c_str());
        }
    table->modified = true;
  }
}

void Worksheet::shiftReferencesTo(const std::string &target, const SheetShift &shift) {
  if (!features_)
    return;
  SheetFeatures &f = *features_;
  f.sparklines.shiftReferencesTo(name_, target, shift);
  for (auto *rules : {&f.conditionalFormats, &f.validations})
    for (auto &rule : *rules) {
      if (!rule.node)
        continue;
      for (auto node : rule.formulas) {
        std::string text = node.text().get();
        if (shiftFormula(text, name_, target, shift))
          node.text().set(text.c_str());
      }
    }
}

void Worksheet::shiftColumnsXml(const SheetShift &shift) {
  auto root = xml_->root();
  auto cols = childOf(root, "cols");
  if (cols) {
    pugi::xml_node left; // the <col> of the column before an insertion
    for (auto col = cols.first_child(); col;) {
      auto next = col.next_sibling();
      int32_t first = col.attribute("min").as_int(1), last = col.attribute("max").as_int(first);
      if (shift.count > 0 && last == shift.at - 1)
        left = col;
      ShiftOutcome o = shiftInterval(first, last, shift);
      if (o == ShiftOutcome::Deleted) {
        cols.remove_child(col);
      } else if (o == ShiftOutcome::Changed) {
        col.attribute("min").set_value(first);
        col.attribute("max").set_value(last);
      }
      col = next;
    }
    // Inserted columns take the width and format of the column on their left.
    if (left) {
      auto copy = cols.insert_copy_after(left, left);
      copy.attribute("min").set_value(shift.at);
      copy.attribute("max").set_value(std::min(kMaxColumns, shift.at + shift.count - 1));
      copy.remove_attribute("hidden");
    }
    if (!cols.first_child())
      root.remove_child(cols);
  }
  reloadColumns();
}

void Worksheet::reloadColumns() { geometry_.setColumns(readColumns(xml_->root())); }

void Worksheet::formatInsertedRows(int32_t at, int32_t count) {
  if (at <= 1 || at - 1 > cells_.rowCount())
    return;
  // The new rows take the format of the row above, as the spreadsheet inserts them.
  const Row *above = cells_.row(at - 1);
  if (!above)
    return;
  Row format;
  format.style = above->style;
  format.customFormat = above->customFormat;
  for (const Cell &c : above->cells)
    if (c.style != 0) {
      Cell styled;
      styled.column = c.column;
      styled.style = c.style;
      format.cells.push_back(styled);
    }
  if (format.isDefault())
    return;
  int32_t last = std::min(kMaxRows, at + count - 1);
  for (int32_t r = at; r <= last; ++r) {
    Row &row = cells_.rowAt(r);
    row.style = format.style;
    row.customFormat = format.customFormat;
    row.cells = format.cells;
  }
}

void Worksheet::formatInsertedColumns(int32_t at, int32_t count) {
  if (at <= 1)
    return;
  int32_t last = std::min(kMaxColumns, at + count - 1);
  for (int32_t r = 1; r <= cells_.rowCount(); ++r) {
    Row &row = cells_.rowAt(r);
    const Cell *left = cells_.find(r, at - 1);
    if (!left || left->style == 0)
      continue;
    uint32_t style = left->style;
    for (int32_t c = at; c <= last; ++c)
      cells_.at(r, c, style);
    (void)row;
  }
}

} // namespace brevant
