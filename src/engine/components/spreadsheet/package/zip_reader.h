#pragma once
// Reading a zip package without trusting it: entry names are checked (no absolute paths, no
// "..", no duplicates), only stored and deflated entries are accepted, and every entry is
// inflated under a size limit with its checksum verified, whatever sizes its headers declare.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brevant {

struct ZipLimits {
  uint64_t maxPartSize = uint64_t(1) << 30;  // 1 GiB decompressed per part
  uint64_t maxTotalSize = uint64_t(4) << 30; // all parts together
  size_t maxEntries = 65536;
};

// One entry as it is stored: its compressed bytes can be copied to another package unchanged.
struct ZipEntry {
  std::string name;
  uint16_t method = 0; // 0 stored, 8 deflated
  uint32_t crc = 0;
  uint64_t size = 0; // decompressed size, as measured while checking the entry
  std::string raw;   // the bytes as stored in the archive
};

// Throws SpreadsheetError with a description of what is wrong with the archive.
[[nodiscard]] std::vector<ZipEntry> readZip(std::string_view archive, const ZipLimits &limits = {});

// The decompressed bytes of an entry that readZip accepted.
std::string inflateEntry(const ZipEntry &entry, uint64_t limit);

} // namespace brevant
