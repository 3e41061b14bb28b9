#include "http/chunked_decoder.h"

#include <cstring>
#include <limits>
#include <string_view>

namespace {

constexpr char kLineFeed = '\n';
constexpr std::string_view kLineEnd = "\r\n";
constexpr unsigned kHexBits = 4;

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

struct ChunkSize {
    std::size_t size = 0;
    bool digits = false;    // whether the line held a number at all
    bool overflow = false;  // the number does not fit
};

// The hex number at the start of the size line (blanks skipped, ended by any other byte such as
// the ";" of a chunk extension or the CR of the line end; leading zeros allowed).
ChunkSize ReadChunkSize(std::string_view sizeLine) {
    constexpr std::size_t kLargestShiftable = std::numeric_limits<std::size_t>::max() >> kHexBits;
    std::size_t at = 0;
    while (at < sizeLine.size() && (sizeLine[at] == ' ' || sizeLine[at] == '\t')) ++at;
    ChunkSize chunk;
    for (; at < sizeLine.size(); ++at) {
        const int digit = HexDigitValue(sizeLine[at]);
        if (digit < 0) break;
        chunk.digits = true;
        if (chunk.size > kLargestShiftable) {
            chunk.overflow = true;
            break;
        }
        chunk.size = (chunk.size << kHexBits) | static_cast<std::size_t>(digit);
    }
    return chunk;
}

}  // namespace

int DecodeChunked(char* body, std::size_t available, std::size_t& decodedLength) {
    const std::string_view received(body, available);
    std::size_t read = 0;
    std::size_t write = 0;
    // The last chunk is the first size line whose number is zero ("0", "000"); trailer lines
    // after it are ignored, and so is a missing line end after it.
    for (;;) {
        if (read >= available) return kChunkedCutShort;
        const std::size_t lineEnd = received.find(kLineFeed, read);
        const std::size_t dataStart = lineEnd == std::string_view::npos ? available : lineEnd + 1;
        const ChunkSize chunk = ReadChunkSize(received.substr(read, lineEnd - read));
        if (chunk.overflow) return kChunkSizeOverflow;
        if (chunk.digits && chunk.size == 0) break;
        if (lineEnd == std::string_view::npos || chunk.size > available - dataStart) return kChunkedCutShort;
        std::memmove(body + write, body + dataStart, chunk.size);
        write += chunk.size;
        read = dataStart + chunk.size;
        // The data ends in a bare LF or, as always before, in two bytes taken for CR LF.
        read += read < available && received[read] == kLineFeed ? 1 : kLineEnd.size();
        if (read > available) return kChunkedCutShort;  // the line end closing the chunk never arrived
    }
    decodedLength = write;
    return 0;
}

bool ChunkedBodyEnd::Reached(std::string_view received) {
    for (;;) {
        const std::size_t lineEnd = received.find(kLineFeed, next_);
        if (lineEnd == std::string_view::npos) return false;
        if (inTrailer_) {
            const std::string_view line = received.substr(next_, lineEnd - next_);
            if (line.empty() || line == "\r") return true;
            next_ = lineEnd + 1;
            continue;
        }
        const ChunkSize chunk = ReadChunkSize(received.substr(next_, lineEnd - next_));
        if (chunk.overflow) return true;
        const std::size_t dataStart = lineEnd + 1;
        if (chunk.digits && chunk.size == 0) {
            inTrailer_ = true;
            next_ = dataStart;
            continue;
        }
        // The line end after the data decides how far the chunk reaches: wait until it is in.
        if (chunk.size >= received.size() - dataStart) return false;
        const std::size_t dataEnd = dataStart + chunk.size;
        const std::size_t after = received[dataEnd] == kLineFeed ? 1 : kLineEnd.size();
        if (after > received.size() - dataEnd) return false;
        next_ = dataEnd + after;
    }
}
