#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// A cookie's Expires value read by the date algorithm of RFC 6265 section 5.1.1, which accepts
// every date form servers send ("Sun, 06 Nov 1994 08:49:37 GMT", "Sunday, 06-Nov-94 08:49:37
// GMT", "Sun Nov  6 08:49:37 1994" and their many variants). Seconds since 1970-01-01 00:00:00
// UTC; none when the text is no cookie date.
std::optional<std::int64_t> ParseCookieDate(std::string_view text);
