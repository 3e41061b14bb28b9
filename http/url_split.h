#pragma once

#include <string>
#include <string_view>

// Where a URL points: the host (without port; an IPv6 literal keeps its brackets), the port and
// the path (without its leading "/"). An "https://" URL is fetched over TLS; any other scheme as
// plain HTTP.
struct UrlParts {
    std::string host;
    int port = 0;
    std::string path;
    bool secure = false;
};

constexpr int kDefaultHttpPort = 80;
constexpr int kDefaultHttpsPort = 443;

// Where the host part of the URL starts: two bytes after its first "/", past the "//" of
// "http://". npos when the URL has no "/" or nothing after it.
std::size_t HostPartStart(std::string_view url);

// False when the URL cannot be split: no "/", nothing after the "//", a host part (port
// included) under 5 bytes, or a control byte anywhere, which could forge request lines.
bool SplitUrl(std::string_view url, UrlParts& parts);

// Whether the text holds a byte below 0x20 or DEL.
bool HoldsControlByte(std::string_view text);

// The leading decimal digits of the text as a TCP port: only the low 16 bits count, so
// overlong numbers wrap instead of overflowing. 0 when the text starts with no digit.
int LeadingPortNumber(std::string_view text);
