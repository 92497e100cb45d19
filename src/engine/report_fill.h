#pragma once
// What the REPORT fills share: opening and counting the records, the template cell of every
// field, the record block and its range, the image fields, the progress of the record loop and
// the writing of one record. The fixed fill (report_fill_fixed.cpp) and the variable fill
// (report_fill_variable.cpp) are built from these pieces; the grouped fill reuses them too.

#include "engine/components/spreadsheet/cells/cell_address.h"
#include "engine/function_settings.h"
#include "engine/progress_display.h"
#include "engine/report_images.h"
#include "engine/run_state.h"

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace brevant {

class Fields;
class Recordset;
class Worksheet;

// A fill failure with the two parts of its error line: the message and the detail.
class FillError : public std::runtime_error {
public:
  FillError(const std::string &message, std::string detail)
      : std::runtime_error(message), detail_(std::move(detail)) {}
  const std::string &detail() const { return detail_; }

private:
  std::string detail_;
};

// Where one field goes in the template, and whether its value names a picture.
struct FillField {
  int32_t row = 1;
  int32_t column = 1;
  bool image = false;
  ImageStyle style; // read once at set-up by the variable fill
};

// The result of the set-up shared by the fills.
struct FillSetup {
  std::string functionLabel;
  std::string label; // "[label]    ", the start of the function's log lines
  int32_t recordCount = 0;
  int fieldCount = 0;
  int32_t progressStep = 0; // a progress line every this many records; 0: none
  bool byColumn = false;    // FILLORDER=COL
  std::vector<FillField> fields;
  CellRect block;          // the record block of the template
  int32_t extent = 1;      // the block's height (ROW) or width (COL)
  ImageFolder imageFolder; // where relative picture names are found
};

// When the variable fill reads the image styles: once from the template cells at set-up. The
// fixed fill reads them from every block's own cells as it writes.
enum class ImageStyles { AtSetUp, PerBlock };

// Opens the records on the function's data source and runs the shared set-up: the count and
// its log line, the template positions, the block and its range, the image fields. Throws
// FillError with the function's error texts; other faults throw what the components throw.
FillSetup prepareFill(RunState &run, const FunctionSettings &settings, Recordset &records,
                      const std::string &sql, ImageStyles styles);

// The progress step for N records: x <= 0 none, 0 < x <= 1 a fraction of N, x > 1 every x
// records; rounded to the nearest integer, halves to even.
int32_t progressStep(int32_t recordCount, double interval);

// "Returns 4 records from the data source." ("record" for 0 and 1).
std::string returnsLine(const std::string &label, int32_t recordCount);

// Field i's template cell: its CELL entry's top-left cell, or one cell on from field i-1 (down
// in a COL fill, right in a ROW fill) when the entry is missing or empty.
std::vector<FillField> templatePositions(Worksheet &sheet, const FunctionSettings &settings,
                                         int fieldCount);

// The smallest rectangle holding every field's cell.
CellRect boundingRect(const std::vector<FillField> &fields);

// The block a RANGE or COPYRANGE gives: the range itself, which must hold `cells`.
CellRect blockWithinRange(Worksheet &sheet, const std::string &rangeText, const CellRect &cells);

// The field indexes an IMAGE list names: 1-based numbers when the first entry is numeric,
// else field names in any letter case (the first match wins).
std::vector<int> imageFieldIndexes(const std::vector<std::string> &images, Fields &fields);

// The fields a list names: by 1-based number when its first entry is numeric, else by name in
// any letter case. `notANumber` makes the error for a non-numeric entry of a numbered list (from
// its detail text), `notFound` the one for an entry that names no field (from the entry).
std::vector<int> fieldListIndexes(const std::vector<std::string> &entries, Fields &fields,
                                  const std::function<FillError(const std::string &)> &notANumber,
                                  const std::function<FillError(const std::string &)> &notFound);

// Where relative picture names of a template are found: the template's own folder.
ImageFolder imageFolderOf(const std::string &templatePath);

// The progress of a record loop: the Run dialog's counter and a chance for the user to stop it
// in an interactive run, the "Processing record number" lines in a batch run, and the
// terminal's progress display.
class RecordProgress {
public:
  RecordProgress(RunState &run, const FillSetup &setup);

  // Before record k (0-based). False when the user asked to stop.
  [[nodiscard]] bool beforeRecord(int32_t k);
  // After record k was written.
  void afterRecord(int32_t k) { display_.update(int64_t(k) + 1); }
  // After the last record: "Process complete." when progress lines were asked for.
  void complete();

private:
  RunState &run_;
  int32_t total_;
  int32_t step_;
  ProgressDisplay display_;
};

// Writes record by record into the block at `offset` rows (ROW) or columns (COL) from the
// template block.
class RecordWriter {
public:
  RecordWriter(RunState &run, const FillSetup &setup, Fields &fields, ImageStyles styles);
  void write(int64_t offset);

private:
  RunState &run_;
  Worksheet &sheet_;
  const FillSetup &setup_;
  std::vector<Field *> fields_;
  ImageStyles styles_;
};

// Sets a manual page break on the row (ROW) or column (COL) `index`; one beyond the sheet's
// last row or column is left out.
void setRecordPageBreak(Worksheet &sheet, bool byColumn, int64_t index);

// Runs one REPORT fill: `body` gets the record set of the function's slot and returns the
// fill's result. The record set is closed on every path; a fault becomes the error line.
[[nodiscard]] bool runReportFill(RunState &run, const FunctionSettings &settings,
                                 const std::function<bool(Recordset &)> &body);

} // namespace brevant
