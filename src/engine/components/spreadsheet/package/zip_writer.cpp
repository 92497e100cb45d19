#include "engine/components/spreadsheet/package/zip_writer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "engine/components/spreadsheet/spreadsheet_error.h"

namespace brevant {

namespace {

constexpr uint32_t kMax32 = 0xFFFFFFFFu;

void put16(std::string &b, uint16_t v) {
  b += static_cast<char>(v & 0xFF);
  b += static_cast<char>(v >> 8);
}
void put32(std::string &b, uint32_t v) {
  for (int i = 0; i < 4; ++i)
    b += static_cast<char>((v >> (8 * i)) & 0xFF);
}
void put64(std::string &b, uint64_t v) {
  for (int i = 0; i < 8; ++i)
    b += static_cast<char>((v >> (8 * i)) & 0xFF);
}

} // namespace

ZipWriter::ZipWriter(std::string path, CompressionOptions options)
    : path_(std::move(path)), out_(path_), options_(options) {
  file_ = out_.stream();
  std::setvbuf(file_, nullptr, _IOFBF, 1 << 20);
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  dosTime_ = static_cast<uint16_t>((tm.tm_hour << 11) | (tm.tm_min << 5) | (tm.tm_sec / 2));
  dosDate_ = static_cast<uint16_t>(((tm.tm_year - 80) << 9) | ((tm.tm_mon + 1) << 5) | tm.tm_mday);
}

ZipWriter::~ZipWriter() = default;

void ZipWriter::writeBytes(const void *p, size_t n) {
  if (n && std::fwrite(p, 1, n, file_) != n)
    out_.failWrite();
  position_ += n;
}

uint64_t ZipWriter::beginEntry(std::string_view name, uint16_t method) {
  uint64_t offset = position_;
  std::string h;
  put32(h, 0x04034b50);
  put16(h, 20);
  put16(h, 0x0800); // names are UTF-8
  put16(h, method);
  put16(h, dosTime_);
  put16(h, dosDate_);
  put32(h, 0);
  put32(h, 0);
  put32(h, 0);
  put16(h, static_cast<uint16_t>(name.size()));
  put16(h, 0);
  h += name;
  writeBytes(h.data(), h.size());
  return offset;
}

void ZipWriter::patchEntry(uint64_t offset, uint32_t crc, uint64_t compressedSize, uint64_t size,
                           std::string_view name) {
  if (compressedSize >= kMax32 || size >= kMax32)
    throw SpreadsheetError("The package part \"" + std::string(name) +
                           "\" is larger than 4 GB, which this writer does not support.");
  std::string b;
  put32(b, crc);
  put32(b, static_cast<uint32_t>(compressedSize));
  put32(b, static_cast<uint32_t>(size));
  if (fflush(file_) != 0 || fseeko(file_, static_cast<off_t>(offset + 14), SEEK_SET) != 0 ||
      std::fwrite(b.data(), 1, b.size(), file_) != b.size() || fseeko(file_, 0, SEEK_END) != 0)
    out_.failWrite();
}

void ZipWriter::addRaw(const ZipEntry &entry) {
  uint64_t offset = beginEntry(entry.name, entry.method);
  writeBytes(entry.raw.data(), entry.raw.size());
  patchEntry(offset, entry.crc, entry.raw.size(), entry.size, entry.name);
  central_.push_back({entry.name, entry.method, entry.crc, entry.raw.size(), entry.size, offset});
}

void ZipWriter::addData(std::string_view name, std::string_view data, std::optional<int> level) {
  addStreamed(
      name, [&](const std::function<void(std::string_view)> &write) { write(data); }, level);
}

void ZipWriter::addStreamed(std::string_view name, const Producer &produce,
                            std::optional<int> level) {
  uint64_t offset = beginEntry(name, 8);
  uint64_t start = position_;
  CompressionOptions options = options_;
  if (level)
    options.level = *level;
  ChunkedDeflate deflater(
      options, [this](std::string_view bytes) { writeBytes(bytes.data(), bytes.size()); });
  produce([&](std::string_view piece) { deflater.write(piece); });
  deflater.finish();
  patchEntry(offset, deflater.crc(), position_ - start, deflater.size(), name);
  central_.push_back(
      {std::string(name), 8, deflater.crc(), position_ - start, deflater.size(), offset});
}

void ZipWriter::finish() {
  uint64_t cdStart = position_;
  for (const auto &c : central_) {
    bool zip64 = c.offset >= kMax32;
    std::string h;
    put32(h, 0x02014b50);
    put16(h, zip64 ? 45 : 20);
    put16(h, zip64 ? 45 : 20);
    put16(h, 0x0800);
    put16(h, c.method);
    put16(h, dosTime_);
    put16(h, dosDate_);
    put32(h, c.crc);
    put32(h, static_cast<uint32_t>(c.compressedSize));
    put32(h, static_cast<uint32_t>(c.size));
    put16(h, static_cast<uint16_t>(c.name.size()));
    put16(h, zip64 ? 12 : 0);
    put16(h, 0);
    put16(h, 0);
    put16(h, 0);
    put32(h, 0);
    put32(h, zip64 ? kMax32 : static_cast<uint32_t>(c.offset));
    h += c.name;
    if (zip64) {
      put16(h, 0x0001);
      put16(h, 8);
      put64(h, c.offset);
    }
    writeBytes(h.data(), h.size());
  }
  uint64_t cdSize = position_ - cdStart;
  uint64_t count = central_.size();
  std::string e;
  if (cdStart >= kMax32 || count >= 0xFFFF) {
    uint64_t zip64End = position_;
    put32(e, 0x06064b50);
    put64(e, 44);
    put16(e, 45);
    put16(e, 45);
    put32(e, 0);
    put32(e, 0);
    put64(e, count);
    put64(e, count);
    put64(e, cdSize);
    put64(e, cdStart);
    put32(e, 0x07064b50);
    put32(e, 0);
    put64(e, zip64End);
    put32(e, 1);
  }
  put32(e, 0x06054b50);
  put16(e, 0);
  put16(e, 0);
  put16(e, static_cast<uint16_t>(std::min<uint64_t>(count, 0xFFFF)));
  put16(e, static_cast<uint16_t>(std::min<uint64_t>(count, 0xFFFF)));
  put32(e, static_cast<uint32_t>(std::min<uint64_t>(cdSize, kMax32)));
  put32(e, static_cast<uint32_t>(std::min<uint64_t>(cdStart, kMax32)));
  put16(e, 0);
  writeBytes(e.data(), e.size());
  out_.commit();
  file_ = nullptr;
  finished_ = true;
}

} // namespace brevant
