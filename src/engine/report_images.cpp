#include "engine/report_images.h"

#include "base/paths.h"
#include "base/strings.h"
#include "base/tokenizer.h"
#include "definition/run_log.h"
#include "engine/components/spreadsheet/drawing/shapes.h"
#include "engine/components/spreadsheet/worksheet.h"
#include "engine/components/spreadsheet/xl_constants.h"
#include "engine/field_value.h"
#include "engine/numeric_text.h"
#include "engine/picture_download.h"

#include <algorithm>
#include <cctype>
#include <exception>

namespace brevant {
namespace {

// A picture file, or a picture fetched from its address first.
Shape &addPicture(Shapes &shapes, const std::string &path, double left, double top, double width,
                  double height) {
  if (isPictureAddress(path))
    return shapes.AddPictureBytes(downloadPicture(path), path, false, true, left, top, width,
                                  height);
  return shapes.AddPicture(path, false, true, left, top, width, height);
}

// The number after the first letter of "W120" or "H80"; nullopt when there is none.
std::optional<float> sizeWord(const std::string &word) {
  const auto value = numericValue(std::string_view(word).substr(1));
  if (!value)
    return std::nullopt;
  return static_cast<float>(*value);
}

} // namespace

ImageStyle ParseImageStyle(std::string_view text) {
  ImageStyle style;
  int pos = 1;
  for (;;) {
    const std::string word = asciiUpper(nextToken(text, pos, false));
    if (word.empty())
      break;
    if (word == "MAS") {
      style.placement = xlPlacement::xlMoveAndSize;
    } else if (word == "MNS") {
      style.placement = xlPlacement::xlMove;
    } else if (word == "NMS") {
      style.placement = xlPlacement::xlFreeFloating;
    } else if (word == "STRETCH") {
      style.stretch = true;
    } else if (word.size() > 1 && word[0] == 'W') {
      if (const auto w = sizeWord(word))
        style.width = *w;
    } else if (word.size() > 1 && word[0] == 'H') {
      if (const auto h = sizeWord(word))
        style.height = *h;
    }
  }
  return style;
}

std::string resolveImagePath(std::string_view value, const ImageFolder &folder) {
  if (isUrl(value) || folder.folder.empty())
    return std::string(value);
  const std::string joined = joinPath(folder.folder, value);
  // A name that climbs out of the folder's root stays as it was written; adding it then fails
  // with that name in the error line.
  return joined.empty() ? std::string(value) : joined;
}

void InsertImageToCell(RunLog &log, const Range &target, const Variant &value,
                       const ImageStyle &style, const ImageFolder &folder) {
  if (isNull(value))
    return;
  const std::string name = trimBlanks(variantText(value));
  if (name.empty())
    return;
  const std::string path = resolveImagePath(name, folder);
  double width = style.width;
  double height = style.height;
  bool added = false;
  try {
    if (style.stretch) {
      const Range area = target.MergeArea();
      width = area.Width();
      height = area.Height();
    }
    added = AddPictureAtCell(log, path, target.Parent(), target, style, width, height);
  } catch (const std::exception &e) {
    log.logError("Failed to insert the image file \"" + path + "\".", e.what());
  }
  if (!added)
    Range(target).setValue(std::string("#Error"));
}

bool AddPictureAtCell(RunLog &log, const std::string &path, Worksheet &sheet, const Range &target,
                      const ImageStyle &style, double width, double height) {
  try {
    const double left = target.Left();
    const double top = target.Top();
    Shapes &shapes = sheet.Shapes();
    if (width >= 0 && height >= 0) {
      Shape &picture = addPicture(shapes, path, left, top, width, height);
      picture.setPlacement(style.placement);
      return true;
    }
    Shape &picture = addPicture(shapes, path, left, top, 10, 10);
    if (width < 0 && height < 0) {
      picture.ScaleHeight(1, true);
      picture.ScaleWidth(1, true);
    } else if (width >= 0) {
      picture.ScaleWidth(1, true);
      const double factor = picture.Width() > 0 ? width / picture.Width() : 1;
      picture.setWidth(width);
      picture.ScaleHeight(factor, true);
    } else {
      picture.ScaleHeight(1, true);
      const double factor = picture.Height() > 0 ? height / picture.Height() : 1;
      picture.setHeight(height);
      picture.ScaleWidth(factor, true);
    }
    picture.setPlacement(style.placement);
    return true;
  } catch (const std::exception &e) {
    log.logError("Failed to insert the image file \"" + path + "\".", e.what());
    return false;
  }
}

} // namespace brevant
