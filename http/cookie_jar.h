#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "http/cookie_request.h"

// The cookies of one search (or of one harvio-cli run), stored as RFC 6265 section 5.3 stores
// them and sent back as section 5.4 sends them. They live in memory only and end with the jar.
// The clients of a search share one jar; every operation is safe from any thread.
class CookieJar {
public:
    // The time in seconds since 1970 (UTC); tests set their own.
    using Clock = std::function<std::int64_t()>;

    // The least that RFC 6265 section 6.1 asks a user agent to keep.
    static constexpr std::size_t kCookiesPerDomain = 50;
    static constexpr std::size_t kCookiesInAll = 3000;

    explicit CookieJar(Clock clock = {});

    // Takes the cookie of one Set-Cookie value received in answer to the request; a cookie that
    // has expired deletes the one it replaces. False when the cookie is ignored.
    bool Store(std::string_view setCookie, const CookieRequest& request);
    // The value of the Cookie header for the request; empty when no cookie applies.
    std::string CookieHeader(const CookieRequest& request);
    std::size_t Count() const;

private:
    struct Cookie {
        std::string name;
        std::string value;
        std::int64_t expiry = 0;
        std::string domain;
        std::string path;
        std::uint64_t creation = 0;  // order of creation, kept when a cookie is replaced
        std::uint64_t lastAccess = 0;
        bool hostOnly = false;
        bool secureOnly = false;
    };

    std::int64_t Now() const;
    void EvictExpired(std::int64_t now);
    void EvictOverLimits(const std::string& domain);

    Clock clock;
    mutable std::mutex mutex;
    std::vector<Cookie> cookies;
    std::uint64_t tick = 0;  // creation and access order, finer than the clock's seconds
};
