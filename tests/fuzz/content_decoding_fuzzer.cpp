// Decodes arbitrary bytes under each content coding with a small size limit: a decoded body never
// passes the limit, a body that cannot be decoded is left as it was, and the input itself packed
// with gzip and with raw deflate comes back whole.
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "http/content_decoding.h"

namespace {

constexpr const char* kCodings[] = {"gzip", "x-gzip", "deflate", "identity", "br"};
constexpr std::size_t kLimitStep = 4096;

std::string Packed(const std::string& text, int windowBits) {
    z_stream stream{};
    if (deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY) != Z_OK) std::abort();
    std::string out(deflateBound(&stream, text.size()), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    stream.avail_in = static_cast<uInt>(text.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    if (deflate(&stream, Z_FINISH) != Z_STREAM_END) std::abort();
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

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

    for (auto [packedCoding, windowBits] : {std::pair{"gzip", 15 + 16}, {"deflate", -15}, {"deflate", 15}}) {
        std::string packed = Packed(input, windowBits);
        const ContentDecodeResult result = DecodeContentCoding(packedCoding, packed, limit);
        const bool fits = input.size() <= limit;
        if (fits && (result != ContentDecodeResult::Decoded || packed != input)) std::abort();
        if (!fits && result != ContentDecodeResult::TooLarge) std::abort();
    }
    return 0;
}
