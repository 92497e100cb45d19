#pragma once
// Writing a zip package to a file: parts copied as they were stored, parts compressed from
// memory, and parts produced piece by piece (a sheet of a million rows never exists as one
// string). Large archives get Zip64 records. The file appears only when finish() succeeds:
// it is written beside the target under a temporary name and renamed over it. Large parts are
// compressed on several threads (see ChunkedDeflate) into ordinary deflate entries.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/components/spreadsheet/io/saved_file.h"
#include "engine/components/spreadsheet/package/chunked_deflate.h"
#include "engine/components/spreadsheet/package/zip_reader.h"

namespace brevant {

class ZipWriter {
public:
  explicit ZipWriter(std::string path, CompressionOptions options = {});
  ~ZipWriter();
  ZipWriter(const ZipWriter &) = delete;
  ZipWriter &operator=(const ZipWriter &) = delete;

  void addRaw(const ZipEntry &entry);
  // `level` overrides the writer's compression level for this part.
  void addData(std::string_view name, std::string_view data, std::optional<int> level = {});
  // `produce` calls `write` with successive pieces of the part.
  using Producer = std::function<void(const std::function<void(std::string_view)> &write)>;
  void addStreamed(std::string_view name, const Producer &produce, std::optional<int> level = {});
  void finish();

private:
  struct Central {
    std::string name;
    uint16_t method;
    uint32_t crc;
    uint64_t compressedSize, size, offset;
  };
  void writeBytes(const void *p, size_t n);
  uint64_t beginEntry(std::string_view name, uint16_t method);
  void patchEntry(uint64_t offset, uint32_t crc, uint64_t compressedSize, uint64_t size,
                  std::string_view name);

  std::string path_;
  SavedFile out_; // the temporary file beside the target, renamed over it by finish()

  CompressionOptions options_;
  FILE *file_ = nullptr;
  uint64_t position_ = 0;
  uint16_t dosTime_ = 0, dosDate_ = 0;
  std::vector<Central> central_;
  bool finished_ = false;
};

} // namespace brevant
