// Decodes arbitrary bytes as a chunked body in place, in a buffer of exactly the received size,
// and checks the decoded length against an independent reading of the chunk sizes, and that
// leading zeros before the first chunk size change nothing. The body's end, followed byte by byte as
// it would arrive, is never reported before a decodable body is in.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "http/chunked_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ChunkedBodyEnd end;
    const std::string_view received(reinterpret_cast<const char*>(data), size);
    for (std::size_t arrived = 0; arrived <= size; ++arrived) {
        if (!end.Reached(received.substr(0, arrived))) continue;
        std::vector<char> prefix(data, data + arrived);
        std::size_t prefixDecoded = 0;
        if (DecodeChunked(prefix.data(), prefix.size(), prefixDecoded) == kChunkedCutShort) std::abort();
        break;
    }

    std::vector<char> body(data, data + size);
    std::size_t decoded = 0;
    if (DecodeChunked(body.data(), body.size(), decoded) != 0) return 0;
    if (decoded > size) std::abort();
    // A successful decode ends at a size line starting with "0", so some input was not data.
    if (size > 0 && decoded == size) std::abort();

    std::vector<char> padded = {'0', '0'};
    padded.insert(padded.end(), data, data + size);
    std::size_t paddedDecoded = 0;
    if (size > 0 && std::isxdigit(data[0]) &&
        (DecodeChunked(padded.data(), padded.size(), paddedDecoded) != 0 || paddedDecoded != decoded ||
         !std::equal(body.begin(), body.begin() + static_cast<std::ptrdiff_t>(decoded), padded.begin()))) {
        std::abort();
    }
    return 0;
}
