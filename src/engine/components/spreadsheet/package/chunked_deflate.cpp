#include "engine/components/spreadsheet/package/chunked_deflate.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "engine/components/spreadsheet/package/deflate_continuation.h"
#include "engine/components/spreadsheet/spreadsheet_error.h"

namespace brevant {

namespace {

constexpr size_t kMaxChunk = size_t(1) << 30;

struct FreeCompressor {
  void operator()(libdeflate_compressor *c) const { libdeflate_free_compressor(c); }
};
using Compressor = std::unique_ptr<libdeflate_compressor, FreeCompressor>;

// A compressor holds hash tables of several hundred KiB: those set up once are kept for the
// next chunk, on whichever thread it runs.
class IdleCompressors {
public:
  Compressor take(int level) {
    {
      std::lock_guard lock(mutex_);
      for (auto it = idle_.begin(); it != idle_.end(); ++it)
        if (it->first == level) {
          Compressor c = std::move(it->second);
          idle_.erase(it);
          return c;
        }
    }
    Compressor c(libdeflate_alloc_compressor(level));
    if (!c)
      throw SpreadsheetError("The compressor could not be started.");
    return c;
  }
  void give(int level, Compressor c) {
    std::lock_guard lock(mutex_);
    if (idle_.size() < 8)
      idle_.emplace_back(level, std::move(c));
  }

private:
  std::mutex mutex_;
  std::vector<std::pair<int, Compressor>> idle_;
};

IdleCompressors &idleCompressors() {
  static IdleCompressors idle;
  return idle;
}

} // namespace

ChunkedDeflate::ChunkedDeflate(const CompressionOptions &options, Sink sink)
    : options_(options), sink_(std::move(sink)) {
  threads_ =
      options_.threads ? options_.threads : std::max(1u, std::thread::hardware_concurrency());
  options_.chunkSize = std::clamp<size_t>(options_.chunkSize, 1, kMaxChunk);
  options_.level = std::clamp(options_.level, 0, 12);
  crc_ = static_cast<uint32_t>(crc32(0, nullptr, 0));
}

ChunkedDeflate::~ChunkedDeflate() {
  // Outstanding chunks only read their own copies; wait for them before the members go.
  for (auto &f : pending_)
    if (f.valid())
      f.wait();
}

void ChunkedDeflate::write(std::string_view data) {
  while (!data.empty()) {
    if (chunk_.capacity() < options_.chunkSize)
      chunk_.reserve(options_.chunkSize);
    size_t n = std::min(data.size(), options_.chunkSize - chunk_.size());
    chunk_.append(data.data(), n);
    data.remove_prefix(n);
    if (chunk_.size() == options_.chunkSize)
      submit(false);
  }
}

void ChunkedDeflate::finish() {
  submit(true);
  while (!pending_.empty())
    collectOldest();
}

ChunkedDeflate::Chunk ChunkedDeflate::compress(const std::string &input, int level, bool last) {
  Chunk chunk;
  chunk.crc = static_cast<uint32_t>(libdeflate_crc32(0, input.data(), input.size()));
  chunk.size = input.size();
  Compressor compressor = idleCompressors().take(level);
  chunk.compressed.resize(libdeflate_deflate_compress_bound(compressor.get(), input.size()));
  const size_t used = libdeflate_deflate_compress(compressor.get(), input.data(), input.size(),
                                                  chunk.compressed.data(), chunk.compressed.size());
  idleCompressors().give(level, std::move(compressor));
  if (used == 0)
    throw SpreadsheetError("The compressor failed.");
  chunk.compressed.resize(used);
  if (!last)
    continueDeflateStream(chunk.compressed);
  return chunk;
}

void ChunkedDeflate::submit(bool last) {
  std::string input = std::move(chunk_);
  chunk_ = std::string();
  const int level = options_.level;
  // The last chunk is compressed here while the others finish: a part that fits one chunk (most
  // parts of a package) starts no thread at all.
  if (last || threads_ == 1) {
    std::promise<Chunk> done;
    done.set_value(compress(input, level, last));
    pending_.push_back(done.get_future());
    if (threads_ == 1 && !last)
      collectOldest();
    return;
  }
  while (pending_.size() >= threads_)
    collectOldest();
  pending_.push_back(std::async(std::launch::async, [input = std::move(input), level] {
    return compress(input, level, false);
  }));
}

void ChunkedDeflate::collectOldest() {
  std::future<Chunk> f = std::move(pending_.front());
  pending_.pop_front();
  Chunk chunk = f.get();
  sink_(chunk.compressed);
  crc_ = static_cast<uint32_t>(crc32_combine(crc_, chunk.crc, static_cast<z_off_t>(chunk.size)));
  size_ += chunk.size;
}

} // namespace brevant
