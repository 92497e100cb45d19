#pragma once
// The numbers callers of the database layer compare with: object states, the long-data field
// attribute and the client-side cursor location. They keep the values of the data-access layer
// that report definitions were first written for.

namespace brevant {

constexpr int adStateClosed = 0;
constexpr int adStateOpen = 1;

// Field::Attributes bit: long text or binary data, read with GetChunk.
constexpr int adFldLong = 0x80;

constexpr int adUseServer = 2;
constexpr int adUseClient = 3;

// The size callers read long fields in.
constexpr long kChunkSize = 16384;

} // namespace brevant
