#include <algorithm>

#include "engine/components/spreadsheet/formulas/reference_shifter.h"
#include "engine/components/spreadsheet/structure/sheet_features.h"
#include "engine/components/spreadsheet/workbook.h"
#include "engine/components/spreadsheet/worksheet.h"

namespace brevant {

namespace {

// The source block as it was before the copy wrote anything, so that a destination that
// overlaps the source reads the original cells.
struct BlockSnapshot {
  struct RowCopy {
    std::vector<Cell> cells; // formula cells index `formulas`
    float height = -1;
    bool customHeight = false;
    uint32_t style = 0;
    bool customFormat = false;
    std::vector<std::pair<int32_t, std::string>> attributes; // by source column
  };
  std::vector<RowCopy> rows;
  std::vector<Formula> formulas;
};

bool intersect(const CellRect &a, const CellRect &b, CellRect &out) {
  out = CellRect{std::max(a.firstRow, b.firstRow), std::max(a.firstColumn, b.firstColumn),
                 std::min(a.lastRow, b.lastRow), std::min(a.lastColumn, b.lastColumn)};
  return out.firstRow <= out.lastRow && out.firstColumn <= out.lastColumn;
}

CellRect moved(const CellRect &r, int32_t rows, int32_t columns) {
  return CellRect{r.firstRow + rows, r.firstColumn + columns, r.lastRow + rows,
                  r.lastColumn + columns};
}

} // namespace

void Worksheet::copyBlock(const CellRect &source, int32_t rows, int32_t columns) {
  CellRect destination = moved(source, rows, columns);
  copyBlockTo(source, {{rows, columns}}, destination);
}

void Worksheet::copyBlockTo(const CellRect &source,
                            const std::vector<std::pair<int32_t, int32_t>> &offsets,
                            const CellRect &clip) {
  CellStore &store = cells();
  SheetFeatures &features = *features_;
  const bool wholeRows = source.wholeRows();

  BlockSnapshot snap;
  snap.rows.resize(static_cast<size_t>(source.rowCount()));
  for (int32_t r = source.firstRow; r <= std::min(source.lastRow, store.rowCount()); ++r) {
    const Row *row = store.row(r);
    auto &copy = snap.rows[static_cast<size_t>(r - source.firstRow)];
    copy.height = row->height;
    copy.customHeight = row->customHeight;
    copy.style = row->style;
    copy.customFormat = row->customFormat;
    auto [lo, hi] = CellStore::band(*row, source.firstColumn, source.lastColumn);
    copy.cells.assign(row->cells.begin() + static_cast<long>(lo),
                      row->cells.begin() + static_cast<long>(hi));
    for (Cell &c : copy.cells) {
      if (c.type == CellType::Formula) {
        snap.formulas.push_back(store.formula(c.index));
        c.index = static_cast<uint32_t>(snap.formulas.size() - 1);
      }
      if (c.flags & kCellHasAttributes)
        copy.attributes.emplace_back(c.column, std::string(store.cellAttributes(r, c.column)));
    }
  }
  // Merged cells wholly inside the source, and the pieces of conditional formats and data
  // validations that cover it.
  std::vector<CellRect> sourceMerges;
  for (const auto &m : features.merges.overlapping(source))
    if (m.firstRow >= source.firstRow && m.lastRow <= source.lastRow &&
        m.firstColumn >= source.firstColumn && m.lastColumn <= source.lastColumn)
      sourceMerges.push_back(m);
  struct RulePieces {
    RangedRule *rule;
    std::vector<CellRect> pieces;
  };
  std::vector<RulePieces> rulePieces;
  for (auto *rules : {&features.conditionalFormats, &features.validations})
    for (auto &rule : *rules) {
      if (!rule.node)
        continue;
      RulePieces p{&rule, {}};
      for (const auto &r : rule.ranges.overlapping(source)) {
        CellRect piece;
        if (intersect(r, source, piece))
          p.pieces.push_back(piece);
      }
      if (!p.pieces.empty())
        rulePieces.push_back(std::move(p));
    }

  // Every destination is checked before anything is written.
  auto destinationOf = [&](int32_t dr, int32_t dc, CellRect &dest) {
    return intersect(moved(source, dr, dc), clip, dest) && dest.firstRow >= 1 &&
           dest.firstColumn >= 1 && dest.lastRow <= kMaxRows && dest.lastColumn <= kMaxColumns;
  };
  if (!features.merges.empty() || !features.arrays.empty())
    for (auto [dr, dc] : offsets) {
      CellRect dest;
      if (destinationOf(dr, dc, dest))
        checkCopyTarget(source, dest);
    }

  store.reserveFormulas(snap.formulas.size() * offsets.size());
  // Each source formula's references are found once for all its copies.
  std::vector<FormulaCopier> copiers;
  copiers.reserve(snap.formulas.size());
  for (const Formula &f : snap.formulas)
    copiers.emplace_back(f.text);
  int32_t firstChanged = kMaxRows;
  std::vector<Cell> written; // one row's copied cells, reused from row to row

  for (auto [dr, dc] : offsets) {
    CellRect dest;
    if (!destinationOf(dr, dc, dest))
      continue;
    if (!features.arrays.empty())
      features.arrays.removeOverlapping(dest);
    firstChanged = std::min(firstChanged, dest.firstRow);
    for (int32_t r = dest.firstRow; r <= dest.lastRow; ++r) {
      const auto &copy = snap.rows[static_cast<size_t>(r - dr - source.firstRow)];
      // Nothing to write into a row that does not exist and gets nothing.
      if (copy.cells.empty() && copy.height < 0 && !copy.customFormat && r > store.rowCount())
        continue;
      Row &row = store.rowAt(r);
      if (copy.height >= 0 || row.height >= 0) {
        row.height = copy.height;
        row.customHeight = copy.customHeight;
      }
      if (wholeRows) {
        row.style = copy.style;
        row.customFormat = copy.customFormat;
      }
      auto [lo, hi] = CellStore::band(row, dest.firstColumn, dest.lastColumn);
      for (size_t i = lo; i < hi; ++i) {
        if (row.cells[i].type == CellType::Formula)
          store.release(row.cells[i].index);
        store.dropCellAttributes(r, row.cells[i].column, row.cells[i]);
      }
      written.clear();
      for (const Cell &c : copy.cells) {
        int32_t column = c.column + dc;
        if (column < dest.firstColumn || column > dest.lastColumn)
          continue;
        Cell out = c;
        out.column = static_cast<uint16_t>(column);
        if (c.type == CellType::Formula) {
          Formula f = snap.formulas[c.index];
          f.text = copiers[c.index].moved(dr, dc);
          if (size_t at = f.attributes().find(" ref=\""); at != std::string::npos) {
            std::string attributes = f.attributes();
            at += 6;
            size_t end = attributes.find('"', at);
            if (auto rect = parseReference(std::string_view(attributes).substr(at, end - at))) {
              attributes.replace(at, end - at, formatAddress(moved(*rect, dr, dc), false, false));
              f.setAttributes(std::move(attributes));
            }
          }
          out.index = store.addFormula(std::move(f));
        }
        written.push_back(out);
      }
      // `row` may not be used across addFormula: the row vector itself is stable.
      Row &target = store.rowAt(r);
      target.cells.erase(target.cells.begin() + static_cast<long>(lo),
                         target.cells.begin() + static_cast<long>(hi));
      target.cells.insert(target.cells.begin() + static_cast<long>(lo), written.begin(),
                          written.end());
      for (const Cell &c : written)
        if (c.type == CellType::Formula)
          registerFormula(c.index);
      for (const auto &[column, text] : copy.attributes)
        if (column + dc >= dest.firstColumn && column + dc <= dest.lastColumn)
          store.setCellAttributes(r, column + dc, text);
    }
    if (!features.merges.empty() || !sourceMerges.empty())
      features.merges.removeOverlapping(dest);
    for (const auto &m : sourceMerges) {
      CellRect target = moved(m, dr, dc);
      CellRect inside;
      if (intersect(target, dest, inside) && inside == target)
        features.merges.add(target);
    }
    for (auto &p : rulePieces)
      for (const auto &piece : p.pieces) {
        CellRect target;
        if (intersect(moved(piece, dr, dc), dest, target))
          p.rule->ranges.add(target, true);
      }
  }
  features.notes.copy(source, offsets, clip);
  features.sparklines.copy(source, offsets, clip, name_);
  if (firstChanged != kMaxRows)
    invalidateGeometry(firstChanged);
}

} // namespace brevant
