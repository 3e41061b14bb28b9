#include "tools/demo-directory/demo_wire.h"

#include <zlib.h>

#include "tools/demo-directory/gbk_text.h"

namespace {

constexpr int kGzipWindowBits = 15 + 16;
constexpr int kMemoryLevel = 8;

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

std::string Gzip(const std::string& text) {
    z_stream stream{};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, kGzipWindowBits, kMemoryLevel,
                     Z_DEFAULT_STRATEGY) != Z_OK)
        return text;
    std::string packed(deflateBound(&stream, text.size()), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    stream.avail_in = static_cast<uInt>(text.size());
    stream.next_out = reinterpret_cast<Bytef*>(packed.data());
    stream.avail_out = static_cast<uInt>(packed.size());
    deflate(&stream, Z_FINISH);
    packed.resize(stream.total_out);
    deflateEnd(&stream);
    return packed;
}

// The page text with its links and its charset as sent, before any compression.
std::string WireText(const DemoWireOptions& options, const std::string& gbkPage) {
    std::string text = gbkPage;
    if (options.https) {
        ReplaceAll(text, "href=\"http://", "href=\"https://");
        ReplaceAll(text, "src=\"http://", "src=\"https://");
    }
    if (options.utf8) {
        text = GbkToUtf8(text).value_or(text);
        ReplaceAll(text, "charset=gbk", "charset=utf-8");
    }
    return text;
}

}  // namespace

DemoWireBody ToWire(const DemoWireOptions& options, const std::string& gbkPage) {
    DemoWireBody wire;
    wire.body = WireText(options, gbkPage);
    wire.contentType = options.utf8 ? "text/html; charset=utf-8" : "text/html; charset=gbk";
    if (options.gzip) {
        wire.body = Gzip(wire.body);
        wire.contentEncoding = "gzip";
    }
    return wire;
}

std::size_t WireCutOffset(const DemoWireOptions& options, const std::string& gbkPage, std::size_t gbkCut) {
    if (options.gzip) return ToWire(options, gbkPage).body.size() / 2;
    return WireText(options, gbkPage.substr(0, gbkCut)).size();
}

std::string HttpsRules(std::string rules) {
    ReplaceAll(rules, "http://", "https://");
    return rules;
}
