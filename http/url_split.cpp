#include "http/url_split.h"

#include "http/response_parser.h"

namespace {

// A host part shorter than this (e.g. "a.b") is taken for a broken URL.
constexpr std::size_t kShortestHostPart = 5;
constexpr unsigned kPortModulus = 0x10000;
constexpr unsigned char kDelete = 0x7F;
constexpr std::string_view kHttpsScheme = "https://";

}  // namespace

bool HoldsControlByte(std::string_view text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == kDelete) return true;
    }
    return false;
}

int LeadingPortNumber(std::string_view text) {
    unsigned port = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') break;
        port = (port * 10 + static_cast<unsigned>(c - '0')) % kPortModulus;
    }
    return static_cast<int>(port);
}

std::size_t HostPartStart(std::string_view url) {
    const std::size_t firstSlash = url.find('/');
    if (firstSlash == std::string_view::npos) return std::string_view::npos;
    const std::size_t hostStart = firstSlash + 2;
    return hostStart < url.size() ? hostStart : std::string_view::npos;
}

bool SplitUrl(std::string_view url, UrlParts& parts) {
    if (HoldsControlByte(url)) return false;
    const std::size_t hostStart = HostPartStart(url);
    if (hostStart == std::string_view::npos) return false;

    std::string_view hostPart;
    std::string_view path;
    const std::size_t pathSlash = url.find('/', hostStart);
    if (pathSlash == std::string_view::npos) {
        hostPart = url.substr(hostStart);
    } else {
        hostPart = url.substr(hostStart, pathSlash - hostStart);
        path = url.substr(pathSlash + 1);
    }
    if (hostPart.size() < kShortestHostPart) return false;

    parts.secure = url.size() >= kHttpsScheme.size() &&
                   SameTextIgnoringCase(url.substr(0, kHttpsScheme.size()), kHttpsScheme);
    // The port's colon comes after the closing bracket of an IPv6 literal.
    const std::size_t bracket = hostPart.front() == '[' ? hostPart.find(']') : std::string_view::npos;
    const std::size_t colon = hostPart.find(':', bracket == std::string_view::npos ? 0 : bracket);
    if (colon == std::string_view::npos) {
        parts.host.assign(hostPart);
        parts.port = parts.secure ? kDefaultHttpsPort : kDefaultHttpPort;
    } else {
        parts.host.assign(hostPart.substr(0, colon));
        parts.port = LeadingPortNumber(hostPart.substr(colon + 1));
    }
    parts.path.assign(path);
    return true;
}
