#include "engine/components/spreadsheet/structure/sheet_notes.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>

#include "engine/components/spreadsheet/io/xml_names.h"
#include "engine/components/spreadsheet/io/xml_serialize.h"
#include "engine/components/spreadsheet/package/package.h"

namespace brevant {

namespace {

template <typename N> bool byCellOf(const N &a, const N &b) {
  return a.row != b.row ? a.row < b.row : a.column < b.column;
}

uint64_t cellKey(int32_t row, int32_t column) {
  return (uint64_t(uint32_t(row)) << 16) | uint32_t(column);
}

// "{8-4-4-4-12}" upper-case hex, as the spreadsheet writes the ids of threaded comments.
std::string newGuid() {
  static std::mt19937_64 random{std::random_device{}()};
  uint64_t a = random(), b = random();
  char text[40];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%04X-%012llX}", uint32_t(a >> 32),
                uint32_t(a >> 16) & 0xFFFF, (uint32_t(a) & 0x0FFF) | 0x4000,
                (uint32_t(b >> 48) & 0x3FFF) | 0x8000,
                static_cast<unsigned long long>(b & 0xFFFFFFFFFFFFULL));
  return text;
}

// The attribute whose local name is `local` ("xr:uid" for "uid").
pugi::xml_attribute attributeNamed(pugi::xml_node node, std::string_view local) {
  for (auto a : node.attributes())
    if (localName(a.name()) == local)
      return a;
  return {};
}

// The number of a VML shape id such as "_x0000_s1025"; 0 for other ids.
uint32_t shapeNumber(std::string_view id) {
  size_t s = id.rfind('s');
  if (s == std::string_view::npos || !id.starts_with("_x0000_"))
    return 0;
  uint32_t n = 0;
  for (char c : id.substr(s + 1)) {
    if (c < '0' || c > '9')
      return 0;
    n = n * 10 + uint32_t(c - '0');
  }
  return n;
}

// A note's box: "left column, offset, top row, offset, right column, offset, bottom row,
// offset", moved by rows and columns.
std::string movedAnchor(std::string_view text, int32_t rows, int32_t columns) {
  long v[8];
  if (std::sscanf(std::string(text).c_str(), "%ld , %ld , %ld , %ld , %ld , %ld , %ld , %ld", &v[0],
                  &v[1], &v[2], &v[3], &v[4], &v[5], &v[6], &v[7]) != 8)
    return std::string(text);
  for (int i : {0, 4})
    v[i] = std::clamp<long>(v[i] + columns, 0, kMaxColumns - 1);
  for (int i : {2, 6})
    v[i] = std::clamp<long>(v[i] + rows, 0, kMaxRows - 1);
  std::string out;
  for (int i = 0; i < 8; ++i)
    out += (i ? ", " : "") + std::to_string(v[i]);
  return out;
}

} // namespace

bool SheetNotes::loadPart(Package &package, Part &part) {
  if (part.name.empty() || !package.has(part.name))
    return false;
  const std::string &xml = package.read(part.name);
  part.loaded = static_cast<bool>(part.doc.load_buffer(xml.data(), xml.size(), pugi::parse_full));
  return part.loaded;
}

