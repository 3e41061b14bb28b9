// Decodes arbitrary bytes under each content coding with a small size limit: a decoded body never
// passes the limit, a body that cannot be decoded is left as it was, and the input itself packed
// with gzip and with raw deflate comes back whole.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "http/content_decoding.h"
#include "tests/http/support/compressed.h"

namespace {

constexpr const char* kCodings[] = {"gzip", "x-gzip", "deflate", "identity", "br"};
constexpr std::size_t kLimitStep = 4096;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const char* coding = kCodings[data[0] % std::size(kCodings)];
    const std::size_t limit = (data[1] % 16) * kLimitStep + 1;
    const std::string input(reinterpret_cast<const char*>(data) + 2, size - 2);

    std::string body = input;
    if (DecodeContentCoding(coding, body, limit) == ContentDecodeResult::Decoded) {
        if (body.size() > limit) std::abort();
    } else if (body != input) {
        std::abort();
    }

    for (auto [packedCoding, windowBits] : {std::pair{"gzip", kGzipWindowBits}, {"deflate", -kZlibWindowBits}, {"deflate", kZlibWindowBits}}) {
        std::string packed = Compressed(input, windowBits);
        const ContentDecodeResult result = DecodeContentCoding(packedCoding, packed, limit);
        const bool fits = input.size() <= limit;
        if (fits && (result != ContentDecodeResult::Decoded || packed != input)) std::abort();
        if (!fits && result != ContentDecodeResult::TooLarge) std::abort();
    }
    return 0;
}
