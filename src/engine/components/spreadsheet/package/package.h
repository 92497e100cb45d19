#pragma once
// An Office Open XML package in memory: its parts in archive order, each kept as it was stored
// until something replaces it, plus the content-type and relationship bookkeeping every part
// change needs. Part names are archive names without the leading '/' ("xl/workbook.xml").

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/components/spreadsheet/package/zip_reader.h"
#include "engine/components/spreadsheet/package/zip_writer.h"

namespace brevant {

struct Relationship {
  std::string id;
  std::string type;
  std::string target;
  bool external = false;
};

// The relationships of one part (the ".rels" part beside it).
struct Relationships {
  std::vector<Relationship> items;

  [[nodiscard]] static Relationships parse(std::string_view xml);
  std::string serialize() const;
  const Relationship *byId(std::string_view id) const;
  const Relationship *byType(std::string_view type) const;
  std::string add(std::string type, std::string target); // returns the new id
  void removeById(std::string_view id);
};

// The package's [Content_Types].xml.
struct ContentTypes {
  std::map<std::string, std::string> defaults;  // lower-case extension -> type
  std::map<std::string, std::string> overrides; // part name (no leading '/') -> type

  [[nodiscard]] static ContentTypes parse(std::string_view xml);
  std::string serialize() const;
  std::string typeOf(std::string_view partName) const;
};

class Package {
public:
  [[nodiscard]] static Package fromBytes(std::string_view archive, const ZipLimits &limits = {});
  [[nodiscard]] static Package fromFile(const std::string &path, const ZipLimits &limits = {});
  Package() = default;

  [[nodiscard]] bool has(std::string_view name) const;
  // The decompressed bytes of a part; throws when there is no such part.
  const std::string &read(std::string_view name);
  // Replaces a part or adds it at the end of the archive.
  void write(std::string_view name, std::string data);
  void remove(std::string_view name);
  std::vector<std::string> names() const;

  // The rels part of a part: "xl/workbook.xml" -> "xl/_rels/workbook.xml.rels".
  static std::string relsNameOf(std::string_view partName);
  // A relationship target resolved against the part that names it.
  [[nodiscard]] static std::string resolveTarget(std::string_view sourcePart,
                                                 std::string_view target);
  // A part name written as a target relative to the source part's folder.
  static std::string relativeTarget(std::string_view sourcePart, std::string_view partName);

  Relationships relationshipsOf(std::string_view partName);

  // Writes every part: those named in `generated` through their producers, replaced parts
  // compressed from memory, all others copied as they were stored.
  void save(const std::string &path, const std::map<std::string, ZipWriter::Producer> &generated,
            const CompressionOptions &options = {}) const;

private:
  struct Part {
    ZipEntry stored;
    bool replaced = false;
    bool loaded = false;
    std::string data;
  };
  // Part names compare without regard to ASCII letter case, as the packaging rules say: a
  // relationship to "sharedStrings.xml" finds the part "xl/SharedStrings.xml".
  struct NameLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
  };
  std::vector<std::unique_ptr<Part>> parts_;
  std::map<std::string, size_t, NameLess> index_;
  uint64_t maxPartSize_ = uint64_t(1) << 30;
};

} // namespace brevant
