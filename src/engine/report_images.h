#pragma once
// Pictures in a report: an image field's value names a picture file (or an address), and the
// fill puts that picture on the worksheet at the field's cell instead of writing the value. How
// the picture sits is written by the template's author into the template cell as a short style
// text such as "STRETCH NMS" or "W120".

#include "base/variant.h"
#include "engine/components/spreadsheet/range.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace brevant {

class RunLog;
class Worksheet;

struct ImageStyle {
  int16_t placement = 2; // xlMoveAndSize 1, xlMove 2, xlFreeFloating 3
  bool stretch = false;  // size the picture to the cell's merged area
  float width = -1;      // points; negative when not given
  float height = -1;
};

// Words MAS, MNS, NMS, STRETCH, W<number>, H<number>, in any letter case; other words are
// ignored and a later word overrides an earlier one.
[[nodiscard]] ImageStyle ParseImageStyle(std::string_view text);

// Where relative picture names are found: the template's folder, taken as it is. Nothing here
// changes the process's current directory.
struct ImageFolder {
  bool network = false; // the folder is a "\\server\share" or "//server/share" path
  std::string folder;
};

// The picture file a field value names: an address ("://") as it is, an absolute name as it
// is, anything else joined to the template's folder.
[[nodiscard]] std::string resolveImagePath(std::string_view value, const ImageFolder &folder);

// Puts the picture named by `value` at `target`. An empty or Null value puts nothing; a picture
// that cannot be added leaves "#Error" in the cell (the error line is logged).
void InsertImageToCell(RunLog &log, const Range &target, const Variant &value,
                       const ImageStyle &style, const ImageFolder &folder);

// Adds the picture at the cell's top-left corner, `width` and `height` in points (negative:
// not given, the picture's own size or its own aspect ratio). Logs and returns false on failure.
[[nodiscard]] bool AddPictureAtCell(RunLog &log, const std::string &path, Worksheet &sheet,
                                    const Range &target, const ImageStyle &style, double width,
                                    double height);

} // namespace brevant
