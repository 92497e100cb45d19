#pragma once
// The workbook's shared string table. Items read from the template keep their XML (rich text,
// phonetic runs) when they have any; new text is added once and found again by hash, so a
// million repeated values cost one item. Text is kept in one arena, not one heap block each.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace brevant {

class SharedStrings {
public:
  // Reads the items of a sharedStrings part.
  void load(std::string_view xml);
  // The index of `text`, added when missing.
  uint32_t add(std::string_view text);
  std::string_view text(uint32_t index) const;
  uint32_t size() const { return static_cast<uint32_t>(spans_.size()); }
  // Adds an item given as the inner XML of <si> (an inline rich string), with its plain text.
  uint32_t addRich(std::string_view plainText, std::string innerXml);

  // How many texts longer than a cell holds were added so far (each add counts, like each cell
  // written); write() cuts them.
  uint64_t overlongAdds() const { return overlongAdds_; }

  // Streams the part; texts longer than a cell holds are cut to fit.
  void write(const std::function<void(std::string_view)> &out) const;

private:
  struct Span {
    uint64_t offset;
    uint32_t length;
  };
  uint32_t append(std::string_view text);
  void grow();
  static size_t hashOf(std::string_view s) { return std::hash<std::string_view>{}(s); }

  std::string arena_;
  std::vector<Span> spans_;
  std::vector<uint32_t> table_; // open addressing: index + 1, 0 empty
  size_t used_ = 0;
  uint64_t overlongAdds_ = 0;
  std::unordered_map<uint32_t, std::string> rich_; // inner XML of items with formatting
};

} // namespace brevant
