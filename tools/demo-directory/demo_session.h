#pragma once

#include <atomic>
#include <cstdint>
#include <string>

// The session cookie that the demo directory may require (--require-cookie), as many directory
// sites do: a request without a valid session is redirected to its own address with a new
// session in a Set-Cookie, so that a client without cookies loops until it gives up. The cookie
// covers every host of the site (Domain=demo-b2b.test, Path=/). The n-th session handed out is
// the same for the same seed; a session is valid when its signature fits its number, so the
// server keeps nothing per client.
class DemoSession {
public:
    static constexpr const char* kCookieName = "demo_session";

    explicit DemoSession(uint64_t seed) : seed(seed) {}

    // The Set-Cookie value of a new session; Secure when the site is served over HTTPS.
    std::string NewSessionCookie(bool secure);
    // Whether the request's Cookie header value carries a session this server handed out.
    bool Carries(const std::string& cookieHeader) const;

private:
    std::string Signature(uint64_t number) const;

    uint64_t seed;
    std::atomic<uint64_t> sessionsHandedOut{0};
};
