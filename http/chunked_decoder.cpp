#include "http/chunked_decoder.h"

#include <cstring>
#include <string_view>

namespace {

constexpr std::string_view kLineEnd = "\r\n";

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The hex number at the start of the size line (blanks skipped, ended by any other byte such as
// the ";" of a chunk extension; leading zeros allowed). Saturates at `limit + 1`, so a size like
// 2^64 cannot wrap around to a small one. `digits` tells whether the line held a number at all.
std::size_t ChunkSize(std::string_view sizeLine, std::size_t limit, bool& digits) {
    std::size_t at = 0;
    while (at < sizeLine.size() && (sizeLine[at] == ' ' || sizeLine[at] == '\t')) ++at;
    std::size_t size = 0;
    digits = false;
    for (; at < sizeLine.size(); ++at) {
        const int digit = HexDigitValue(sizeLine[at]);
        if (digit < 0) break;
        digits = true;
        if (size > limit) continue;
        size = size * 16 + static_cast<std::size_t>(digit);
    }
    return size > limit ? limit + 1 : size;
}

}  // namespace

int DecodeChunked(char* body, std::size_t available, std::size_t& decodedLength) {
    const std::string_view received(body, available);
    std::size_t read = 0;
    std::size_t write = 0;
    // The last chunk is the first size line whose number is zero ("0", "000"); trailer lines
    // after it are ignored, and so is a missing line end after it.
    for (;;) {
        if (read >= available) return -1;
        const std::size_t lineEnd = received.find(kLineEnd, read);
        const std::size_t dataStart =
            lineEnd == std::string_view::npos ? available : lineEnd + kLineEnd.size();
        bool digits = false;
        const std::size_t size =
            ChunkSize(received.substr(read, lineEnd - read), available - dataStart, digits);
        if (digits && size == 0) break;
        if (lineEnd == std::string_view::npos || size > available - dataStart) return -1;
        std::memmove(body + write, body + dataStart, size);
        write += size;
        read = dataStart + size + kLineEnd.size();
        if (read > available) return -1;  // the line end closing the chunk never arrived
    }
    decodedLength = write;
    return 0;
}
