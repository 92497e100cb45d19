#include "engine/report_fill.h"

#include "base/paths.h"
#include "definition/name_lookup.h"
#include "engine/components/database/connection.h"
#include "engine/components/database/recordset.h"
#include "engine/components/spreadsheet/worksheet.h"
#include "engine/components/spreadsheet/xl_constants.h"
#include "engine/field_value.h"
#include "engine/numeric_text.h"
#include "engine/record_count.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace brevant {
namespace {

FillError imageError(const std::string &detail) {
  return FillError("Syntax error. Failed to parse image.", detail);
}

FillError fieldNotFound(const std::string &entry) {
  return imageError("Can not find field \"" + entry + "\" in the image list.");
}

} // namespace

int32_t progressStep(int32_t recordCount, double interval) {
  if (!(interval > 0))
    return 0;
  const double step = interval <= 1 ? recordCount * interval : interval;
  // nearbyint rounds in the default mode: to nearest, halves to even.
  const double rounded = std::nearbyint(step);
  if (rounded >= double(std::numeric_limits<int32_t>::max()))
    return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(rounded);
}

std::string returnsLine(const std::string &label, int32_t recordCount) {
  return label + "Returns " + std::to_string(recordCount) +
         (recordCount > 1 ? " records" : " record") + " from the data source.";
}

std::vector<FillField> templatePositions(Worksheet &sheet, const FunctionSettings &settings,
                                         int fieldCount) {
  std::vector<FillField> fields(static_cast<size_t>(fieldCount));
  const bool byColumn = settings.fillByColumn != 0;
  try {
    for (int i = 0; i < fieldCount; ++i) {
      FillField &field = fields[size_t(i)];
      if (i < settings.cellCount && size_t(i) < settings.targets.size() &&
          !settings.targets[size_t(i)].empty()) {
        const Range cell = sheet.Range(settings.targets[size_t(i)]);
        field.row = cell.Row();
        field.column = cell.Column();
        continue;
      }
      // The dispatcher made sure the first entry is given, so a predecessor exists.
      const FillField &previous = fields[size_t(i - 1)];
      field.row = previous.row + (byColumn ? 1 : 0);
      field.column = previous.column + (byColumn ? 0 : 1);
      if (field.row > kMaxRows || field.column > kMaxColumns)
        throw std::runtime_error("The cell of field " + std::to_string(i + 1) +
                                 " would lie outside the worksheet.");
    }
  } catch (const std::exception &e) {
    throw FillError("Syntax error. Failed to parse cell list.", e.what());
  }
  return fields;
}

CellRect boundingRect(const std::vector<FillField> &fields) {
  CellRect rect{kMaxRows, kMaxColumns, 1, 1};
  for (const FillField &f : fields) {
    rect.firstRow = std::min(rect.firstRow, f.row);
    rect.lastRow = std::max(rect.lastRow, f.row);
    rect.firstColumn = std::min(rect.firstColumn, f.column);
    rect.lastColumn = std::max(rect.lastColumn, f.column);
  }
  return rect;
}

CellRect blockWithinRange(Worksheet &sheet, const std::string &rangeText, const CellRect &cells) {
  CellRect range;
  try {
    const Range r = sheet.Range(rangeText);
    range = CellRect{r.Row(), r.Column(), r.Row() + r.Rows().Count() - 1,
                     r.Column() + r.Columns().Count() - 1};
  } catch (const std::exception &e) {
    throw FillError("Syntax error. Failed to parse range '" + rangeText + "'.", e.what());
  }
  if (cells.firstRow < range.firstRow || cells.lastRow > range.lastRow ||
      cells.firstColumn < range.firstColumn || cells.lastColumn > range.lastColumn)
    throw FillError("The range or copyrange should be " + formatAddress(cells, false, false) + ".",
                    "");
  return range;
}

