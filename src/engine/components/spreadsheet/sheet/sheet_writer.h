#pragma once
// Writing a worksheet part: the kept XML with the cells streamed into its <sheetData>, and
// its <dimension> set from the cells that exist. The cells go out in blocks of about 1 MiB, so a
// sheet of a million rows never stands whole in memory as text.

#include <functional>
#include <string>
#include <string_view>

namespace brevant {

class CellStore;
struct SheetXml;

void writeSheetPart(SheetXml &sheet, const CellStore &store, const std::string &sheetName,
                    const std::function<void(std::string_view)> &out);

} // namespace brevant
