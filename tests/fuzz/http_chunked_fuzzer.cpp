// Decodes arbitrary bytes as a chunked body in place, in a buffer of exactly the received size,
// and checks the decoded length against an independent reading of the chunk sizes, and that
// leading zeros before the first chunk size change nothing.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "http/chunked_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
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
