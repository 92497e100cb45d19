#pragma once
// Inputs and a checking inflater shared by the compression tests.

#include <zlib.h>

#include <random>
#include <string>

namespace brevant {

// Rows of sheet XML, cut to `size` bytes: compresses as a real sheet part does.
inline std::string sheetLikeText(size_t size) {
  std::string text;
  for (int r = 1; text.size() < size; ++r)
    text += "<row r=\"" + std::to_string(r) + "\"><c r=\"A" + std::to_string(r) + "\"><v>" +
            std::to_string(r * 7 % 1013) + "</v></c></row>";
  text.resize(size);
  return text;
}

inline std::string randomBytes(size_t size, unsigned seed = 17) {
  std::mt19937 gen(seed);
  std::string bytes(size, '\0');
  for (auto &c : bytes)
    c = static_cast<char>(gen());
  return bytes;
}

// Inflates a raw deflate stream; "<broken>" unless it is exactly one stream ending at its end.
inline std::string inflated(const std::string &stream) {
  z_stream zs{};
  inflateInit2(&zs, -MAX_WBITS);
  std::string out, buffer(1 << 16, '\0');
  zs.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(stream.data()));
  zs.avail_in = static_cast<uInt>(stream.size());
  int rc = Z_OK;
  while (rc == Z_OK) {
    zs.next_out = reinterpret_cast<Bytef *>(buffer.data());
    zs.avail_out = static_cast<uInt>(buffer.size());
    rc = inflate(&zs, Z_NO_FLUSH);
    out.append(buffer.data(), buffer.size() - zs.avail_out);
  }
  const bool whole = rc == Z_STREAM_END && zs.avail_in == 0;
  inflateEnd(&zs);
  return whole ? out : "<broken>";
}

} // namespace brevant
