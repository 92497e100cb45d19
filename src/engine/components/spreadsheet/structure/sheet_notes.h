#pragma once
// The notes of a worksheet (comments in the file: the text in the comments part, the box in
// the legacy VML drawing) and the threaded comments that go with them. A note belongs to a
// cell: it moves when the cell moves, goes when the cell is deleted, and a copied cell gets a
// note of its own.

#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include <pugixml.hpp>

#include "engine/components/spreadsheet/cells/cell_address.h"
#include "engine/components/spreadsheet/formulas/reference_shifter.h"

namespace brevant {

class Package;

class SheetNotes {
public:
  // Reads the notes of the sheet part `sheetPart`; a sheet without notes has none.
  void load(Package &package, const std::string &sheetPart);
  [[nodiscard]] bool empty() const { return notes_.empty(); }
  void shift(const SheetShift &shift);
  // Copies the notes of the cells of `source` to every offset (rows, columns) whose copy lies
  // within `clip`; a copied note replaces the note already there.
  void copy(const CellRect &source, const std::vector<std::pair<int32_t, int32_t>> &offsets,
            const CellRect &clip);
  // Writes back the parts that changed.
  void save(Package &package);

private:
  struct Note {
    int32_t row = 0, column = 0;
    pugi::xml_node comment;
    pugi::xml_node shape;                // the note's box, when the drawing has one
    std::vector<pugi::xml_node> threads; // its threaded comment and the replies
    bool removed = false;
  };
  struct Part {
    std::string name;
    pugi::xml_document doc;
    bool loaded = false;
    bool modified = false;
  };
  [[nodiscard]] static bool loadPart(Package &package, Part &part);
  // The first note at (row, column) or after it in row order.
  std::vector<Note>::iterator firstFrom(int32_t row, int32_t column);
  void place(Note &note, int32_t row, int32_t column);
  void remove(Note &note);
  Note duplicate(const Note &note, int32_t row, int32_t column);
  std::string newShapeId();
  // The index of a new author of the comments part.
  unsigned newAuthor(const std::string &name);

  Part comments_, vml_, threaded_;
  pugi::xml_node commentList_, authors_, threadRoot_;
  std::vector<Note> notes_; // sorted by row, then column
  uint32_t nextShape_ = 0;  // the number of the next VML shape id
};

} // namespace brevant
