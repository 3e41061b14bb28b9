#include "http/chunked_decoder.h"

#include <cstring>
#include <limits>

namespace {

constexpr char kLineFeed = '\n';
constexpr char kCarriageReturn = '\r';
constexpr char kExtensionStart = ';';
constexpr unsigned kHexBits = 4;
constexpr std::size_t kNoLineEnd = std::string_view::npos;

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

struct ChunkSize {
    std::size_t size = 0;
    bool digits = false;     // whether the line held a number at all
    bool overflow = false;   // the number does not fit
    bool malformed = false;  // the line is no size line, or cannot become one
    bool Last() const { return digits && size == 0 && !overflow && !malformed; }
};

// RFC 9112 §7.1: chunk-size [ chunk-ext ] CRLF, with chunk-size = 1*HEXDIG and chunk-ext =
// *( BWS ";" ... ). `line` is without its line feed; `complete` tells whether that has arrived.
// Blanks before the size are let through, as before. Extensions are passed over unread, but a
// CR inside the line is refused: it would end the line for other readers.
ChunkSize ReadChunkSize(std::string_view line, bool complete) {
    constexpr std::size_t kLargestShiftable = std::numeric_limits<std::size_t>::max() >> kHexBits;
    if (!line.empty() && line.back() == kCarriageReturn) line.remove_suffix(1);
    ChunkSize chunk;
    std::size_t at = 0;
    while (at < line.size() && IsBlank(line[at])) ++at;
    for (int digit = 0; at < line.size() && (digit = HexDigitValue(line[at])) >= 0; ++at) {
        chunk.digits = true;
        if (chunk.size > kLargestShiftable) {
            chunk.overflow = true;
            return chunk;
        }
        chunk.size = (chunk.size << kHexBits) | static_cast<std::size_t>(digit);
    }
    const bool digitsEnded = at < line.size() || complete;
    while (at < line.size() && IsBlank(line[at])) ++at;
    if (at < line.size() && line[at] == kExtensionStart) {
        chunk.malformed = !chunk.digits || line.find(kCarriageReturn, at) != std::string_view::npos;
    } else {
        chunk.malformed = at < line.size() || (digitsEnded && !chunk.digits);
    }
    return chunk;
}

// The length of the line end after a chunk's data at `at`: 0 while it has not all arrived,
// kNoLineEnd when the bytes there are no line end.
std::size_t DataLineEnd(std::string_view received, std::size_t at) {
    if (at == received.size()) return 0;
    if (received[at] == kLineFeed) return 1;
    if (received[at] != kCarriageReturn) return kNoLineEnd;
    if (at + 1 == received.size()) return 0;
    return received[at + 1] == kLineFeed ? 2 : kNoLineEnd;
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
        const bool complete = lineEnd != std::string_view::npos;
        const ChunkSize chunk = ReadChunkSize(received.substr(read, lineEnd - read), complete);
        if (chunk.overflow) return kChunkSizeOverflow;
        if (chunk.malformed) return kChunkedMalformed;
        if (chunk.Last()) break;
        const std::size_t dataStart = lineEnd + 1;
        if (!complete || chunk.size > available - dataStart) return kChunkedCutShort;
        std::memmove(body + write, body + dataStart, chunk.size);
        write += chunk.size;
        read = dataStart + chunk.size;
        const std::size_t after = DataLineEnd(received, read);
        if (after == 0) return kChunkedCutShort;
        if (after == kNoLineEnd) return kChunkedMalformed;
        read += after;
    }
    decodedLength = write;
    return 0;
}

bool ChunkedBodyEnd::Reached(std::string_view received) {
    while (part_ != Part::kEnd) {
        if (part_ == Part::kData) {
            if (dataEnd_ > received.size()) return false;
            const std::size_t after = DataLineEnd(received, dataEnd_);
            if (after == 0) return false;
            if (after == kNoLineEnd) {
                part_ = Part::kEnd;
                continue;
            }
            lineStart_ = searchFrom_ = dataEnd_ + after;
            part_ = Part::kSizeLine;
            continue;
        }
        const std::size_t lineEnd = received.find(kLineFeed, searchFrom_);
        if (lineEnd == std::string_view::npos) {
            searchFrom_ = received.size();
            return false;
        }
        const std::string_view line = received.substr(lineStart_, lineEnd - lineStart_);
        lineStart_ = searchFrom_ = lineEnd + 1;
        if (part_ == Part::kTrailer) {
            if (line.empty() || line == "\r") {
                length_ = lineStart_;
                part_ = Part::kEnd;
            }
            continue;
        }
        const ChunkSize chunk = ReadChunkSize(line, true);
        if (chunk.overflow || chunk.malformed) {
            part_ = Part::kEnd;
        } else if (chunk.Last()) {
            part_ = Part::kTrailer;
        } else {
            part_ = Part::kData;
            // A size beyond what memory could hold never arrives; the read then ends at the close.
            dataEnd_ = chunk.size > std::numeric_limits<std::size_t>::max() - lineStart_
                           ? std::string_view::npos
                           : lineStart_ + chunk.size;
        }
    }
    return true;
}