std::vector<int> fieldListIndexes(const std::vector<std::string> &entries, Fields &fields,
                                  const std::function<FillError(const std::string &)> &notANumber,
                                  const std::function<FillError(const std::string &)> &notFound) {
  std::vector<int> indexes;
  if (entries.empty())
    return indexes;
  const int count = fields.Count();
  const bool byNumber = isNumericText(entries.front());
  indexes.reserve(entries.size());
  for (const std::string &entry : entries) {
    int64_t index = -1;
    if (byNumber) {
      const auto number = numericValue(entry);
      if (!number)
        throw notANumber("Type mismatch: \"" + entry +
                         "\" is not a field number, as the first entry of the list is.");
      const double rounded = std::nearbyint(*number);
      if (rounded >= 1 && rounded <= count)
        index = static_cast<int64_t>(rounded) - 1;
    } else {
      for (int i = 0; i < count; ++i)
        if (textEquals(fields.Item(i).Name(), entry, kTextCompare)) {
          index = i;
          break;
        }
    }
    if (index < 0 || index >= count)
      throw notFound(entry);
    indexes.push_back(static_cast<int>(index));
  }
  return indexes;
}

std::vector<int> imageFieldIndexes(const std::vector<std::string> &images, Fields &fields) {
  return fieldListIndexes(images, fields, imageError, fieldNotFound);
}

ImageFolder imageFolderOf(const std::string &templatePath) {
  ImageFolder folder;
  const size_t sep = templatePath.find_last_of("\\/");
  folder.folder = sep == std::string::npos ? std::string() : templatePath.substr(0, sep);
  if (sep == 0)
    folder.folder = "/";
  folder.network = isNetworkPath(folder.folder);
  return folder;
}

FillSetup prepareFill(RunState &run, const FunctionSettings &settings, Recordset &records,
                      const std::string &sql, ImageStyles styles) {
  FillSetup setup;
  setup.functionLabel = settings.functionLabel;
  setup.label = "[" + settings.functionLabel + "]    ";
  setup.byColumn = settings.fillByColumn != 0;

  Connection *connection = run.connections->connection(settings.dataSourceIndex);
  if (connection == nullptr)
    throw std::runtime_error("The data source is not connected.");
  if (run.currentSheet == nullptr)
    throw std::runtime_error("No worksheet is selected for the report.");
  Worksheet &sheet = *run.currentSheet;

  records.Open(sql, *connection);
  setup.recordCount = GetRecordCount(records);
  run.log.logLine(returnsLine(setup.label, setup.recordCount));
  Fields &fields = records.GetFields();
  setup.fieldCount = fields.Count();
  setup.progressStep = progressStep(setup.recordCount, run.request.progressInterval);

  setup.fields = templatePositions(sheet, settings, setup.fieldCount);
  if (setup.fields.empty()) {
    // A statement that returns no fields: the block is the first CELL entry's cell.
    FillField first;
    try {
      const Range cell = sheet.Range(settings.targets.front());
      first.row = cell.Row();
      first.column = cell.Column();
    } catch (const std::exception &e) {
      throw FillError("Syntax error. Failed to parse cell list.", e.what());
    }
    setup.block = boundingRect({first});
  } else {
    setup.block = boundingRect(setup.fields);
  }
  if (!settings.rangeText.empty())
    setup.block = blockWithinRange(sheet, settings.rangeText, setup.block);
  setup.extent = setup.byColumn ? setup.block.columnCount() : setup.block.rowCount();

  if (settings.imageCount > 0) {
    std::vector<int> indexes;
    try {
      indexes = imageFieldIndexes(settings.images, fields);
    } catch (const FillError &) {
      throw;
    } catch (const std::exception &e) {
      throw imageError(e.what());
    }
    for (const int index : indexes) {
      FillField &field = setup.fields[size_t(index)];
      if (field.image)
        continue; // named twice: its style was read (and its cell cleared) the first time
      field.image = true;
      if (styles == ImageStyles::AtSetUp) {
        Range cell = sheet.Cells(field.row, field.column);
        field.style = ParseImageStyle(cell.Text());
        cell.setValue(Variant{});
      }
    }
    if (setup.recordCount > 0)
      setup.imageFolder = imageFolderOf(run.definition.resolvedTemplatePath);
  }
  return setup;
}

