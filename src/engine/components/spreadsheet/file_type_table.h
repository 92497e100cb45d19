#pragma once
// The table of report file types read from kvdconv.cfg: one row per line, TAB-separated type
// name, format code, description and extensions; lines starting with ';' and lines of fewer
// than four columns are skipped; at most 257 rows are kept, in the file's order.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brevant {

struct FileType {
  std::string typeName;
  int32_t formatCode = 0; // 0 when the column is not numeric
  std::string description;
  std::string extensions; // without dots, separated by blanks
};

constexpr size_t kMaxFileTypes = 257;

// A missing or unreadable file gives an empty table.
[[nodiscard]] std::vector<FileType> loadFileTypeTable(const std::string &path);
[[nodiscard]] std::vector<FileType> parseFileTypeTable(std::string_view text);

// The row of a report file type: for a numeric type the first row with that format code, else
// the first row whose name matches without regard to letter case; -1 when none (or empty).
[[nodiscard]] int findFileType(const std::vector<FileType> &table, std::string_view reportFileType);

// The integer of a numeric text as the table reads it ("51", " -4158 ", "6.0"), if it is one.
[[nodiscard]] std::optional<int32_t> integerValue(std::string_view text);

} // namespace brevant
