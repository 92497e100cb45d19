#pragma once
// The settings of the script function being read and run: filled by the script parser from a
// function's header, reset at every "@" label, and read by the dispatcher and the executors.
// The lists have fixed capacities; going past one is a fault (FunctionSettingsFull), never a
// silent overwrite.

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace brevant {

constexpr int kMaxTargets = 1024;     // NAME values of a NAME function, CELL values of a REPORT
constexpr int kMaxGroupLevels = 10;   // GROUP parameters of one function
constexpr int kMaxGroupFields = 1024; // values of one GROUP parameter
constexpr int kMaxImages = 1024;      // IMAGE parameters of one function

enum FunctionKind : int16_t { kExecSqlFunction = 0, kNameFunction = 1, kReportFunction = 2 };

// Thrown when a value would go past one of the fixed capacities above.
class FunctionSettingsFull : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

struct FunctionSettings {
  std::string functionLabel;               // the text after "@"; kept across resets
  std::string functionHeader = "[]    ";   // "[label]    " + the normalized header echo
  int16_t functionKind = kExecSqlFunction; // EXECSQL 0, NAME 1, REPORT 2
  int16_t dataSourceIndex = 0;             // CONNECT; 0 is the first data source
  std::vector<std::string> targets;        // NAME values or CELL values, in order
  int16_t nameCount = 0;                   // entries of `targets` that came from NAME
  int16_t cellCount = 0;                   // entries of `targets` that came from CELL
  std::string sheetName;                   // SHEET
  int16_t fixedLayout = 0;                 // TYPE: FIX 1, VAR 0; every GROUP value sets 0
  int16_t fillByColumn = 0;                // FILLORDER: COL 1, ROW 0
  std::string rangeText;                   // RANGE or COPYRANGE, the last one given
  bool copyRangeMode = false;              // the range came from COPYRANGE
  int16_t reserveMode = 1;                 // RESERVE: 2 or 1
  int16_t groupCount = 0;                  // GROUP parameters seen, at most 10
  std::array<int16_t, kMaxGroupLevels> groupFieldCount{};            // fields per level
  std::array<std::vector<std::string>, kMaxGroupLevels> groupFields; // field names per level
  std::array<std::string, kMaxGroupLevels> groupRanges;              // GROUPRANGE per level
  int16_t imageCount = 0;                                            // entries of `images`
  std::vector<std::string> images;                                   // IMAGE values, in order
  std::string pageBreakText;        // PAGEBREAK values joined with ","
  bool deleteRangeOnNoData = false; // NODATA=DELRANGE
  // Filled by the dispatcher from pageBreakText.
  int16_t pageBreakRows = 0;
  int16_t pageBreakGroups = 0;
  int16_t pageBreakGroupLevel = 0;

  // The start of a new function: every field back to its reset value, the label set and the
  // header started as "[label]    ".
  void reset(std::string_view label);

  // Appends a NAME or CELL value. Throws FunctionSettingsFull past kMaxTargets.
  void addName(std::string_view value);
  void addCell(std::string_view value);
  // Opens the next group level with no fields. False when kMaxGroupLevels are open already.
  [[nodiscard]] bool openGroupLevel();
  // Adds a field to the level opened last (one must be open). Throws FunctionSettingsFull past
  // kMaxGroupFields.
  void addGroupField(std::string_view field);
  // Appends an IMAGE value. Throws FunctionSettingsFull past kMaxImages.
  void addImage(std::string_view value);
  // Appends a PAGEBREAK value, joined to what is there with ",".
  void addPageBreak(std::string_view value);
};

} // namespace brevant
