// Feeds raw bytes to the response reader as a server could send them: header block, status,
// header table, redirect target and chunked body. Checks that the body start stays inside the
// response, that decoding never grows the body, and that a head with bare LF line ends reads as
// the same head written with CR LF.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "http/chunked_decoder.h"
#include "http/resolve_link.h"
#include "http/response_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view response(reinterpret_cast<const char*>(data), size);
    ParsedResponse parsed;
    if (!ParseResponse(response, parsed)) return 0;
    if (parsed.bodyStart > size) std::abort();

    const std::string_view head = response.substr(0, parsed.bodyStart);
    if (head.find('\r') == std::string_view::npos) {
        std::string withCrLf;
        for (const char c : head) c == '\n' ? withCrLf.append("\r\n") : withCrLf.append(1, c);
        ParsedResponse same;
        if (!ParseResponse(withCrLf, same) || same.bodyStart != withCrLf.size() ||
            same.statusCode != parsed.statusCode || same.headers != parsed.headers) {
            std::abort();
        }
    }

    if (!parsed.location.empty()) {
        std::string target = parsed.location;
        ResolveLink(target, "http://dir.test/list/page.html?p=1");
    }
    if (parsed.chunked) {
        // An exact-size copy, so that any read past the received bytes is caught.
        std::vector<char> body(response.begin() + static_cast<std::ptrdiff_t>(parsed.bodyStart),
                               response.end());
        std::size_t decoded = 0;
        if (DecodeChunked(body.data(), body.size(), decoded) == 0 && decoded > body.size()) std::abort();
    }
    return 0;
}
