// The grouped fill (REPORT with GROUP): records that share the values of a group's fields sit
// under one block of that group, written once, and groups nest. Each level keeps a clean copy
// of its template block past the end of the report; a record that starts a new block at some
// level gets room right after that level's current block and a copy of the level's template
// there, so that the cells, formats and formulas of the template follow every block and a
// group's totals below its records keep summing the group.
#include "engine/components/database/recordset.h"
#include "engine/components/spreadsheet/worksheet.h"
#include "engine/components/spreadsheet/xl_constants.h"
#include "engine/field_value.h"
#include "engine/group_levels.h"
#include "engine/report_fill.h"
#include "engine/script_functions.h"

#include <algorithm>

namespace brevant {
namespace {

// One level's place in the sheet while the fill runs, in rows (ROW) or columns (COL).
struct LevelState {
  int64_t templateStart = 0; // first row (column) of the template block
  int64_t extent = 1;        // the template block's height (width)
  int64_t outputStart = 0;   // the current output block
  int64_t outputLength = 1;
  int64_t copyStart = 0;  // the stored template copy
  int64_t blockCount = 0; // blocks of this level after the first
};

class GroupedFill {
public:
  GroupedFill(RunState &run, const FillSetup &setup, const std::vector<GroupLevel> &levels)
      : run_(run), sheet_(*run.currentSheet), setup_(setup), levels_(levels),
        byColumn_(setup.byColumn), limit_(byColumn_ ? kMaxColumns : kMaxRows) {
    state_.resize(levels.size());
    for (size_t v = 0; v < levels.size(); ++v) {
      LevelState &s = state_[v];
      s.templateStart = alongStart(levels[v].block);
      s.extent = alongEnd(levels[v].block) - s.templateStart + 1;
      s.outputStart = s.templateStart;
      s.outputLength = s.extent;
      s.copyStart = s.templateStart;
    }
    const CellRect &outer = levels.front().block;
    rowsAligned_ = std::all_of(levels.begin(), levels.end(), [&](const GroupLevel &l) {
      return l.block.firstRow == outer.firstRow && l.block.lastRow == outer.lastRow;
    });
    identical_ =
        rowsAligned_ && std::all_of(levels.begin(), levels.end(), [&](const GroupLevel &l) {
          return l.block.firstColumn == outer.firstColumn && l.block.lastColumn == outer.lastColumn;
        });
    // Room is made once only when every record takes level 1's extent. In a COL fill whose
    // inner levels are narrower that is not so: room for N blocks of level 1 would leave
    // columns unused and can pass the sheet's last column while the report itself fits, so
    // such a fill makes room record by record, which lays out the same sheet.
    roomOnce_ = byColumn_ ? identical_ : rowsAligned_;
  }

  // Makes room for all records at once when each takes level 1's extent, and fills identical
  // blocks in one auto-fill.
  void prepare(int32_t count) {
    if (!roomOnce_)
      return;
    LevelState &outer = state_.front();
    insertRoom(outer.templateStart + outer.extent, int64_t(count) * outer.extent);
    // Every level's copy lies inside the copy of level 1, where the level lies in level 1.
    const int64_t copyOfOuter = outer.templateStart + int64_t(count) * outer.extent;
    for (LevelState &s : state_)
      s.copyStart = copyOfOuter + (s.templateStart - outer.templateStart);
    if (identical_ && count > 1) {
      const CellRect &block = levels_.front().block;
      Range(sheet_, block)
          .AutoFill(Range(sheet_, span(block, outer.templateStart, int64_t(count) * outer.extent)),
                    xlAutoFillType::xlFillCopy);
    }
  }

  // Lays out record k, which starts a new block at `level` and at every level inside it.
  void place(int32_t k, size_t level) {
    LevelState &s = state_[level];
    if (!roomOnce_) {
      insertRoom(s.outputStart + s.outputLength, s.extent);
      for (LevelState &each : state_)
        each.copyStart += s.extent;
    }
    if (!identical_) {
      if (k == 0) {
        const CellRect &block = levels_.front().block;
        Range(sheet_, block).Copy(cell(block, state_.front().copyStart));
      } else {
        const CellRect &block = levels_[level].block;
        Range(sheet_, span(block, s.copyStart, s.extent))
            .Copy(cell(block, s.outputStart + s.outputLength));
      }
    }
    if (k == 0)
      return; // the template blocks take the first record
    s.outputStart += s.outputLength;
    s.outputLength = s.extent;
    ++s.blockCount;
    for (size_t v = 0; v < level; ++v)
      state_[v].outputLength += s.extent;
    for (size_t j = level + 1; j < state_.size(); ++j) {
      LevelState &inner = state_[j];
      inner.outputStart = state_[j - 1].outputStart + (inner.copyStart - state_[j - 1].copyStart);
      inner.outputLength = inner.extent;
      ++inner.blockCount;
    }
  }

