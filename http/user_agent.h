#pragma once

#include <string>
#include <string_view>

// What every request names as its User-Agent: a desktop browser of today, which sites answer
// with their ordinary pages, unless the user sets another text at start-up (the userAgent of
// harvio.ini, or --user-agent). One value for the whole process; safe to read from any thread.
inline constexpr std::string_view kDefaultUserAgent =
    "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/131.0.0.0 "
    "Safari/537.36";

// False, and the value unchanged, when the text is empty or holds a control byte (a line end
// would forge header lines).
bool SetUserAgent(std::string_view text);
// Back to kDefaultUserAgent.
void ResetUserAgent();
std::string CurrentUserAgent();
