// A complete deflate stream, once continued, must be followed by any other stream and the two
// inflate as one, whatever kinds of blocks the first one ends with. Anything that is not one
// complete stream is refused rather than joined into a damaged part.

#include <gtest/gtest.h>
#include <libdeflate.h>
#include <zlib.h>

#include <string>

#include "deflate_samples.h"
#include "engine/components/spreadsheet/package/deflate_continuation.h"
#include "engine/components/spreadsheet/spreadsheet_error.h"

namespace brevant {
namespace {

std::string withLibdeflate(const std::string &data, int level) {
  libdeflate_compressor *c = libdeflate_alloc_compressor(level);
  std::string out(libdeflate_deflate_compress_bound(c, data.size()), '\0');
  out.resize(libdeflate_deflate_compress(c, data.data(), data.size(), out.data(), out.size()));
  libdeflate_free_compressor(c);
  return out;
}

std::string withZlib(const std::string &data, int level) {
  z_stream zs{};
  deflateInit2(&zs, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&zs, data.size()), '\0');
  zs.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.data()));
  zs.avail_in = static_cast<uInt>(data.size());
  zs.next_out = reinterpret_cast<Bytef *>(out.data());
  zs.avail_out = static_cast<uInt>(out.size());
  deflate(&zs, Z_FINISH);
  out.resize(zs.total_out);
  deflateEnd(&zs);
  return out;
}

TEST(DeflateContinuation, AContinuedStreamJoinsTheNextOneWhateverItsLastBlockIs) {
  struct Case {
    const char *what;
    std::string data;
  };
  const std::vector<Case> cases = {
      {"empty", ""},
      {"one byte (a fixed-code block)", "x"},
      {"sheet text", sheetLikeText(300000)},
      {"incompressible (stored blocks)", randomBytes(200001, 3)},
      {"long runs", std::string(100000, 'a') + "b" + std::string(70000, 'a')},
      {"text then noise", sheetLikeText(50000) + randomBytes(70000, 5)},
  };
  const std::string next = sheetLikeText(5000) + "the end";
  for (int level : {0, 1, 4, 6, 12})
    for (const auto &c : cases) {
      SCOPED_TRACE(std::string(c.what) + ", libdeflate level " + std::to_string(level));
      std::string joined = withLibdeflate(c.data, level);
      continueDeflateStream(joined);
      EXPECT_EQ(joined.substr(joined.size() - 4), std::string("\x00\x00\xff\xff", 4));
      std::string three = joined + withLibdeflate(c.data, level);
      joined += withLibdeflate(next, level);
      EXPECT_EQ(inflated(joined), c.data + next);
      // Two pieces joined are one stream again, which continues like any other.
      continueDeflateStream(three);
      three += withLibdeflate(next, level);
      EXPECT_EQ(inflated(three), c.data + c.data + next);
    }
  // Streams from another compressor (zlib's fixed and dynamic blocks) continue as well.
  for (int level : {1, 9}) {
    std::string joined = withZlib("x", level);
    continueDeflateStream(joined);
    std::string second = withZlib(sheetLikeText(90000), level);
    continueDeflateStream(second);
    joined += second + withZlib("y", level);
    EXPECT_EQ(inflated(joined), "x" + sheetLikeText(90000) + "y");
  }
}

TEST(DeflateContinuation, WhatIsNotOneCompleteStreamIsRefused) {
  const std::string whole = withLibdeflate(sheetLikeText(100000), 6);
  std::string truncated = whole.substr(0, whole.size() / 2);
  EXPECT_THROW(continueDeflateStream(truncated), SpreadsheetError);
  std::string trailing = whole + "xyz";
  EXPECT_THROW(continueDeflateStream(trailing), SpreadsheetError);
  std::string reservedType("\x07", 1); // final block of type 3
  EXPECT_THROW(continueDeflateStream(reservedType), SpreadsheetError);
  std::string empty;
  EXPECT_THROW(continueDeflateStream(empty), SpreadsheetError);
  for (unsigned seed = 1; seed <= 200; ++seed) { // noise must end in a refusal, never a hang
    std::string noise = randomBytes(64 + seed, seed);
    try {
      continueDeflateStream(noise);
    } catch (const SpreadsheetError &) {
    }
  }
}

} // namespace
} // namespace brevant
