#pragma once

#include <cstddef>

constexpr int kChunkedCutShort = -1;
constexpr int kChunkSizeOverflow = -2;

// Undoes chunked transfer coding in place. The body holds `available` received bytes; decoding
// never reads or writes beyond them. Result 0 with the decoded length; kChunkedCutShort when the
// body is cut short (a size line without line end, or a chunk that claims more bytes than
// arrived); kChunkSizeOverflow when a chunk size does not fit in a size_t.
// Chunk sizes may carry leading zeros; the last chunk is the first one of size zero. Size lines
// and the line end after a chunk's data end in CR LF or a bare LF.
int DecodeChunked(char* body, std::size_t available, std::size_t& decodedLength);
