#pragma once

#include <cstddef>
#include <string_view>

constexpr int kChunkedCutShort = -1;
constexpr int kChunkSizeOverflow = -2;

// Undoes chunked transfer coding in place. The body holds `available` received bytes; decoding
// never reads or writes beyond them. Result 0 with the decoded length; kChunkedCutShort when the
// body is cut short (a size line without line end, or a chunk that claims more bytes than
// arrived); kChunkSizeOverflow when a chunk size does not fit in a size_t.
// Chunk sizes may carry leading zeros; the last chunk is the first one of size zero. Size lines
// and the line end after a chunk's data end in CR LF or a bare LF.
int DecodeChunked(char* body, std::size_t available, std::size_t& decodedLength);

// Follows a chunked body as it arrives, so that reading stops once its last chunk and the blank
// line after its trailers are in, even when the server keeps the connection open.
class ChunkedBodyEnd {
public:
    // `received` is the body so far; it only ever grows between calls. True once the body is
    // complete, or once it can never be read (an overflowing size), so that reading stops.
    bool Reached(std::string_view received);

private:
    std::size_t next_ = 0;  // the start of the next size line or trailer line not yet passed
    bool inTrailer_ = false;
};
