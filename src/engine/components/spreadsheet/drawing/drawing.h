#pragma once
// The drawing part of a worksheet: the anchors of its pictures, charts and shapes. Anchors
// follow the sheet's structural changes the way their placement asks (move and size with the
// cells, move only, or stay put), and new pictures are added to the part, which is created
// with its relationships when the sheet has none.

#include <cstdint>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "engine/components/spreadsheet/drawing/picture_file.h"
#include "engine/components/spreadsheet/formulas/reference_shifter.h"
#include "engine/components/spreadsheet/package/package.h"

namespace brevant {

class Worksheet;

// A corner of an anchor: a cell (1-based) and an offset into it in points.
struct CellAnchor {
  int32_t row = 1, column = 1;
  double rowOffset = 0, columnOffset = 0;
};

struct ShapeBounds {
  double left = 0, top = 0, width = 0, height = 0;
};

class Drawing {
public:
  explicit Drawing(Worksheet &sheet);

  // Adds a picture; returns its anchor index. `linkTarget` (a file address) is used when the
  // picture is linked instead of stored.
  size_t addPicture(const PictureFile &picture, const std::string &linkTarget, bool embed,
                    const ShapeBounds &bounds, const std::string &name);
  size_t count() const { return anchors_.size(); }
  bool removed(size_t i) const { return anchors_[i].removed; }
  ShapeBounds bounds(size_t i);
  void setBounds(size_t i, const ShapeBounds &bounds);
  int placement(size_t i) const { return anchors_[i].placement; }
  void setPlacement(size_t i, int placement);
  const CellAnchor &from(size_t i) const { return anchors_[i].from; }
  const CellAnchor &to(size_t i) const { return anchors_[i].to; }

  // Measures the anchors that keep their size or place, before the cells move.
  void capture();
  // Moves the anchors after the cells have moved.
  void shift(const SheetShift &shift);
  // Writes the drawing part and its relationships.
  void save();

private:
  enum class Kind { TwoCell, OneCell, Absolute };
  struct Anchor {
    pugi::xml_node node;
    Kind kind = Kind::TwoCell;
    int placement = 1;
    CellAnchor from, to;
    double x = 0, y = 0, cx = 0, cy = 0; // points: position (absolute) and extent
    ShapeBounds captured;
    bool removed = false;
  };
  void load();
  void create();
  void readAnchor(pugi::xml_node node);
  void writeAnchor(Anchor &a);
  CellAnchor anchorAt(double x, double y);
  double xOf(const CellAnchor &c);
  double yOf(const CellAnchor &c);
  ShapeBounds boundsOf(Anchor &a);
  void place(Anchor &a, const ShapeBounds &b);

  Worksheet &sheet_;
  std::string part_;
  pugi::xml_document doc_;
  Relationships rels_;
  std::string xdr_; // prefixes of the drawing's elements ("xdr:") and of DrawingML ("a:")
  std::string a_;
  std::vector<Anchor> anchors_;
  uint32_t nextId_ = 1;
  bool modified_ = false;
  bool created_ = false;
};

} // namespace brevant