  // Writes the fields of `level` at its current output block.
  void write(size_t level, const std::vector<Variant> &values) {
    const int64_t offset = state_[level].outputStart - state_[level].templateStart;
    for (const int i : levels_[level].fields) {
      const FillField &place = setup_.fields[size_t(i)];
      const int64_t row = place.row + (byColumn_ ? 0 : offset);
      const int64_t column = place.column + (byColumn_ ? offset : 0);
      if (row > kMaxRows || column > kMaxColumns)
        throw std::runtime_error("The group block at " + cellName(place.row, place.column) +
                                 " lies outside the worksheet.");
      Range target = sheet_.Cells(int32_t(row), int32_t(column));
      if (place.image)
        InsertImageToCell(run_.log, target, values[size_t(i)], place.style, setup_.imageFolder);
      else
        target.setValue(values[size_t(i)]);
    }
  }

  void pageBreak(size_t level) { setRecordPageBreak(sheet_, byColumn_, state_[level].outputStart); }

  int64_t blockCount(size_t level) const { return state_[level].blockCount; }

  // Removes the template copy: its cells only, so the cells beside level 1 stay where they are.
  void finish() {
    const LevelState &outer = state_.front();
    Range(sheet_, span(levels_.front().block, outer.copyStart, outer.extent))
        .Delete(byColumn_ ? xlDirection::xlToLeft : xlDirection::xlUp);
  }

private:
  int64_t alongStart(const CellRect &r) const { return byColumn_ ? r.firstColumn : r.firstRow; }
  int64_t alongEnd(const CellRect &r) const { return byColumn_ ? r.lastColumn : r.lastRow; }

  // `block`'s cells across, `length` rows (columns) from `start` along.
  CellRect span(const CellRect &block, int64_t start, int64_t length) const {
    if (start + length - 1 > limit_)
      throw std::runtime_error(roomError());
    CellRect r = block;
    if (byColumn_) {
      r.firstColumn = int32_t(start);
      r.lastColumn = int32_t(start + length - 1);
    } else {
      r.firstRow = int32_t(start);
      r.lastRow = int32_t(start + length - 1);
    }
    return r;
  }

  Range cell(const CellRect &block, int64_t start) const {
    const CellRect r = span(block, start, 1);
    return sheet_.Cells(r.firstRow, r.firstColumn);
  }

  std::string roomError() const {
    return std::string("There is no room on the worksheet for the group blocks of ") +
           std::to_string(setup_.recordCount) + " records.";
  }

  void insertRoom(int64_t first, int64_t amount) {
    if (amount <= 0)
      return;
    const int64_t last = first + amount - 1;
    if (last > limit_)
      throw std::runtime_error(roomError());
    if (byColumn_)
      Range(sheet_, CellRect{1, int32_t(first), kMaxRows, int32_t(last)})
          .Insert(xlDirection::xlToRight);
    else
      Range(sheet_, CellRect{int32_t(first), 1, int32_t(last), kMaxColumns})
          .Insert(xlDirection::xlDown);
  }