RecordProgress::RecordProgress(RunState &run, const FillSetup &setup)
    : run_(run), total_(setup.recordCount), step_(setup.progressStep),
      display_(stderr, ProgressDisplay::enabledFor(run.interactiveRun()), setup.functionLabel,
               setup.recordCount) {}

bool RecordProgress::beforeRecord(int32_t k) {
  const int64_t number = int64_t(k) + 1;
  if (run_.interactiveRun()) {
    run_.observer.recordProgress(number, total_);
    run_.yieldToUserInterface();
  } else {
    if (step_ > 0 && number % step_ == 0)
      run_.log.logLine("Processing record number " + groupThousands(number) + " of " +
                       groupThousands(total_) + "...");
    run_.yieldToUserInterface();
  }
  return !run_.cancelRequested;
}

void RecordProgress::complete() {
  display_.finish();
  if (step_ > 0)
    run_.log.logLine("Process complete.");
}

RecordWriter::RecordWriter(RunState &run, const FillSetup &setup, Fields &fields,
                           ImageStyles styles)
    : run_(run), sheet_(*run.currentSheet), setup_(setup), styles_(styles) {
  fields_.reserve(size_t(setup.fieldCount));
  for (int j = 0; j < setup.fieldCount; ++j)
    fields_.push_back(&fields.Item(j));
}

void RecordWriter::write(int64_t offset) {
  for (size_t j = 0; j < fields_.size(); ++j) {
    const FillField &place = setup_.fields[j];
    const int64_t row = place.row + (setup_.byColumn ? 0 : offset);
    const int64_t column = place.column + (setup_.byColumn ? offset : 0);
    if (row > kMaxRows || column > kMaxColumns)
      throw std::runtime_error("The record block at " + cellName(place.row, place.column) +
                               " moved by " + std::to_string(offset) +
                               (setup_.byColumn ? " columns" : " rows") +
                               " lies outside the worksheet.");
    Range cell = sheet_.Cells(int32_t(row), int32_t(column));
    const Variant value = GetFieldValue(*fields_[j]);
    if (!place.image) {
      cell.setValue(value);
    } else if (styles_ == ImageStyles::PerBlock) {
      const ImageStyle style = ParseImageStyle(cell.Text());
      cell.setValue(Variant{});
      InsertImageToCell(run_.log, cell, value, style, setup_.imageFolder);
    } else {
      InsertImageToCell(run_.log, cell, value, place.style, setup_.imageFolder);
    }
  }
}

void setRecordPageBreak(Worksheet &sheet, bool byColumn, int64_t index) {
  if (index < 1 || index > (byColumn ? kMaxColumns : kMaxRows))
    return;
  if (byColumn)
    sheet.Columns(int32_t(index)).setPageBreak(xlPageBreak::xlPageBreakManual);
  else
    sheet.Rows(int32_t(index)).setPageBreak(xlPageBreak::xlPageBreakManual);
}

bool runReportFill(RunState &run, const FunctionSettings &settings,
                   const std::function<bool(Recordset &)> &body) {
  Recordset *records =
      run.connections ? run.connections->recordset(settings.dataSourceIndex) : nullptr;
  try {
    if (records == nullptr)
      throw std::runtime_error("The data source is not connected.");
    const bool result = body(*records);
    records->Close();
    return result;
  } catch (const FillError &e) {
    run.log.logError(e.what(), e.detail());
  } catch (const std::exception &e) {
    run.log.logError("Failed to execute function REPORT.", e.what());
  }
  if (records != nullptr && records->State() != adStateClosed)
    records->Close();
  return false;
}

} // namespace brevant
