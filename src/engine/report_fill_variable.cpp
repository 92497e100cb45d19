// The variable fill (REPORT with TYPE=VAR and no GROUP): whole rows (or columns) are inserted
// after the template block, once, so that every record gets a block of its own; the template
// then reaches all blocks in one auto-fill. RESERVE=2 says the template holds a spare block that
// takes the last record, so that ranges ending there (a total's SUM) grow with the records.
#include "engine/components/database/recordset.h"
#include "engine/components/spreadsheet/worksheet.h"
#include "engine/components/spreadsheet/xl_constants.h"
#include "engine/report_fill.h"
#include "engine/script_functions.h"

namespace brevant {
namespace {

// Inserts `amount` whole rows (ROW) or columns (COL) right after the block.
void insertRoom(Worksheet &sheet, const FillSetup &setup, int64_t amount) {
  const CellRect &block = setup.block;
  const int64_t first = (setup.byColumn ? block.lastColumn : block.lastRow) + int64_t(1);
  const int64_t last = first + amount - 1;
  const int64_t limit = setup.byColumn ? kMaxColumns : kMaxRows;
  if (last > limit)
    throw std::runtime_error("There is no room on the worksheet for " +
                             std::to_string(setup.recordCount) + " record blocks of " +
                             std::to_string(setup.extent) +
                             (setup.byColumn ? " columns" : " rows") + ".");
  if (setup.byColumn) {
    const std::string text =
        sheet.Columns(int32_t(first)).Address() + ":" + sheet.Columns(int32_t(last)).Address();
    sheet.Range(text).Insert(xlDirection::xlToRight);
  } else {
    sheet.Range(std::to_string(first) + ":" + std::to_string(last)).Insert(xlDirection::xlDown);
  }
}

void deleteBlock(Worksheet &sheet, const FillSetup &setup) {
  Range(sheet, setup.block).Delete(setup.byColumn ? xlDirection::xlToLeft : xlDirection::xlUp);
}

} // namespace

bool ReportVariable(RunState &run, const FunctionSettings &settings, const std::string &sql) {
  return runReportFill(run, settings, [&](Recordset &records) {
    const FillSetup setup = prepareFill(run, settings, records, sql, ImageStyles::AtSetUp);
    Worksheet &sheet = *run.currentSheet;
    const int32_t count = setup.recordCount;
    const int32_t reserved = settings.reserveMode == 2 ? 2 : 1;
    const int64_t extent = setup.extent;
    const CellRect &block = setup.block;
    const bool byColumn = setup.byColumn;

    if (reserved < count) {
      insertRoom(sheet, setup, (int64_t(count) - reserved) * extent);
    } else if (count < reserved) {
      for (int32_t i = 1; i < reserved; ++i)
        deleteBlock(sheet, setup);
    }

    // With two records in two reserved blocks the copy would land on the template itself.
    const int64_t along = (int64_t(count) - reserved) * extent;
    if (settings.copyRangeMode && count > 1 && along > 0) {
      CellRect destination = block;
      if (byColumn)
        destination.lastColumn = int32_t(block.lastColumn + along);
      else
        destination.lastRow = int32_t(block.lastRow + along);
      Range(sheet, block).AutoFill(Range(sheet, destination), xlAutoFillType::xlFillCopy);
    }

    RecordProgress progress(run, setup);
    RecordWriter writer(run, setup, records.GetFields(), ImageStyles::AtSetUp);
    const int breakEvery = settings.pageBreakRows;
    int64_t offset = 0;
    for (int32_t k = 0; k < count; ++k) {
      if (!progress.beforeRecord(k))
        return false;
      writer.write(offset);
      progress.afterRecord(k);
      // The break starts this record's block; none follows the last one.
      if (breakEvery > 0 && k > 0 && k % breakEvery == 0)
        setRecordPageBreak(sheet, byColumn,
                           (byColumn ? block.firstColumn : block.firstRow) + offset);
      offset += extent;
      records.MoveNext();
      // Each record is read once: what lies behind goes, so the records and the filled sheet
      // are not held in full at the same time.
      if ((k + 1) % int32_t(ResultColumn::kBlockRows) == 0)
        records.releasePassedRecords();
    }
    if (count > 0)
      progress.complete();
    else if (settings.deleteRangeOnNoData)
      deleteBlock(sheet, setup);
    return true;
  });
}

} // namespace brevant
