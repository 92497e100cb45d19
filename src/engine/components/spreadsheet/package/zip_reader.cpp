#include "engine/components/spreadsheet/package/zip_reader.h"

#include "base/strings.h"

#include <zip.h>
#include <zlib.h>

#include <memory>
#include <set>

#include "engine/components/spreadsheet/spreadsheet_error.h"

namespace brevant {

namespace {

struct ArchiveCloser {
  void operator()(zip_t *z) const { zip_discard(z); }
};
struct FileCloser {
  void operator()(zip_file_t *f) const { zip_fclose(f); }
};

void checkName(std::string_view name) {
  auto fail = [&](const char *why) {
    throw SpreadsheetError("The package holds an entry with an unsafe name (" + std::string(why) +
                           "): \"" + std::string(name) + "\".");
  };
  if (name.empty())
    fail("empty");
  if (name.front() == '/' || name.front() == '\\')
    fail("absolute path");
  if (name.find('\\') != std::string_view::npos)
    fail("backslash");
  if (name.find('\0') != std::string_view::npos)
    fail("NUL character");
  if (name.size() >= 2 && name[1] == ':')
    fail("drive letter");
  size_t start = 0;
  while (start <= name.size()) {
    size_t slash = name.find('/', start);
    std::string_view seg =
        name.substr(start, slash == std::string_view::npos ? name.npos : slash - start);
    if (seg == ".." || seg == ".")
      fail("relative segment");
    if (slash == std::string_view::npos)
      break;
    start = slash + 1;
  }
}

// Runs the entry through the decompressor in small pieces, handing each piece to `sink`.
template <typename Sink>
uint32_t decompress(const ZipEntry &entry, uint64_t limit, Sink &&sink, uint64_t &total) {
  uint32_t crc = crc32(0, nullptr, 0);
  total = 0;
  auto tooLarge = [&] {
    throw SpreadsheetError("The package part \"" + entry.name + "\" decompresses to more than " +
                           std::to_string(limit >> 20) +
                           " MB; the file is refused as damaged or hostile.");
  };
  if (entry.method == 0) {
    if (entry.raw.size() > limit)
      tooLarge();
    crc = crc32_z(crc, reinterpret_cast<const Bytef *>(entry.raw.data()), entry.raw.size());
    total = entry.raw.size();
    sink(entry.raw.data(), entry.raw.size());
    return crc;
  }
  z_stream zs{};
  if (inflateInit2(&zs, -MAX_WBITS) != Z_OK)
    throw SpreadsheetError("The decompressor could not be started.");
  std::unique_ptr<z_stream, void (*)(z_stream *)> guard(&zs, [](z_stream *z) { inflateEnd(z); });
  zs.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(entry.raw.data()));
  size_t remaining = entry.raw.size();
  char buffer[1 << 16];
  int rc = Z_OK;
  while (rc != Z_STREAM_END) {
    if (zs.avail_in == 0) {
      if (remaining == 0)
        break;
      uInt chunk = static_cast<uInt>(std::min<size_t>(remaining, 1u << 30));
      zs.avail_in = chunk;
      remaining -= chunk;
    }
    zs.next_out = reinterpret_cast<Bytef *>(buffer);
    zs.avail_out = sizeof buffer;
    rc = inflate(&zs, Z_NO_FLUSH);
    if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR)
      throw SpreadsheetError("The package part \"" + entry.name + "\" is damaged (" +
                             std::string(zs.msg ? zs.msg : "bad compressed data") + ").");
    size_t produced = sizeof buffer - zs.avail_out;
    if (rc == Z_BUF_ERROR && produced == 0 && zs.avail_in == 0 && remaining == 0)
      break;
    total += produced;
    if (total > limit)
      tooLarge();
    crc = crc32_z(crc, reinterpret_cast<const Bytef *>(buffer), produced);
    sink(buffer, produced);
  }
  if (rc != Z_STREAM_END)
    throw SpreadsheetError("The package part \"" + entry.name + "\" is truncated.");
  return crc;
}

} // namespace

std::vector<ZipEntry> readZip(std::string_view archive, const ZipLimits &limits) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t *src = zip_source_buffer_create(archive.data(), archive.size(), 0, &error);
  if (!src) {
    std::string why = zip_error_strerror(&error);
    zip_error_fini(&error);
    throw SpreadsheetError("The file could not be read as a zip package: " + why + ".");
  }
  std::unique_ptr<zip_t, ArchiveCloser> za(zip_open_from_source(src, ZIP_RDONLY, &error));
  if (!za) {
    zip_source_free(src);
    std::string why = zip_error_strerror(&error);
    zip_error_fini(&error);
    throw SpreadsheetError("The file is not a workbook package (" + why + ").");
  }
  zip_error_fini(&error);

  zip_int64_t count = zip_get_num_entries(za.get(), 0);
  if (count < 0 || static_cast<uint64_t>(count) > limits.maxEntries)
    throw SpreadsheetError("The package holds too many entries to be a workbook.");
  std::vector<ZipEntry> entries;
  std::set<std::string> seen;
  uint64_t total = 0;
  for (zip_int64_t i = 0; i < count; ++i) {
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(za.get(), i, 0, &st) != 0 || !(st.valid & ZIP_STAT_NAME))
      throw SpreadsheetError("The package directory is damaged.");
    std::string name = st.name;
    if (!name.empty() && name.back() == '/')
      continue; // folder entries carry nothing
    checkName(name);
    if (!seen.insert(asciiLower(name)).second)
      throw SpreadsheetError("The package holds the part \"" + name + "\" twice.");
    if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE)
      throw SpreadsheetError("The package part \"" + name + "\" is encrypted.");
    if (st.comp_method != ZIP_CM_STORE && st.comp_method != ZIP_CM_DEFLATE)
      throw SpreadsheetError("The package part \"" + name +
                             "\" uses a compression method that workbooks do not use.");
    if (st.comp_size > archive.size())
      throw SpreadsheetError("The package part \"" + name + "\" is truncated.");
    ZipEntry entry;
    entry.name = name;
    entry.method = static_cast<uint16_t>(st.comp_method);
    std::unique_ptr<zip_file_t, FileCloser> f(zip_fopen_index(za.get(), i, ZIP_FL_COMPRESSED));
    if (!f)
      throw SpreadsheetError("The package part \"" + name +
                             "\" cannot be read: " + zip_strerror(za.get()) + ".");
    entry.raw.resize(st.comp_size);
    zip_int64_t got = st.comp_size ? zip_fread(f.get(), entry.raw.data(), st.comp_size) : 0;
    if (got < 0 || static_cast<zip_uint64_t>(got) != st.comp_size)
      throw SpreadsheetError("The package part \"" + name + "\" is truncated.");
    uint64_t size = 0;
    uint32_t crc = decompress(
        entry, std::min(limits.maxPartSize, limits.maxTotalSize - total),
        [](const char *, size_t) {}, size);
    if ((st.valid & ZIP_STAT_CRC) && crc != st.crc)
      throw SpreadsheetError("The package part \"" + name + "\" is damaged (checksum mismatch).");
    entry.crc = crc;
    entry.size = size;
    total += size;
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::string inflateEntry(const ZipEntry &entry, uint64_t limit) {
  std::string out;
  out.reserve(static_cast<size_t>(std::min(entry.size, limit)));
  uint64_t total = 0;
  decompress(
      entry, limit, [&](const char *p, size_t n) { out.append(p, n); }, total);
  return out;
}

} // namespace brevant