void SheetNotes::load(Package &package, const std::string &sheetPart) {
  if (!package.has(Package::relsNameOf(sheetPart)))
    return;
  for (const auto &rel : package.relationshipsOf(sheetPart).items) {
    if (rel.external)
      continue;
    std::string part = Package::resolveTarget(sheetPart, rel.target);
    if (rel.type.ends_with("/comments"))
      comments_.name = part;
    else if (rel.type.ends_with("/vmlDrawing"))
      vml_.name = part;
    else if (rel.type.ends_with("/threadedComment"))
      threaded_.name = part;
  }
  // Notes are moved only when their text can be read; their boxes and threads go with them.
  if (!loadPart(package, comments_))
    return;
  auto root = comments_.doc.document_element();
  authors_ = child(root, "authors");
  commentList_ = child(root, "commentList");
  std::unordered_map<uint64_t, size_t> at;
  for (auto c : commentList_.children()) {
    if (localName(c.name()) != "comment")
      continue;
    auto rect = parseReference(c.attribute("ref").value());
    if (!rect)
      continue;
    Note note;
    note.row = rect->firstRow;
    note.column = rect->firstColumn;
    note.comment = c;
    at[cellKey(note.row, note.column)] = notes_.size();
    notes_.push_back(note);
  }
  if (loadPart(package, vml_)) {
    std::vector<pugi::xml_node> pending{vml_.doc.document_element()};
    while (!pending.empty()) {
      auto node = pending.back();
      pending.pop_back();
      for (auto c : node.children()) {
        if (c.type() != pugi::node_element)
          continue;
        if (localName(c.name()) != "shape") {
          pending.push_back(c);
          continue;
        }
        nextShape_ = std::max(nextShape_, shapeNumber(c.attribute("id").value()) + 1);
        auto data = child(c, "ClientData");
        if (std::string_view(data.attribute("ObjectType").value()) != "Note")
          continue;
        auto row = child(data, "Row"), column = child(data, "Column");
        if (!row || !column)
          continue;
        auto it = at.find(cellKey(row.text().as_int() + 1, column.text().as_int() + 1));
        if (it != at.end())
          notes_[it->second].shape = c;
      }
    }
  }
  if (loadPart(package, threaded_)) {
    threadRoot_ = threaded_.doc.document_element();
    for (auto t : threadRoot_.children()) {
      if (localName(t.name()) != "threadedComment")
        continue;
      auto rect = parseReference(t.attribute("ref").value());
      if (!rect)
        continue;
      auto it = at.find(cellKey(rect->firstRow, rect->firstColumn));
      if (it == at.end()) {
        Note note;
        note.row = rect->firstRow;
        note.column = rect->firstColumn;
        it = at.emplace(cellKey(note.row, note.column), notes_.size()).first;
        notes_.push_back(note);
      }
      notes_[it->second].threads.push_back(t);
    }
  }
  if (nextShape_ == 0)
    nextShape_ = 1025;
  std::sort(notes_.begin(), notes_.end(), byCellOf<Note>);
}

void SheetNotes::place(Note &note, int32_t row, int32_t column) {
  const int32_t rows = row - note.row, columns = column - note.column;
  if (rows == 0 && columns == 0)
    return;
  std::string ref = cellName(row, column);
  if (note.comment) {
    note.comment.attribute("ref").set_value(ref.c_str());
    comments_.modified = true;
  }
  if (note.shape) {
    auto data = child(note.shape, "ClientData");
    child(data, "Row").text().set(row - 1);
    child(data, "Column").text().set(column - 1);
    if (auto anchor = child(data, "Anchor"))
      anchor.text().set(movedAnchor(anchor.text().get(), rows, columns).c_str());
    vml_.modified = true;
  }
  for (auto t : note.threads) {
    t.attribute("ref").set_value(ref.c_str());
    threaded_.modified = true;
  }
  note.row = row;
  note.column = column;
}

void SheetNotes::remove(Note &note) {
  if (note.comment) {
    note.comment.parent().remove_child(note.comment);
    comments_.modified = true;
  }
  if (note.shape) {
    note.shape.parent().remove_child(note.shape);
    vml_.modified = true;
  }
  for (auto t : note.threads)
    t.parent().remove_child(t);
  threaded_.modified |= !note.threads.empty();
  note = Note{};
  note.removed = true;
}

void SheetNotes::shift(const SheetShift &shift) {
  // Moving rows touches only the notes from the first moved row on.
  auto from = shift.columns ? notes_.begin() : firstFrom(shift.at, 1);
  bool dropped = false;
  for (auto it = from; it != notes_.end(); ++it) {
    Note &note = *it;
    CellRect cell{note.row, note.column, note.row, note.column};
    ShiftOutcome outcome = shiftRect(cell, shift);
    if (outcome == ShiftOutcome::Deleted) {
      remove(note);
      dropped = true;
    } else if (outcome == ShiftOutcome::Changed) {
      place(note, cell.firstRow, cell.firstColumn);
    }
  }
  auto end = dropped ? std::remove_if(from, notes_.end(), [](const Note &n) { return n.removed; })
                     : notes_.end();
  notes_.erase(end, notes_.end());
  // Cells of a band move past the others: the order is restored.
  if (!shift.wholeBand())
    std::stable_sort(from, notes_.end(), byCellOf<Note>);
}

std::vector<SheetNotes::Note>::iterator SheetNotes::firstFrom(int32_t row, int32_t column) {
  return std::lower_bound(notes_.begin(), notes_.end(), std::pair{row, column},
                          [](const Note &n, const std::pair<int32_t, int32_t> &cell) {
                            return std::pair{n.row, n.column} < cell;
                          });
}

