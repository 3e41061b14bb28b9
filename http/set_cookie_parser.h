#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// One Set-Cookie header value as RFC 6265 section 5.2 reads it. An attribute named twice keeps
// its last value that was not ignored; unknown attributes are dropped.
struct SetCookie {
    std::string name;
    std::string value;
    std::optional<std::int64_t> expires;  // Expires, in seconds since 1970 (UTC)
    std::optional<std::int64_t> maxAge;   // Max-Age in seconds; 0 or less expires the cookie at once
    std::optional<std::string> domain;    // Domain without a leading ".", in lower case
    std::optional<std::string> path;      // Path; empty when its value asks for the default path
    bool secure = false;
    bool httpOnly = false;
    // SameSite is kept as sent: every request of this client is a top-level one of its own.
    std::optional<std::string> sameSite;
};

// The most a cookie's name and value may hold together (the 4096 bytes per cookie that RFC 6265
// section 6.1 asks every user agent to take), and the most an attribute's value may hold.
inline constexpr std::size_t kLongestCookie = 4096;
inline constexpr std::size_t kLongestCookieAttribute = 1024;

// None when the line is to be ignored entirely: no "=" in its name-value pair, an empty name, a
// control byte anywhere (a tab inside the name or value included), or a name and value together
// longer than kLongestCookie.
std::optional<SetCookie> ParseSetCookie(std::string_view line);
