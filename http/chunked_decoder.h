#pragma once

#include <cstddef>

// Undoes chunked transfer coding in place. The body holds `available` received bytes; decoding
// never reads or writes beyond them. Result 0 with the decoded length, or -1 when the body is
// cut short: a size line without line end, or a chunk that claims more bytes than arrived.
// Chunk sizes may carry leading zeros; the last chunk is the first one of size zero.
int DecodeChunked(char* body, std::size_t available, std::size_t& decodedLength);