  RunState &run_;
  Worksheet &sheet_;
  const FillSetup &setup_;
  const std::vector<GroupLevel> &levels_;
  bool byColumn_;
  int64_t limit_;
  bool rowsAligned_ = false;
  bool identical_ = false;
  bool roomOnce_ = false;
  std::vector<LevelState> state_;
};

// The image fields of a grouped fill: their styles come from their template cells, which are
// cleared.
void markImageFields(Worksheet &sheet, const FunctionSettings &settings, Fields &fields,
                     FillSetup &setup, const std::string &templatePath) {
  if (settings.imageCount <= 0)
    return;
  std::vector<int> indexes;
  try {
    indexes = imageFieldIndexes(settings.images, fields);
  } catch (const FillError &) {
    throw;
  } catch (const std::exception &e) {
    throw FillError("Syntax error. Failed to parse image.", e.what());
  }
  for (const int index : indexes) {
    FillField &field = setup.fields[size_t(index)];
    if (field.image)
      continue;
    field.image = true;
    Range cell = sheet.Cells(field.row, field.column);
    field.style = ParseImageStyle(cell.Text());
    cell.setValue(Variant{});
  }
  if (setup.recordCount > 0)
    setup.imageFolder = imageFolderOf(templatePath);
}

// The outermost level at which record values differ from the previous record's; the detail
// level when no group changed.
size_t breakLevel(const std::vector<GroupLevel> &levels, const std::vector<Variant> &current,
                  const std::vector<Variant> &previous) {
  for (size_t g = 0; g + 1 < levels.size(); ++g)
    for (const int i : levels[g].breakFields)
      if (!sameGroupValue(current[size_t(i)], previous[size_t(i)]))
        return g;
  return levels.size() - 1;
}

} // namespace

bool ReportGrouped(RunState &run, const FunctionSettings &settings, const std::string &sql) {
  return runReportFill(run, settings, [&](Recordset &records) {
    // The shared set-up without RANGE and IMAGE: here RANGE is the detail block's, and the image
    // list is read after the groups.
    FunctionSettings shared = settings;
    shared.rangeText.clear();
    shared.images.clear();
    shared.imageCount = 0;
    FillSetup setup = prepareFill(run, shared, records, sql, ImageStyles::AtSetUp);
    Worksheet &sheet = *run.currentSheet;
    Fields &fields = records.GetFields();
    const std::vector<GroupLevel> levels = buildGroupLevels(sheet, settings, setup.fields, fields);
    markImageFields(sheet, settings, fields, setup, run.definition.resolvedTemplatePath);

    const int32_t count = setup.recordCount;
    GroupedFill fill(run, setup, levels);
    if (count == 0) {
      if (settings.deleteRangeOnNoData)
        Range(sheet, levels.front().block)
            .Delete(setup.byColumn ? xlDirection::xlToLeft : xlDirection::xlUp);
      return true;
    }
    fill.prepare(count);

    std::vector<Field *> columns;
    columns.reserve(size_t(std::max(setup.fieldCount, 0)));
    for (int j = 0; j < setup.fieldCount; ++j)
      columns.push_back(&fields.Item(j));
    std::vector<Variant> current(columns.size()), previous(columns.size());
    const int groupBreaks = settings.pageBreakGroups;
    const size_t breakLevelOfGroups =
        size_t(std::clamp<int>(settings.pageBreakGroupLevel, 1, int(levels.size()) - 1) - 1);
    const int recordBreaks = settings.pageBreakRows;
    int64_t lastGroupBreak = 0;

    RecordProgress progress(run, setup);
    for (int32_t k = 0; k < count; ++k) {
      if (!progress.beforeRecord(k))
        return false;
      for (size_t j = 0; j < columns.size(); ++j)
        current[j] = GetFieldValue(*columns[j]);
      // The first record starts a block at every level, whatever its values.
      const size_t level = k == 0 ? 0 : breakLevel(levels, current, previous);
      fill.place(k, level);
      // Only the values written become the previous ones: a group whose field turned Null keeps
      // comparing with its last value.
      for (size_t v = level; v < levels.size(); ++v) {
        fill.write(v, current);
        for (const int i : levels[v].fields)
          previous[size_t(i)] = current[size_t(i)];
      }

      if (groupBreaks > 0) {
        const int64_t blocks = fill.blockCount(breakLevelOfGroups);
        if (blocks % groupBreaks == 0 && blocks > lastGroupBreak) {
          fill.pageBreak(level);
          lastGroupBreak = blocks;
        }
      }
      if (recordBreaks > 0 && k > 0 && k % recordBreaks == 0) {
        fill.pageBreak(level);
        if (groupBreaks > 0)
          lastGroupBreak = fill.blockCount(breakLevelOfGroups);
      }
      progress.afterRecord(k);
      records.MoveNext();
    }
    fill.finish();
    progress.complete();
    return true;
  });
}

} // namespace brevant
