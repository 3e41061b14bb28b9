#pragma once

#include <ctime>
#include <optional>
#include <string_view>
#include <thread>  // the duration types; the full <chrono> cannot be compiled to GBK

// How long a Retry-After value asks to wait: a number of seconds, or an HTTP date (IMF-fixdate,
// RFC 850 or asctime form) counted from `now`; a date already past asks for no wait. None when
// the value is neither.
std::optional<std::chrono::seconds> ParseRetryAfter(std::string_view value, std::time_t now);
