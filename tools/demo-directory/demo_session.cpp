#include "tools/demo-directory/demo_session.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "tools/demo-directory/demo_faults.h"
#include "tools/demo-directory/demo_site_map.h"

std::string DemoSession::Signature(uint64_t number) const {
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx",
                  static_cast<unsigned long long>(SeededHash(seed, "session " + std::to_string(number))));
    return hex;
}

std::string DemoSession::NewSessionCookie(bool secure) {
    const uint64_t number = ++sessionsHandedOut;
    std::string cookie = std::string(kCookieName) + "=" + std::to_string(number) + "." + Signature(number) +
                         "; Domain=" + demo_site::kDomain + "; Path=/; HttpOnly; SameSite=Lax";
    if (secure) cookie += "; Secure";
    return cookie;
}

bool DemoSession::Carries(const std::string& cookieHeader) const {
    const std::string key = std::string(kCookieName) + "=";
    // The pairs of a Cookie header are separated by "; ".
    for (std::size_t start = 0; start < cookieHeader.size();) {
        std::size_t end = cookieHeader.find(';', start);
        if (end == std::string::npos) end = cookieHeader.size();
        std::string_view pair(cookieHeader.data() + start, end - start);
        while (!pair.empty() && pair.front() == ' ') pair.remove_prefix(1);
        start = end + 1;
        if (pair.substr(0, key.size()) != key) continue;
        const std::string_view session = pair.substr(key.size());
        const std::size_t dot = session.find('.');
        if (dot == std::string_view::npos || dot == 0) continue;
        const std::string number(session.substr(0, dot));
        const unsigned long long value = std::strtoull(number.c_str(), nullptr, 10);
        if (std::to_string(value) == number && session.substr(dot + 1) == Signature(value)) return true;
    }
    return false;
}
