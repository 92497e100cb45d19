// The fixed fill (REPORT with TYPE=FIX): every record block is written over the cells that follow
// the template block; nothing is inserted or deleted. With COPYRANGE the template block is first
// copied over all blocks in one auto-fill.
#include "engine/components/database/recordset.h"
#include "engine/components/spreadsheet/worksheet.h"
#include "engine/components/spreadsheet/xl_constants.h"
#include "engine/report_fill.h"
#include "engine/script_functions.h"

namespace brevant {

bool ReportFixed(RunState &run, const FunctionSettings &settings, const std::string &sql) {
  return runReportFill(run, settings, [&](Recordset &records) {
    const FillSetup setup = prepareFill(run, settings, records, sql, ImageStyles::PerBlock);
    Worksheet &sheet = *run.currentSheet;
    const int32_t count = setup.recordCount;
    const int64_t extent = setup.extent;
    const CellRect &block = setup.block;
    const bool byColumn = setup.byColumn;

    if (settings.copyRangeMode && count > 1) {
      const int64_t along = (count - 1) * extent;
      const int64_t lastRow = block.lastRow + (byColumn ? 0 : along);
      const int64_t lastColumn = block.lastColumn + (byColumn ? along : 0);
      if (lastRow > kMaxRows || lastColumn > kMaxColumns)
        throw std::runtime_error(std::to_string(count) + " record blocks from " +
                                 cellName(block.firstRow, block.firstColumn) +
                                 " do not fit on the worksheet.");
      const CellRect destination{block.firstRow, block.firstColumn, int32_t(lastRow),
                                 int32_t(lastColumn)};
      Range(sheet, block).AutoFill(Range(sheet, destination), xlAutoFillType::xlFillCopy);
    }

    RecordProgress progress(run, setup);
    RecordWriter writer(run, setup, records.GetFields(), ImageStyles::PerBlock);
    const int breakEvery = settings.pageBreakRows;
    int64_t offset = 0;
    for (int32_t k = 0; k < count; ++k) {
      if (!progress.beforeRecord(k))
        return false;
      writer.write(offset);
      progress.afterRecord(k);
      // The break follows this record's block, also after the last one.
      if (breakEvery > 0 && (int64_t(k) + 1) % breakEvery == 0)
        setRecordPageBreak(sheet, byColumn,
                           (byColumn ? block.lastColumn : block.lastRow) + offset + 1);
      offset += extent;
      records.MoveNext();
    }
    if (count > 0)
      progress.complete();
    return true;
  });
}

} // namespace brevant
