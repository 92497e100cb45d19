#include "engine/components/spreadsheet/drawing/drawing.h"
#include "engine/components/spreadsheet/sheet/sheet_xml.h"

#include <algorithm>
#include <cmath>
#include <tuple>

#include "engine/components/spreadsheet/io/xml_serialize.h"
#include "engine/components/spreadsheet/spreadsheet_error.h"
#include "engine/components/spreadsheet/structure/sheet_features.h"
#include "engine/components/spreadsheet/workbook.h"
#include "engine/components/spreadsheet/worksheet.h"

namespace brevant {

namespace {

constexpr double kEmuPerPoint = 12700;
constexpr const char *kDrawingNs =
    "http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing";
constexpr const char *kMainNs = "http://schemas.openxmlformats.org/drawingml/2006/main";
constexpr const char *kRelNs =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
constexpr const char *kDrawingRel =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/drawing";
constexpr const char *kImageRel =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/image";
constexpr const char *kDrawingType = "application/vnd.openxmlformats-officedocument.drawing+xml";

std::string prefixOf(pugi::xml_node node, std::string_view local) {
  std::string_view name = node.name();
  return std::string(name.substr(0, name.size() - local.size()));
}

// The prefix bound to namespace `ns` on the element, or "".
std::string prefixFor(pugi::xml_node root, std::string_view ns) {
  for (auto a : root.attributes()) {
    std::string_view n = a.name();
    if (n.starts_with("xmlns:") && a.value() == ns)
      return std::string(n.substr(6)) + ":";
  }
  return {};
}

std::string emu(double points) {
  return std::to_string(static_cast<int64_t>(std::llround(std::max(0.0, points) * kEmuPerPoint)));
}

CellAnchor readCorner(pugi::xml_node corner) {
  CellAnchor c;
  c.column = static_cast<int32_t>(std::clamp<long long>(childOf(corner, "col").text().as_llong(0),
                                                        0, kMaxColumns - 1)) +
             1;
  c.row = static_cast<int32_t>(
              std::clamp<long long>(childOf(corner, "row").text().as_llong(0), 0, kMaxRows - 1)) +
          1;
  c.columnOffset = childOf(corner, "colOff").text().as_llong(0) / kEmuPerPoint;
  c.rowOffset = childOf(corner, "rowOff").text().as_llong(0) / kEmuPerPoint;
  return c;
}

// The shape's own position record (<a:xfrm> in its shape properties), kept in step with the
// anchor.
pugi::xml_node transformOf(pugi::xml_node anchor) {
  for (auto item : anchor.children()) {
    auto name = localNameOf(item.name());
    if (name == "pic" || name == "sp" || name == "cxnSp" || name == "grpSp") {
      auto props = childOf(item, name == "grpSp" ? "grpSpPr" : "spPr");
      return childOf(props, "xfrm");
    }
  }
  return {};
}

} // namespace

Drawing::Drawing(Worksheet &sheet) : sheet_(sheet) { load(); }

void Drawing::load() {
  auto root = sheet_.xml().root();
  pugi::xml_node element = childOf(root, "drawing");
  if (!element)
    return;
  std::string id;
  for (auto a : element.attributes())
    if (localNameOf(a.name()) == "id")
      id = a.value();
  Package &package = sheet_.Parent().package();
  Relationships sheetRels = package.relationshipsOf(sheet_.partName());
  const Relationship *rel = sheetRels.byId(id);
  if (!rel)
    return;
  std::string part = Package::resolveTarget(sheet_.partName(), rel->target);
  if (!package.has(part))
    return;
  const std::string &xml = package.read(part);
  if (!doc_.load_buffer(xml.data(), xml.size(), pugi::parse_default | pugi::parse_declaration))
    throw SpreadsheetError("The drawing of the sheet \"" + sheet_.Name() + "\" is damaged.");
  part_ = part;
  rels_ = package.relationshipsOf(part_);
  auto wsDr = doc_.document_element();
  xdr_ = prefixOf(wsDr, "wsDr");
  a_ = prefixFor(wsDr, kMainNs);
  if (a_.empty()) {
    wsDr.append_attribute("xmlns:a") = kMainNs;
    a_ = "a:";
  }
  if (prefixFor(wsDr, kRelNs).empty() && !wsDr.attribute("xmlns:r"))
    wsDr.append_attribute("xmlns:r") = kRelNs;
  for (auto anchor : wsDr.children())
    readAnchor(anchor);
  // Shape ids must stay unique within the drawing.
  std::vector<pugi::xml_node> pending{wsDr};
  while (!pending.empty()) {
    auto n = pending.back();
    pending.pop_back();
    for (auto c : n.children()) {
      if (localNameOf(c.name()) == "cNvPr")
        nextId_ = std::max(nextId_, c.attribute("id").as_uint(0) + 1);
      pending.push_back(c);
    }
  }
}

void Drawing::readAnchor(pugi::xml_node node) {
  auto name = localNameOf(node.name());
  Anchor a;
  a.node = node;
  if (name == "twoCellAnchor") {
    a.kind = Kind::TwoCell;
    std::string_view editAs = node.attribute("editAs").value();
    a.placement = editAs == "oneCell" ? 2 : editAs == "absolute" ? 3 : 1;
    a.from = readCorner(childOf(node, "from"));
    a.to = readCorner(childOf(node, "to"));
  } else if (name == "oneCellAnchor") {
    a.kind = Kind::OneCell;
    a.placement = 2;
    a.from = readCorner(childOf(node, "from"));
    auto ext = childOf(node, "ext");
    a.cx = ext.attribute("cx").as_llong(0) / kEmuPerPoint;
    a.cy = ext.attribute("cy").as_llong(0) / kEmuPerPoint;
  } else if (name == "absoluteAnchor") {
    a.kind = Kind::Absolute;
    a.placement = 3;
    auto pos = childOf(node, "pos");
    auto ext = childOf(node, "ext");
    a.x = pos.attribute("x").as_llong(0) / kEmuPerPoint;
    a.y = pos.attribute("y").as_llong(0) / kEmuPerPoint;
    a.cx = ext.attribute("cx").as_llong(0) / kEmuPerPoint;
    a.cy = ext.attribute("cy").as_llong(0) / kEmuPerPoint;
  } else {
    return;
  }
  anchors_.push_back(a);
}

void Drawing::create() {
  Workbook &book = sheet_.Parent();
  Package &package = book.package();
  for (int n = 1;; ++n) {
    std::string name = "xl/drawings/drawing" + std::to_string(n) + ".xml";
    if (!package.has(name) && !book.contentTypes().overrides.count(name)) {
      part_ = name;
      break;
    }
  }
  doc_.reset();
  auto decl = doc_.append_child(pugi::node_declaration);
  decl.append_attribute("version") = "1.0";
  decl.append_attribute("encoding") = "UTF-8";
  decl.append_attribute("standalone") = "yes";
  auto wsDr = doc_.append_child("xdr:wsDr");
  wsDr.append_attribute("xmlns:xdr") = kDrawingNs;
  wsDr.append_attribute("xmlns:a") = kMainNs;
  wsDr.append_attribute("xmlns:r") = kRelNs;
  xdr_ = "xdr:";
  a_ = "a:";
  book.contentTypes().overrides[part_] = kDrawingType;
  // The sheet names its drawing.
  Relationships sheetRels = package.relationshipsOf(sheet_.partName());
  std::string id = sheetRels.add(kDrawingRel, Package::relativeTarget(sheet_.partName(), part_));
  package.write(Package::relsNameOf(sheet_.partName()), sheetRels.serialize());
  auto root = sheet_.xml().root();
  std::string r = prefixFor(root, kRelNs);
  if (r.empty()) {
    r = "r:";
    if (!root.attribute("xmlns:r"))
      root.append_attribute("xmlns:r") = kRelNs;
  }
  auto element = ensureSheetChild(root, sheet_.xml().prefix, "drawing");
  element.append_attribute((r + "id").c_str()) = id.c_str();
  created_ = true;
  modified_ = true;
}

size_t Drawing::addPicture(const PictureFile &picture, const std::string &linkTarget, bool embed,
                           const ShapeBounds &bounds, const std::string &name) {
  if (part_.empty())
    create();
  Workbook &book = sheet_.Parent();
  Package &package = book.package();
  std::string embedId, linkId;
  if (embed) {
    std::string media;
    for (int n = 1;; ++n) {
      media = "xl/media/image" + std::to_string(n) + "." + picture.extension;
      if (!package.has(media))
        break;
    }
    package.write(media, picture.bytes);
    if (!book.contentTypes().defaults.count(picture.extension))
      book.contentTypes().defaults[picture.extension] = picture.contentType;
    embedId = rels_.add(kImageRel, Package::relativeTarget(part_, media));
  }
  if (!linkTarget.empty()) {
    linkId = rels_.add(kImageRel, linkTarget);
    rels_.items.back().external = true;
  }
  const std::string &x = xdr_, &a = a_;
  auto wsDr = doc_.document_element();
  auto anchor = wsDr.append_child((x + "twoCellAnchor").c_str());
  anchor.append_attribute("editAs") = "oneCell";
  for (const char *corner : {"from", "to"}) {
    auto c = anchor.append_child((x + corner).c_str());
    for (const char *part : {"col", "colOff", "row", "rowOff"})
      c.append_child((x + part).c_str()).text().set("0");
  }
  auto pic = anchor.append_child((x + "pic").c_str());
  auto nv = pic.append_child((x + "nvPicPr").c_str());
  auto cNvPr = nv.append_child((x + "cNvPr").c_str());
  cNvPr.append_attribute("id") = nextId_++;
  cNvPr.append_attribute("name") = name.c_str();
  auto locks = nv.append_child((x + "cNvPicPr").c_str()).append_child((a + "picLocks").c_str());
  locks.append_attribute("noChangeAspect") = "1";
  auto fill = pic.append_child((x + "blipFill").c_str());
  auto blip = fill.append_child((a + "blip").c_str());
  blip.append_attribute("xmlns:r") = kRelNs;
  if (!embedId.empty())
    blip.append_attribute("r:embed") = embedId.c_str();
  if (!linkId.empty())
    blip.append_attribute("r:link") = linkId.c_str();
  fill.append_child((a + "stretch").c_str()).append_child((a + "fillRect").c_str());
  auto spPr = pic.append_child((x + "spPr").c_str());
  auto xfrm = spPr.append_child((a + "xfrm").c_str());
  xfrm.append_child((a + "off").c_str());
  xfrm.append_child((a + "ext").c_str());
  auto geom = spPr.append_child((a + "prstGeom").c_str());
  geom.append_attribute("prst") = "rect";
  geom.append_child((a + "avLst").c_str());
  anchor.append_child((x + "clientData").c_str());

  Anchor entry;
  entry.node = anchor;
  entry.kind = Kind::TwoCell;
  entry.placement = 2;
  anchors_.push_back(entry);
  place(anchors_.back(), bounds);
  modified_ = true;
  return anchors_.size() - 1;
}

double Drawing::xOf(const CellAnchor &c) { return sheet_.columnLeft(c.column) + c.columnOffset; }
double Drawing::yOf(const CellAnchor &c) { return sheet_.rowTop(c.row) + c.rowOffset; }

CellAnchor Drawing::anchorAt(double x, double y) {
  CellAnchor c;
  sheet_.cellAtPoint(x, y, c.row, c.rowOffset, c.column, c.columnOffset);
  return c;
}

ShapeBounds Drawing::boundsOf(Anchor &a) {
  ShapeBounds b;
  switch (a.kind) {
  case Kind::TwoCell:
    b.left = xOf(a.from);
    b.top = yOf(a.from);
    b.width = std::max(0.0, xOf(a.to) - b.left);
    b.height = std::max(0.0, yOf(a.to) - b.top);
    break;
  case Kind::OneCell:
    b.left = xOf(a.from);
    b.top = yOf(a.from);
    b.width = a.cx;
    b.height = a.cy;
    break;
  case Kind::Absolute:
    b = ShapeBounds{a.x, a.y, a.cx, a.cy};
    break;
  }
  return b;
}

void Drawing::place(Anchor &a, const ShapeBounds &b) {
  switch (a.kind) {
  case Kind::TwoCell:
    a.from = anchorAt(b.left, b.top);
    a.to = anchorAt(b.left + b.width, b.top + b.height);
    break;
  case Kind::OneCell:
    a.from = anchorAt(b.left, b.top);
    a.cx = b.width;
    a.cy = b.height;
    break;
  case Kind::Absolute:
    a.x = b.left;
    a.y = b.top;
    a.cx = b.width;
    a.cy = b.height;
    break;
  }
  writeAnchor(a);
}

ShapeBounds Drawing::bounds(size_t i) { return boundsOf(anchors_[i]); }

void Drawing::setBounds(size_t i, const ShapeBounds &b) {
  if (anchors_[i].removed)
    throw SpreadsheetError("The picture has been deleted with its cells.");
  place(anchors_[i], b);
  modified_ = true;
}

void Drawing::setPlacement(size_t i, int placement) {
  if (placement < 1 || placement > 3)
    throw SpreadsheetError("A placement is 1 (move and size with cells), 2 (move with cells) or "
                           "3 (free floating), not " +
                           std::to_string(placement) + ".");
  Anchor &a = anchors_[i];
  if (a.kind != Kind::TwoCell || a.removed)
    return; // one-cell and absolute anchors keep their own behaviour
  a.placement = placement;
  const char *editAs = placement == 1 ? "twoCell" : placement == 2 ? "oneCell" : "absolute";
  auto attr = a.node.attribute("editAs");
  if (!attr)
    attr = a.node.append_attribute("editAs");
  attr.set_value(editAs);
  modified_ = true;
}

void Drawing::writeAnchor(Anchor &a) {
  auto writeCorner = [&](const char *tag, const CellAnchor &c) {
    auto corner = childOf(a.node, tag);
    if (!corner)
      return;
    auto set = [&](const char *part, const std::string &value) {
      auto e = childOf(corner, part);
      if (!e)
        e = corner.append_child((xdr_ + part).c_str());
      e.text().set(value.c_str());
    };
    set("col", std::to_string(c.column - 1));
    set("colOff", emu(c.columnOffset));
    set("row", std::to_string(c.row - 1));
    set("rowOff", emu(c.rowOffset));
  };
  writeCorner("from", a.from);
  if (a.kind == Kind::TwoCell)
    writeCorner("to", a.to);
  if (a.kind == Kind::OneCell)
    if (auto ext = childOf(a.node, "ext")) {
      ext.attribute("cx").set_value(emu(a.cx).c_str());
      ext.attribute("cy").set_value(emu(a.cy).c_str());
    }
  if (auto xfrm = transformOf(a.node)) {
    ShapeBounds b = boundsOf(a);
    auto off = childOf(xfrm, "off");
    auto ext = childOf(xfrm, "ext");
    if (off && ext) {
      for (auto [node, n1, v1, n2, v2] : {std::tuple{off, "x", b.left, "y", b.top},
                                          std::tuple{ext, "cx", b.width, "cy", b.height}}) {
        for (auto [n, v] : {std::pair{n1, v1}, std::pair{n2, v2}}) {
          auto attr = node.attribute(n);
          if (!attr)
            attr = node.append_attribute(n);
          attr.set_value(emu(v).c_str());
        }
      }
    }
  }
}

void Drawing::capture() {
  for (auto &a : anchors_)
    if (!a.removed && a.kind != Kind::Absolute && a.placement != 1)
      a.captured = boundsOf(a);
}

void Drawing::shift(const SheetShift &shift) {
  if (!shift.wholeBand())
    return; // shifting cells within a band leaves the drawing objects where they are
  auto along = [&](CellAnchor &c) -> std::pair<int32_t &, double &> {
    if (shift.columns)
      return {c.column, c.columnOffset};
    return {c.row, c.rowOffset};
  };
  const int32_t deletedLast = shift.count < 0 ? shift.at - shift.count - 1 : 0;
  auto inDeleted = [&](int32_t p) { return shift.count < 0 && p >= shift.at && p <= deletedLast; };
  for (auto &a : anchors_) {
    if (a.removed || a.kind == Kind::Absolute)
      continue;
    if (a.placement == 3) {
      place(a, a.captured);
      modified_ = true;
      continue;
    }
    auto [fromPos, fromOff] = along(a.from);
    if (a.placement == 1 && a.kind == Kind::TwoCell) {
      auto [toPos, toOff] = along(a.to);
      // The cells the object covers: its last one is the cell of its bottom-right corner
      // unless the corner sits on that cell's top edge.
      int32_t first = fromPos;
      int32_t last = (toOff > 0 || toPos == fromPos) ? toPos : toPos - 1;
      bool toOnEdge = !(toOff > 0 || toPos == fromPos);
      bool fromDeleted = inDeleted(fromPos), toDeleted = inDeleted(last);
      ShiftOutcome o = shiftInterval(first, last, shift);
      if (o == ShiftOutcome::Deleted) {
        a.node.parent().remove_child(a.node);
        a.node = {};
        a.removed = true;
        modified_ = true;
        continue;
      }
      if (o == ShiftOutcome::Unchanged)
        continue;
      if (fromDeleted)
        fromOff = 0;
      fromPos = first;
      if (toDeleted) {
        toPos = last + 1;
        toOff = 0;
      } else {
        toPos = toOnEdge ? last + 1 : last;
      }
      writeAnchor(a);
      modified_ = true;
      continue;
    }
    // Move with the cells, keep the size.
    int32_t p = fromPos, q = fromPos;
    ShiftOutcome o = shiftInterval(p, q, shift);
    if (o == ShiftOutcome::Deleted) {
      p = std::min(shift.at, shift.limit());
      fromOff = 0;
    } else if (o == ShiftOutcome::Unchanged) {
      if (a.kind == Kind::TwoCell) {
        // The corner did not move but the cells under the object may have.
        place(a, ShapeBounds{xOf(a.from), yOf(a.from), a.captured.width, a.captured.height});
        modified_ = true;
      }
      continue;
    }
    fromPos = p;
    if (a.kind == Kind::TwoCell)
      place(a, ShapeBounds{xOf(a.from), yOf(a.from), a.captured.width, a.captured.height});
    else
      writeAnchor(a);
    modified_ = true;
  }
}

void Drawing::save() {
  if (!modified_ || part_.empty())
    return;
  Package &package = sheet_.Parent().package();
  package.write(part_, xmlToString(doc_));
  package.write(Package::relsNameOf(part_), rels_.serialize());
  modified_ = false;
}

} // namespace brevant
