// Feeds raw bytes to the response reader as a server could send them: header block, status,
// header table, framing, redirect target, chunked body and codings. Checks that the body start
// stays inside the response and is found the same when the bytes arrive one at a time, that de-
// chunking never grows the body, that undoing the codings stays within its limit, that a
// transfer coding leaves no length behind, and that a head with bare LF line ends reads as the
// same head written with CR LF. A head taken as a response holds no NUL, starts with "HTTP/1.",
// a digit and a blank, and gives a table of token names and values without blanks around them
// or line ends in them (Set-Cookie lines aside, which are kept apart by line feeds).
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "http/body_codings.h"
#include "http/chunked_decoder.h"
#include "http/resolve_link.h"
#include "http/response_parser.h"

namespace {

std::string_view FaultText(const ParsedResponse& parsed) {
    return parsed.framingFault != nullptr ? parsed.framingFault : "";
}

bool IsBlankByte(char c) {
    return c == ' ' || c == '\t';
}

bool HoldsTableFault(const HeaderTable& headers) {
    for (const auto& [name, value] : headers) {
        if (name.empty() || name.find_first_of(" \t:\r\n") != std::string::npos) return true;
        if (!value.empty() && (IsBlankByte(value.front()) || IsBlankByte(value.back()))) return true;
        const bool cookies = SameTextIgnoringCase(name, "Set-Cookie");
        if (value.find_first_of(cookies ? "\r" : "\r\n") != std::string::npos) return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view response(reinterpret_cast<const char*>(data), size);
    ParsedResponse parsed;
    if (!ParseResponse(response, parsed)) return 0;
    if (parsed.bodyStart > size) std::abort();
    ResponseHeadEnd headEnd;
    for (std::size_t arrived = 0; arrived < parsed.bodyStart; ++arrived) {
        if (headEnd.Find(response.substr(0, arrived)) != std::string_view::npos) std::abort();
    }
    if (headEnd.Find(response) != parsed.bodyStart) std::abort();

    const std::string_view head = response.substr(0, parsed.bodyStart);
    if (head.find('\r') == std::string_view::npos) {
        std::string withCrLf;
        for (const char c : head) c == '\n' ? withCrLf.append("\r\n") : withCrLf.append(1, c);
        ParsedResponse same;
        if (!ParseResponse(withCrLf, same) || same.bodyStart != withCrLf.size() ||
            same.statusCode != parsed.statusCode || same.headers != parsed.headers ||
            FaultText(same) != FaultText(parsed) || same.location != parsed.location ||
            same.contentLength != parsed.contentLength || same.contentCodings != parsed.contentCodings ||
            same.transferCodings != parsed.transferCodings) {
            std::abort();
        }
    }

    if (!parsed.location.empty()) {
        std::string target = parsed.location;
        ResolveLink(target, "http://dir.test/list/page.html?p=1");
    }
    if (parsed.framingFault) return 0;
    if (head.find('\0') != std::string_view::npos || head.substr(0, 7) != "HTTP/1." || head.size() < 9 ||
        !std::isdigit(static_cast<unsigned char>(head[7])) || !IsBlankByte(head[8]) ||
        parsed.statusCode > 999 || HoldsTableFault(parsed.headers)) {
        std::abort();
    }
    if ((parsed.chunked || !parsed.transferCodings.empty()) && parsed.contentLength) std::abort();
    // An exact-size copy, so that any read past the received bytes is caught.
    std::vector<char> body(response.begin() + static_cast<std::ptrdiff_t>(parsed.bodyStart), response.end());
    std::size_t decoded = body.size();
    if (parsed.chunked) {
        if (DecodeChunked(body.data(), body.size(), decoded) != 0) return 0;
        if (decoded > body.size()) std::abort();
    }
    constexpr std::size_t kDecodedLimit = 1 << 20;
    std::string page(body.data(), decoded);
    std::string failed;
    for (const auto* codings : {&parsed.transferCodings, &parsed.contentCodings}) {
        if (UndoCodings(*codings, page, kDecodedLimit, failed) != ContentDecodeResult::Decoded) break;
    }
    if (page.size() > std::max(kDecodedLimit, decoded)) std::abort();
    return 0;
}
