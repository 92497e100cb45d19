#pragma once
// Turns a complete raw deflate stream into the front part of a longer one. A whole-buffer
// compressor always ends its output with a block marked final; to join independently compressed
// pieces, every piece but the last must instead end with a block that is not final and stop on a
// byte boundary, as a sync flush leaves it. `continueDeflateStream` walks the stream's blocks to
// find where the final block starts and where it ends, clears its final mark, cuts the padding
// after it and appends an empty stored block (three zero bits, padding, 00 00 FF FF).
// The walk decodes Huffman codes but copies no data: it costs a small part of the compression.

#include <string>

namespace brevant {

// Throws SpreadsheetError when `stream` is not one complete raw deflate stream.
void continueDeflateStream(std::string &stream);

} // namespace brevant
