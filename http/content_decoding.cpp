#include "http/content_decoding.h"

#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <memory>

#include "http/ascii_text.h"

namespace {

// zlib's window-bits argument selects the wrapper it expects.
constexpr int kGzipWindowBits = 15 + 16;
constexpr int kZlibWindowBits = 15;
constexpr int kRawDeflateWindowBits = -15;
constexpr std::size_t kOutputStep = 64 * 1024;
constexpr unsigned char kGzipMagic[] = {0x1f, 0x8b};

std::string_view TrimBlanks(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

struct InflateStream {
    z_stream stream{};
    bool open = false;
    ~InflateStream() {
        if (open) inflateEnd(&stream);
    }
};

bool StartsGzipMember(const z_stream& stream) {
    return stream.avail_in >= sizeof kGzipMagic && stream.next_in[0] == kGzipMagic[0] &&
           stream.next_in[1] == kGzipMagic[1];
}

// Inflates `input` with the given wrapper into `output`, never past maxSize. Gzip bodies may hold
// several members one after another (as `cat a.gz b.gz` makes them); their texts are joined.
ContentDecodeResult Inflate(std::string_view input, int windowBits, std::string& output, std::size_t maxSize) {
    InflateStream inflater;
    if (inflateInit2(&inflater.stream, windowBits) != Z_OK) return ContentDecodeResult::Corrupt;
    inflater.open = true;
    z_stream& stream = inflater.stream;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));  // zlib does not write it
    stream.avail_in = static_cast<uInt>(input.size());
    output.clear();
    for (;;) {
        // One byte beyond the limit is allowed in, so that an output of exactly maxSize is told
        // apart from one that would go on growing.
        const std::size_t room = std::min(kOutputStep, maxSize + 1 - output.size());
        const std::size_t before = output.size();
        output.resize(before + room);
        stream.next_out = reinterpret_cast<Bytef*>(output.data() + before);
        stream.avail_out = static_cast<uInt>(room);
        const int status = inflate(&stream, Z_NO_FLUSH);
        output.resize(before + room - stream.avail_out);
        if (output.size() > maxSize) return ContentDecodeResult::TooLarge;
        if (status == Z_STREAM_END) {
            if (windowBits != kGzipWindowBits || !StartsGzipMember(stream)) return ContentDecodeResult::Decoded;
            if (inflateReset(&stream) != Z_OK) return ContentDecodeResult::Corrupt;
            continue;
        }
        if (status == Z_BUF_ERROR && stream.avail_in == 0) return ContentDecodeResult::Corrupt;  // cut short
        if (status != Z_OK && status != Z_BUF_ERROR) return ContentDecodeResult::Corrupt;
    }
}

// Servers label both zlib-wrapped and raw deflate data "deflate"; the zlib header tells them apart.
bool HasZlibHeader(std::string_view body) {
    if (body.size() < 2) return false;
    const auto cmf = static_cast<unsigned char>(body[0]);
    const auto flg = static_cast<unsigned char>(body[1]);
    constexpr unsigned kDeflateMethod = 8;
    return (cmf & 0x0f) == kDeflateMethod && ((cmf << 8) | flg) % 31 == 0;
}

}  // namespace

ContentDecodeResult DecodeContentCoding(std::string_view coding, std::string& body, std::size_t maxDecodedSize) {
    coding = TrimBlanks(coding);
    int windowBits = 0;
    if (EqualsNoCase(coding, "identity")) {
        return body.size() > maxDecodedSize ? ContentDecodeResult::TooLarge : ContentDecodeResult::Decoded;
    } else if (EqualsNoCase(coding, "gzip") || EqualsNoCase(coding, "x-gzip")) {
        windowBits = kGzipWindowBits;
    } else if (EqualsNoCase(coding, "deflate")) {
        windowBits = HasZlibHeader(body) ? kZlibWindowBits : kRawDeflateWindowBits;
    } else {
        return ContentDecodeResult::UnknownCoding;
    }
    if (body.empty()) return ContentDecodeResult::Decoded;  // redirects often label an empty body
    std::string decoded;
    ContentDecodeResult result = Inflate(body, windowBits, decoded, maxDecodedSize);
    // A raw stream can begin with two bytes that pass for a zlib header; it is tried raw as well.
    if (result == ContentDecodeResult::Corrupt && windowBits == kZlibWindowBits)
        result = Inflate(body, kRawDeflateWindowBits, decoded, maxDecodedSize);
    if (result == ContentDecodeResult::Decoded) body.swap(decoded);
    return result;
}
