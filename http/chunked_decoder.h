#pragma once

#include <cstddef>
#include <string_view>

constexpr int kChunkedCutShort = -1;
constexpr int kChunkSizeOverflow = -2;
constexpr int kChunkedMalformed = -3;

// Undoes chunked transfer coding in place. The body holds `available` received bytes; decoding
// never reads or writes beyond them. Result 0 with the decoded length; kChunkedCutShort when the
// body is cut short (a size line without line end, or a chunk that claims more bytes than
// arrived); kChunkSizeOverflow when a chunk size does not fit in a size_t; kChunkedMalformed when
// a size line is not hex digits with optional ";" extensions, or chunk data is not followed by a
// line end.
// Chunk sizes may carry leading zeros and blanks; the last chunk is the first one of size zero.
// Size lines and the line end after a chunk's data end in CR LF or a bare LF.
int DecodeChunked(char* body, std::size_t available, std::size_t& decodedLength);

// Follows a chunked body as it arrives, so that reading stops once its last chunk and the blank
// line after its trailers are in, even when the server keeps the connection open. Each byte is
// looked at once, however the body is split into reads.
class ChunkedBodyEnd {
public:
    // `received` is the body so far; it only ever grows between calls. True once the body is
    // complete, or once it can never be read (a malformed or overflowing size line, data without
    // its line end), so that reading stops.
    bool Reached(std::string_view received);
    // The length of the complete body, trailers included; npos when it is not complete.
    std::size_t Length() const { return length_; }

private:
    enum class Part { kSizeLine, kData, kTrailer, kEnd };
    Part part_ = Part::kSizeLine;
    std::size_t lineStart_ = 0;   // the start of the size or trailer line under way
    std::size_t searchFrom_ = 0;  // where the search for that line's end goes on
    std::size_t dataEnd_ = 0;     // the end of the chunk's data; npos when it can never arrive
    std::size_t length_ = std::string_view::npos;
};
