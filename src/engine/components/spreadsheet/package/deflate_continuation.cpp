#include "engine/components/spreadsheet/package/deflate_continuation.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "engine/components/spreadsheet/spreadsheet_error.h"

namespace brevant {

namespace {

static_assert(std::endian::native == std::endian::little, "the bit reader loads words as they lie");

[[noreturn]] void broken() {
  throw SpreadsheetError("The compressor produced a stream that cannot be joined.");
}

// Reads a deflate stream bit by bit, least significant bit first. Bits past the end read as
// zero; the walk checks the position against the end instead.
struct BitReader {
  const unsigned char *data;
  size_t size;
  size_t pos = 0; // in bits

  size_t end() const { return size * 8; }
  uint64_t peek() const { // at least 57 valid bits
    size_t byte = pos >> 3;
    uint64_t word = 0;
    if (byte + 8 <= size)
      std::memcpy(&word, data + byte, 8);
    else
      for (size_t i = 0; byte + i < size; ++i)
        word |= uint64_t(data[byte + i]) << (8 * i);
    return word >> (pos & 7);
  }
  uint32_t take(unsigned n) { // n <= 32
    uint32_t value = static_cast<uint32_t>(peek() & ((uint64_t(1) << n) - 1));
    pos += n;
    return value;
  }
};

constexpr std::array<uint8_t, 29> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<uint8_t, 30> kDistanceExtra = {0, 0, 0,  0,  1,  1,  2,  2,  3,  3,
                                                    4, 4, 5,  5,  6,  6,  7,  7,  8,  8,
                                                    9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
constexpr std::array<uint8_t, 19> kCodeLengthOrder = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                      11, 4,  12, 3, 13, 2, 14, 1, 15};

// The extra bits that follow a literal/length symbol.
uint8_t lengthExtra(unsigned symbol) {
  return symbol > 256 && symbol - 257 < kLengthExtra.size() ? kLengthExtra[symbol - 257] : 0;
}
uint8_t distanceExtra(unsigned symbol) {
  return symbol < kDistanceExtra.size() ? kDistanceExtra[symbol] : 0;
}

// A canonical Huffman code. The walk needs symbols, never the values of their extra bits, so a
// look-up skips a code together with the extra bits that follow it: codes up to kFastBits long
// are found in one table, longer ones (rare symbols) by counting codes length by length.
class Huffman {
public:
  static constexpr unsigned kFastBits = 11;
  static constexpr unsigned kMaxBits = 15;
  using ExtraBits = uint8_t (*)(unsigned symbol);

  void build(const uint8_t *lengths, unsigned count, ExtraBits extra = nullptr) {
    extra_ = extra;
    count_.fill(0);
    for (unsigned s = 0; s < count; ++s)
      ++count_[lengths[s]];
    count_[0] = 0;
    int left = 1;
    for (unsigned len = 1; len <= kMaxBits; ++len) {
      left = left * 2 - count_[len];
      if (left < 0)
        broken(); // more codes than the lengths allow
    }
    std::array<uint16_t, kMaxBits + 2> offset{};
    for (unsigned len = 1; len <= kMaxBits; ++len)
      offset[len + 1] = static_cast<uint16_t>(offset[len] + count_[len]);
    for (unsigned s = 0; s < count; ++s)
      if (lengths[s] != 0)
        symbols_[offset[lengths[s]]++] = static_cast<uint16_t>(s);

    fast_.fill(0);
    unsigned code = 0, index = 0;
    for (unsigned len = 1; len <= kFastBits; ++len) {
      for (unsigned i = 0; i < count_[len]; ++i, ++code, ++index) {
        unsigned reversed = 0;
        for (unsigned b = 0; b < len; ++b)
          reversed |= ((code >> b) & 1u) << (len - 1 - b);
        const unsigned symbol = symbols_[index];
        const uint32_t entry = symbol << 5 | (len + (extra ? extra(symbol) : 0));
        for (unsigned r = reversed; r < (1u << kFastBits); r += 1u << len)
          fast_[r] = entry;
      }
      code <<= 1;
    }
  }

  // The table entry for the code at the front of `bits`: the symbol shifted left by 5 above the
  // bits to skip; 0 for a code longer than kFastBits.
  uint32_t fastEntry(uint64_t bits) const { return fast_[bits & ((1u << kFastBits) - 1)]; }

