#include "engine/components/spreadsheet/file_type_table.h"

#include "base/strings.h"
#include "engine/components/spreadsheet/io/c_numbers.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "base/case_folding.h"

namespace brevant {

std::optional<int32_t> integerValue(std::string_view text) {
  const std::optional<double> number = plainNumber(trimmed(text, kAsciiSpaces));
  if (!number || *number > 2147483647.0 || *number < -2147483648.0)
    return std::nullopt;
  // Halves round to even.
  return static_cast<int32_t>(std::nearbyint(*number));
}

std::vector<FileType> parseFileTypeTable(std::string_view text) {
  std::vector<FileType> table;
  size_t start = 0;
  while (start < text.size() && table.size() < kMaxFileTypes) {
    size_t end = text.find('\n', start);
    std::string_view line =
        text.substr(start, end == std::string_view::npos ? text.npos : end - start);
    start = end == std::string_view::npos ? text.size() : end + 1;
    if (!line.empty() && line.back() == '\r')
      line.remove_suffix(1);
    std::vector<std::string_view> columns;
    size_t p = 0;
    while (true) {
      size_t tab = line.find('\t', p);
      columns.push_back(line.substr(p, tab == std::string_view::npos ? line.npos : tab - p));
      if (tab == std::string_view::npos)
        break;
      p = tab + 1;
    }
    if (columns.size() < 4 || (!columns[0].empty() && columns[0][0] == ';'))
      continue;
    FileType row;
    row.typeName = std::string(columns[0]);
    row.formatCode = integerValue(columns[1]).value_or(0);
    row.description = std::string(columns[2]);
    row.extensions = std::string(columns[3]);
    table.push_back(std::move(row));
  }
  return table;
}

std::vector<FileType> loadFileTypeTable(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return {};
  std::ostringstream buf;
  buf << in.rdbuf();
  std::string text = buf.str();
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
    text.erase(0, 3);
  return parseFileTypeTable(text);
}

int findFileType(const std::vector<FileType> &table, std::string_view reportFileType) {
  if (reportFileType.empty())
    return -1;
  if (const std::optional<int32_t> code = integerValue(reportFileType)) {
    for (size_t i = 0; i < table.size(); ++i)
      if (table[i].formatCode == *code)
        return static_cast<int>(i);
    return -1;
  }
  for (size_t i = 0; i < table.size(); ++i)
    if (equalsIgnoringCase(table[i].typeName, reportFileType))
      return static_cast<int>(i);
  return -1;
}

} // namespace brevant