std::string SheetNotes::newShapeId() { return "_x0000_s" + std::to_string(nextShape_++); }

unsigned SheetNotes::newAuthor(const std::string &name) {
  unsigned index = 0;
  for (auto a : authors_.children())
    index += localName(a.name()) == "author";
  std::string tag =
      std::string(authors_.name()).substr(0, std::strlen(authors_.name()) - 7) + "author";
  authors_.append_child(tag.c_str()).text().set(name.c_str());
  return index;
}

SheetNotes::Note SheetNotes::duplicate(const Note &note, int32_t row, int32_t column) {
  Note copy;
  copy.row = note.row;
  copy.column = note.column;
  // A threaded comment and its replies get new ids; the note that stands for them in older
  // readers names the new thread.
  std::unordered_map<std::string, std::string> ids;
  for (auto t : note.threads) {
    auto c = threadRoot_.append_copy(t);
    std::string id = newGuid();
    ids[t.attribute("id").value()] = id;
    c.attribute("id").set_value(id.c_str());
    if (auto parent = c.attribute("parentId"))
      parent.set_value(ids[parent.value()].c_str());
    copy.threads.push_back(c);
  }
  if (note.comment) {
    copy.comment = note.comment.parent().append_copy(note.comment);
    std::string thread =
        note.threads.empty() ? newGuid() : ids[note.threads[0].attribute("id").value()];
    if (auto uid = attributeNamed(copy.comment, "uid"))
      uid.set_value(thread.c_str());
    if (!note.threads.empty() && authors_)
      copy.comment.attribute("authorId").set_value(newAuthor("tc=" + thread));
    comments_.modified = true;
  }
  if (note.shape) {
    copy.shape = note.shape.parent().append_copy(note.shape);
    std::string id = newShapeId();
    copy.shape.attribute("id").set_value(id.c_str());
    if (auto spid = attributeNamed(copy.shape, "spid"))
      spid.set_value(id.c_str());
    vml_.modified = true;
  }
  threaded_.modified |= !copy.threads.empty();
  place(copy, row, column);
  return copy;
}

void SheetNotes::copy(const CellRect &source,
                      const std::vector<std::pair<int32_t, int32_t>> &offsets,
                      const CellRect &clip) {
  std::vector<Note> inSource;
  for (auto it = firstFrom(source.firstRow, 1); it != notes_.end() && it->row <= source.lastRow;
       ++it)
    if (source.contains(it->row, it->column))
      inSource.push_back(*it);
  if (inSource.empty())
    return;
  for (auto [rows, columns] : offsets)
    for (const Note &original : inSource) {
      int32_t row = original.row + rows, column = original.column + columns;
      if (!clip.contains(row, column) || row < 1 || column < 1 || row > kMaxRows ||
          column > kMaxColumns)
        continue;
      // The copy lands on the source itself when source and destination overlap.
      if (row == original.row && column == original.column)
        continue;
      Note copy = duplicate(original, row, column);
      auto at = firstFrom(row, column);
      if (at != notes_.end() && at->row == row && at->column == column) {
        remove(*at);
        *at = std::move(copy);
      } else {
        notes_.insert(at, std::move(copy));
      }
    }
}

void SheetNotes::save(Package &package) {
  for (Part *part : {&comments_, &vml_, &threaded_})
    if (part->loaded && part->modified) {
      if (part == &vml_) {
        // The drawing declares the blocks of 1024 shape ids it uses.
        std::vector<pugi::xml_node> pending{vml_.doc.document_element()};
        while (!pending.empty()) {
          auto node = pending.back();
          pending.pop_back();
          for (auto c : node.children())
            if (localName(c.name()) == "idmap") {
              uint32_t first = std::max(1, c.attribute("data").as_int(1));
              uint32_t last = std::max(first, (nextShape_ - 1) / 1024);
              std::string blocks;
              for (uint32_t b = first; b <= last; ++b)
                blocks += (blocks.empty() ? "" : ",") + std::to_string(b);
              auto data = attributeNamed(c, "data");
              if (data)
                data.set_value(blocks.c_str());
            } else if (c.type() == pugi::node_element && localName(c.name()) != "shape") {
              pending.push_back(c);
            }
        }
      }
      package.write(part->name, xmlToString(part->doc));
      part->modified = false;
    }
}

} // namespace brevant