  // The next symbol; the reader moves past its code and its extra bits.
  unsigned skip(BitReader &in) const {
    const uint64_t bits = in.peek();
    if (const uint32_t entry = fast_[bits & ((1u << kFastBits) - 1)]) {
      in.pos += entry & 31u;
      return entry >> 5;
    }
    int code = 0, first = 0, index = 0;
    for (unsigned len = 1; len <= kMaxBits; ++len) {
      code |= static_cast<int>((bits >> (len - 1)) & 1u);
      const int count = count_[len];
      if (code - count < first) {
        const unsigned symbol = symbols_[index + (code - first)];
        in.pos += len + (extra_ ? extra_(symbol) : 0);
        return symbol;
      }
      index += count;
      first = (first + count) << 1;
      code <<= 1;
    }
    broken(); // a code the table does not hold
  }

private:
  ExtraBits extra_ = nullptr;
  std::array<uint16_t, kMaxBits + 1> count_{};
  std::array<uint16_t, 320> symbols_{};
  std::array<uint32_t, 1u << kFastBits> fast_{};
};

// Skips a block's coded symbols up to and including its end-of-block code. Literals and
// matches alternate unpredictably, so the common case takes no branch on which one came: the
// distance code after a symbol is looked up either way and counted only after a length.
void skipSymbols(BitReader &in, const Huffman &literals, const Huffman &distances) {
  while (true) {
    if (in.pos > in.end())
      broken();
    const uint64_t bits = in.peek();
    const uint32_t entry = literals.fastEntry(bits);
    const unsigned symbol = entry >> 5;
    const unsigned used = entry & 31u;
    const uint32_t distance = distances.fastEntry(bits >> used);
    const bool length = symbol > 256;
    if ((entry == 0) | (symbol == 256) | (symbol > 285) | (length & (distance == 0))) [[unlikely]] {
      // A long code, the block's end, a length with a long distance code, or a bad symbol.
      const unsigned slow = literals.skip(in);
      if (slow == 256)
        return;
      if (slow > 285)
        broken();
      if (slow > 256)
        distances.skip(in);
      continue;
    }
    in.pos += used + (length ? (distance & 31u) : 0u);
  }
}

struct FixedCodes {
  Huffman literals, distances;
  FixedCodes() {
    std::array<uint8_t, 288> lengths{};
    for (unsigned s = 0; s < 288; ++s)
      lengths[s] = s < 144 ? 8 : s < 256 ? 9 : s < 280 ? 7 : 8;
    literals.build(lengths.data(), 288, lengthExtra);
    lengths.fill(5);
    distances.build(lengths.data(), 30, distanceExtra);
  }
};

void skipDynamicBlock(BitReader &in) {
  const unsigned literalCount = in.take(5) + 257;
  const unsigned distanceCount = in.take(5) + 1;
  const unsigned codeLengthCount = in.take(4) + 4;
  if (literalCount > 286 || distanceCount > 30)
    broken();
  std::array<uint8_t, 19> codeLengths{};
  for (unsigned i = 0; i < codeLengthCount; ++i)
    codeLengths[kCodeLengthOrder[i]] = static_cast<uint8_t>(in.take(3));
  Huffman lengthCode;
  lengthCode.build(codeLengths.data(), 19);

  std::array<uint8_t, 316> lengths{};
  const unsigned total = literalCount + distanceCount;
  for (unsigned n = 0; n < total;) {
    if (in.pos > in.end())
      broken();
    const unsigned symbol = lengthCode.skip(in);
    if (symbol < 16) {
      lengths[n++] = static_cast<uint8_t>(symbol);
      continue;
    }
    uint8_t value = 0;
    unsigned repeat = 0;
    if (symbol == 16) {
      if (n == 0)
        broken();
      value = lengths[n - 1];
      repeat = 3 + in.take(2);
    } else if (symbol == 17) {
      repeat = 3 + in.take(3);
    } else {
      repeat = 11 + in.take(7);
    }
    if (n + repeat > total)
      broken();
    for (; repeat > 0; --repeat)
      lengths[n++] = value;
  }
  if (lengths[256] == 0)
    broken(); // no end-of-block code
  Huffman literals, distances;
  literals.build(lengths.data(), literalCount, lengthExtra);
  distances.build(lengths.data() + literalCount, distanceCount, distanceExtra);
  skipSymbols(in, literals, distances);
}

} // namespace

void continueDeflateStream(std::string &stream) {
  static const FixedCodes fixed;
  BitReader in{reinterpret_cast<const unsigned char *>(stream.data()), stream.size()};
  size_t finalStart = 0;
  while (true) {
    const size_t start = in.pos;
    const bool final = in.take(1) != 0;
    switch (in.take(2)) {
    case 0: { // stored: aligned length, its complement, the bytes
      in.pos = (in.pos + 7) & ~size_t(7);
      const uint32_t length = in.take(16);
      if (in.take(16) != (~length & 0xffffu))
        broken();
      in.pos += size_t(length) * 8;
      break;
    }
    case 1:
      skipSymbols(in, fixed.literals, fixed.distances);
      break;
    case 2:
      skipDynamicBlock(in);
      break;
    default:
      broken();
    }
    if (in.pos > in.end())
      broken();
    if (final) {
      finalStart = start;
      break;
    }
  }
  const size_t end = in.pos;
  if ((end + 7) / 8 != stream.size())
    broken(); // something after the final block

  auto *bytes = reinterpret_cast<unsigned char *>(stream.data());
  bytes[finalStart / 8] &= static_cast<unsigned char>(~(1u << (finalStart % 8)));
  if (end % 8 != 0)
    bytes[end / 8] &= static_cast<unsigned char>((1u << (end % 8)) - 1);
  // The empty stored block: a zero final bit and type, zero padding, then LEN 0 and NLEN ~0.
  stream.resize((end + 3 + 7) / 8, '\0');
  stream.append("\x00\x00\xff\xff", 4);
}

} // namespace brevant
