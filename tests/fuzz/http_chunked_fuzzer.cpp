// Decodes arbitrary bytes as a chunked body in place, in a buffer of exactly the received size,
// and checks that a decoded body's first size line is hex digits with at most blanks and a ";"
// extension beside them, and that leading zeros before the first chunk size change nothing. The
// body's end, followed byte by byte as it would arrive, is never reported before a decodable body
// is in; a complete body decodes alone to what the whole input decodes to, and a body reported as
// unreadable never decodes.
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "http/chunked_decoder.h"

namespace {

bool IsBlankByte(char c) {
    return c == ' ' || c == '\t';
}

// RFC 9112 §7.1 chunk-size [ chunk-ext ], with blanks allowed before the size.
bool IsSizeLine(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::size_t at = 0;
    while (at < line.size() && IsBlankByte(line[at])) ++at;
    const std::size_t digits = at;
    while (at < line.size() && std::isxdigit(static_cast<unsigned char>(line[at]))) ++at;
    if (at == digits) return false;
    while (at < line.size() && IsBlankByte(line[at])) ++at;
    return at == line.size() || (line[at] == ';' && line.find('\r') == std::string_view::npos);
}

int Decode(std::string_view bytes, std::string& decoded) {
    std::vector<char> copy(bytes.begin(), bytes.end());
    std::size_t length = 0;
    const int result = DecodeChunked(copy.data(), copy.size(), length);
    decoded.assign(copy.data(), result == 0 ? length : 0);
    return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ChunkedBodyEnd end;
    const std::string_view received(reinterpret_cast<const char*>(data), size);
    std::string whole;
    const int wholeResult = Decode(received, whole);
    for (std::size_t arrived = 0; arrived <= size; ++arrived) {
        if (!end.Reached(received.substr(0, arrived))) continue;
        std::string prefix;
        const int prefixResult = Decode(received.substr(0, arrived), prefix);
        if (prefixResult == kChunkedCutShort) std::abort();
        if (end.Length() == std::string_view::npos) {
            if (prefixResult == 0 || wholeResult == 0) std::abort();
        } else {
            std::string complete;
            if (end.Length() > arrived || Decode(received.substr(0, end.Length()), complete) != 0 ||
                wholeResult != 0 || complete != whole) {
                std::abort();
            }
        }
        break;
    }

    if (wholeResult != 0) return 0;
    if (!IsSizeLine(received.substr(0, received.find('\n')))) std::abort();
    if (whole.size() > size) std::abort();
    // A successful decode ends at a size line starting with "0", so some input was not data.
    if (size > 0 && whole.size() == size) std::abort();

    std::string padded;
    if (size > 0 && std::isxdigit(data[0]) &&
        (Decode("00" + std::string(received), padded) != 0 || padded != whole)) {
        std::abort();
    }
    return 0;
}
