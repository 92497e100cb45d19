#pragma once
// One package part compressed as a single raw deflate stream while the caller goes on producing
// it. With more than one thread the part is cut into chunks that worker threads compress: every
// chunk but the last ends with a sync flush (byte-aligned, no final block) and is primed with
// the 32 KiB that precede it, so the joined chunks are one ordinary stream, about as small as
// one made in a single pass. The checksum of the whole is combined from the chunks' checksums.
// Compressed bytes reach the sink in order, on the calling thread; at most `threads` chunks are
// in flight, so the memory stays a few chunks whatever the part's size.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <string_view>

namespace brevant {

class DeflateStream;

struct CompressionOptions {
  // 4 is zlib's fastest level that still looks for lazy matches: on sheet XML it is about three
  // times as fast as 6 for files a few percent larger.
  int level = 4;
  unsigned threads = 0; // 0: one per processor; 1: one stream on the calling thread
  size_t chunkSize = size_t(1) << 20;
};

class ChunkedDeflate {
public:
  using Sink = std::function<void(std::string_view)>;
  ChunkedDeflate(const CompressionOptions &options, Sink sink);
  ~ChunkedDeflate();
  ChunkedDeflate(const ChunkedDeflate &) = delete;
  ChunkedDeflate &operator=(const ChunkedDeflate &) = delete;

  void write(std::string_view data);
  void finish();
  uint32_t crc() const { return crc_; }
  uint64_t size() const { return size_; }

private:
  struct Chunk {
    std::string compressed;
    uint32_t crc = 0;
    uint64_t size = 0;
  };
  static Chunk compress(const std::string &input, const std::string &dictionary, int level,
                        bool last);
  void submit(bool last);
  void collectOldest();

  CompressionOptions options_;
  Sink sink_;
  unsigned threads_;
  uint32_t crc_ = 0;
  uint64_t size_ = 0;
  std::unique_ptr<DeflateStream> serial_;
  std::string chunk_, window_;
  std::deque<std::future<Chunk>> pending_;
};

} // namespace brevant
