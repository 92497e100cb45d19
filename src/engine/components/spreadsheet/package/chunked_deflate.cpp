#include "engine/components/spreadsheet/package/chunked_deflate.h"

#include <zlib.h>

#include <algorithm>
#include <thread>

#include "engine/components/spreadsheet/spreadsheet_error.h"

namespace brevant {

namespace {

constexpr size_t kWindow = 32768;             // how far back deflate looks
constexpr size_t kMaxPiece = size_t(1) << 30; // what one zlib call is given
constexpr size_t kSinkBuffer = size_t(1) << 18;

} // namespace

// A raw deflate stream (no zlib header: the zip entry is the container).
class DeflateStream {
public:
  explicit DeflateStream(int level) {
    if (deflateInit2(&zs_, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
      throw SpreadsheetError("The compressor could not be started.");
  }
  ~DeflateStream() { deflateEnd(&zs_); }
  DeflateStream(const DeflateStream &) = delete;
  DeflateStream &operator=(const DeflateStream &) = delete;

  void prime(std::string_view dictionary) {
    if (!dictionary.empty() &&
        deflateSetDictionary(&zs_, reinterpret_cast<const Bytef *>(dictionary.data()),
                             static_cast<uInt>(dictionary.size())) != Z_OK)
      throw SpreadsheetError("The compressor could not be started.");
  }

  // Compresses `data` (at most kMaxPiece bytes) with `flush`, passing the output on in pieces.
  void toSink(std::string_view data, int flush, const ChunkedDeflate::Sink &sink) {
    buffer_.resize(kSinkBuffer);
    zs_.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.data()));
    zs_.avail_in = static_cast<uInt>(data.size());
    do {
      zs_.next_out = reinterpret_cast<Bytef *>(buffer_.data());
      zs_.avail_out = static_cast<uInt>(buffer_.size());
      run(flush);
      sink(std::string_view(buffer_.data(), buffer_.size() - zs_.avail_out));
    } while (zs_.avail_out == 0);
  }

  // Compresses `data` (at most kMaxPiece bytes) with `flush` into a string.
  std::string toString(std::string_view data, int flush) {
    std::string out(deflateBound(&zs_, static_cast<uLong>(data.size())) + 64, '\0');
    zs_.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.data()));
    zs_.avail_in = static_cast<uInt>(data.size());
    zs_.next_out = reinterpret_cast<Bytef *>(out.data());
    zs_.avail_out = static_cast<uInt>(out.size());
    while (true) {
      run(flush);
      if (zs_.avail_out != 0)
        break;
      size_t used = out.size();
      out.resize(used * 2);
      zs_.next_out = reinterpret_cast<Bytef *>(out.data() + used);
      zs_.avail_out = static_cast<uInt>(out.size() - used);
    }
    out.resize(out.size() - zs_.avail_out);
    return out;
  }

private:
  // Z_BUF_ERROR only says that a call could make no progress: the loops above call again or stop.
  void run(int flush) {
    if (deflate(&zs_, flush) == Z_STREAM_ERROR)
      throw SpreadsheetError("The compressor failed.");
  }

  z_stream zs_{};
  std::string buffer_;
};

ChunkedDeflate::ChunkedDeflate(const CompressionOptions &options, Sink sink)
    : options_(options), sink_(std::move(sink)) {
  threads_ =
      options_.threads ? options_.threads : std::max(1u, std::thread::hardware_concurrency());
  options_.chunkSize = std::clamp<size_t>(options_.chunkSize, 1, kMaxPiece);
  crc_ = static_cast<uint32_t>(crc32(0, nullptr, 0));
  if (threads_ == 1)
    serial_ = std::make_unique<DeflateStream>(options_.level);
}

ChunkedDeflate::~ChunkedDeflate() {
  // Outstanding chunks only read their own copies; wait for them before the members go.
  for (auto &f : pending_)
    if (f.valid())
      f.wait();
}

void ChunkedDeflate::write(std::string_view data) {
  if (serial_) {
    while (!data.empty()) {
      std::string_view piece = data.substr(0, kMaxPiece);
      crc_ = static_cast<uint32_t>(
          crc32_z(crc_, reinterpret_cast<const Bytef *>(piece.data()), piece.size()));
      size_ += piece.size();
      serial_->toSink(piece, Z_NO_FLUSH, sink_);
      data.remove_prefix(piece.size());
    }
    return;
  }
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
  if (serial_) {
    serial_->toSink({}, Z_FINISH, sink_);
    return;
  }
  submit(true);
  while (!pending_.empty())
    collectOldest();
}

ChunkedDeflate::Chunk ChunkedDeflate::compress(const std::string &input,
                                               const std::string &dictionary, int level,
                                               bool last) {
  Chunk chunk;
  chunk.crc = static_cast<uint32_t>(
      crc32_z(crc32(0, nullptr, 0), reinterpret_cast<const Bytef *>(input.data()), input.size()));
  chunk.size = input.size();
  DeflateStream stream(level);
  stream.prime(dictionary);
  // A sync flush ends the chunk's last block without marking it final and pads to a byte.
  chunk.compressed = stream.toString(input, last ? Z_FINISH : Z_SYNC_FLUSH);
  return chunk;
}

void ChunkedDeflate::submit(bool last) {
  std::string input = std::move(chunk_);
  chunk_ = std::string();
  std::string dictionary = window_;
  if (input.size() >= kWindow) {
    window_.assign(input, input.size() - kWindow, kWindow);
  } else {
    window_ += input;
    if (window_.size() > kWindow)
      window_.erase(0, window_.size() - kWindow);
  }
  int level = options_.level;
  // The last chunk is compressed here while the others finish: a part that fits one chunk (most
  // parts of a package) starts no thread at all.
  if (last) {
    std::promise<Chunk> done;
    done.set_value(compress(input, dictionary, level, true));
    pending_.push_back(done.get_future());
    return;
  }
  while (pending_.size() >= threads_)
    collectOldest();
  pending_.push_back(std::async(
      std::launch::async, [input = std::move(input), dictionary = std::move(dictionary), level,
                           last] { return compress(input, dictionary, level, last); }));
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
