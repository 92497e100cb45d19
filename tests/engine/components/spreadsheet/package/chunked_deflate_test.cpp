// A part compressed in chunks on worker threads must be one deflate stream that inflates to the
// part, with the part's checksum and size, wherever the chunk boundaries fall.

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "deflate_samples.h"
#include "engine/components/spreadsheet/package/chunked_deflate.h"

namespace brevant {
namespace {

struct Compressed {
  std::string bytes;
  uint32_t crc;
  uint64_t size;
};

// Feeds `data` in pieces of `piece` bytes.
Compressed compress(const std::string &data, const CompressionOptions &options, size_t piece) {
  Compressed result;
  ChunkedDeflate deflater(options, [&](std::string_view b) { result.bytes.append(b); });
  for (size_t at = 0; at < data.size(); at += piece)
    deflater.write(std::string_view(data).substr(at, piece));
  deflater.finish();
  result.crc = deflater.crc();
  result.size = deflater.size();
  return result;
}

uint32_t crcOf(const std::string &data) {
  return static_cast<uint32_t>(
      crc32(0, reinterpret_cast<const Bytef *>(data.data()), static_cast<uInt>(data.size())));
}

TEST(ChunkedDeflate, JoinedChunksInflateToThePartWhereverTheBoundariesFall) {
  const size_t chunk = 4096;
  struct Case {
    const char *what;
    std::string data;
  };
  std::vector<Case> cases = {
      {"empty", ""},
      {"one byte", "x"},
      {"one byte short of a chunk", sheetLikeText(chunk - 1)},
      {"exactly one chunk", sheetLikeText(chunk)},
      {"exactly five chunks", sheetLikeText(5 * chunk)},
      {"one byte into the next chunk", sheetLikeText(5 * chunk + 1)},
      {"many chunks", sheetLikeText(300 * chunk + 123)},
      // Incompressible data: stored blocks, output larger than the input.
      {"incompressible", randomBytes(9 * chunk + 5)},
      // Repeats that reach back across every boundary from the chunk before.
      {"long repeats", std::string(20 * chunk, 'a') + sheetLikeText(3 * chunk)},
  };
  for (unsigned threads : {1u, 2u, 3u})
    for (size_t piece : {size_t(1) << 20, size_t(1000), size_t(1)})
      for (const auto &c : cases) {
        if (piece == 1 && c.data.size() > 50 * chunk)
          continue; // byte by byte only on the smaller cases
        SCOPED_TRACE(std::string(c.what) + ", threads " + std::to_string(threads) + ", pieces of " +
                     std::to_string(piece));
        Compressed z = compress(c.data, {4, threads, chunk}, piece);
        EXPECT_EQ(inflated(z.bytes), c.data);
        EXPECT_EQ(z.crc, crcOf(c.data));
        EXPECT_EQ(z.size, c.data.size());
      }
}

TEST(ChunkedDeflate, ChunksOfAMebibyteCompressAlmostAsWellAsOneStream) {
  std::string text = sheetLikeText(6 << 20);
  Compressed whole = compress(text, {4, 1, 8 << 20}, 1 << 16);
  Compressed parallel = compress(text, {4, 2, 1 << 20}, 1 << 16);
  EXPECT_EQ(inflated(parallel.bytes), text);
  // Each chunk starts without the text before it: that may cost a little, not a fresh file.
  EXPECT_LT(parallel.bytes.size(), whole.bytes.size() + whole.bytes.size() / 100);
}

TEST(ChunkedDeflate, OnePartAtAnyLevelIsTheSameStreamSerialOrWithinOneChunk) {
  // A part that fits one chunk is compressed in one piece on the calling thread: the many small
  // parts of a package start no threads and come out as a single-pass compressor makes them.
  std::string text = sheetLikeText(100000);
  for (int level : {1, 4, 6, 9}) {
    SCOPED_TRACE(level);
    Compressed serial = compress(text, {level, 1, 1 << 20}, text.size());
    Compressed parallel = compress(text, {level, 2, 1 << 20}, text.size());
    EXPECT_EQ(serial.bytes, parallel.bytes);
    EXPECT_EQ(inflated(parallel.bytes), text);
  }
}

} // namespace
} // namespace brevant
