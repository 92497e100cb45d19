#pragma once
// The spreadsheet's Shapes collection and Shape object for pictures on a worksheet.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace brevant {

class Worksheet;
class Drawing;
struct PictureFile;

class Shape {
public:
  Shape(Drawing &drawing, size_t anchor, double ownWidth, double ownHeight)
      : drawing_(&drawing), anchor_(anchor), ownWidth_(ownWidth), ownHeight_(ownHeight) {}

  double Left() const;
  double Top() const;
  double Width() const;
  void setWidth(double width);
  double Height() const;
  void setHeight(double height);
  // The width (height) becomes factor x the picture's own size, or x its current size; the
  // top-left corner stays.
  void ScaleWidth(double factor, bool relativeToOriginalSize);
  void ScaleHeight(double factor, bool relativeToOriginalSize);
  // 1 move and size with cells, 2 move with cells, 3 free floating.
  int Placement() const;
  void setPlacement(int placement);
  size_t anchor() const { return anchor_; }

private:
  Drawing *drawing_;
  size_t anchor_;
  double ownWidth_, ownHeight_;
};

class Shapes {
public:
  explicit Shapes(Worksheet &sheet) : sheet_(&sheet) {}
  // Adds the picture in the local `file` at (left, top) in points, `width` by `height` points;
  // -1 takes the picture's own size. A picture is stored in the workbook (saveWithDocument) or
  // linked to its file (linkToFile), or both.
  Shape &AddPicture(const std::string &file, bool linkToFile, bool saveWithDocument, double left,
                    double top, double width = -1, double height = -1);
  // The same for a picture whose bytes were fetched from `source` (an address): messages name
  // `source`, and a linked picture links to it.
  Shape &AddPictureBytes(std::string bytes, const std::string &source, bool linkToFile,
                         bool saveWithDocument, double left, double top, double width = -1,
                         double height = -1);
  // The pictures added through this collection, 1-based.
  int32_t Count() const { return static_cast<int32_t>(shapes_.size()); }
  Shape &Item(int32_t index);

private:
  Shape &place(const PictureFile &picture, const std::string &link, bool saveWithDocument,
               double left, double top, double width, double height);

  Worksheet *sheet_;
  std::vector<std::unique_ptr<Shape>> shapes_;
};

} // namespace brevant
