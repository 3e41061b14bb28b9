#include "http/set_cookie_parser.h"

#include <algorithm>
#include <limits>

#include "http/cookie_date.h"
#include "http/cookie_request.h"
#include "http/response_parser.h"
#include "http/url_split.h"

namespace {

constexpr char kTab = '\t';

bool IsWhitespace(char c) {
    return c == ' ' || c == kTab;
}

// WSP = SP / HTAB, removed from both ends.
std::string_view TrimWhitespace(std::string_view text) {
    while (!text.empty() && IsWhitespace(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsWhitespace(text.back())) text.remove_suffix(1);
    return text;
}

// Control bytes other than the tab, which a cookie line may never hold (RFC 6265bis section 5.6).
bool HoldsControlByteBesidesTab(std::string_view text) {
    for (const char c : text) {
        if (c != kTab && HoldsControlByte(std::string_view(&c, 1))) return true;
    }
    return false;
}

// 5.2.2: a first character that is a DIGIT or "-", then DIGITs only. Values beyond any lifetime
// worth keeping are capped instead of overflowing.
std::optional<std::int64_t> MaxAgeSeconds(std::string_view value) {
    constexpr std::int64_t kLongest = std::numeric_limits<std::int64_t>::max() / 10 - 10;
    const bool negative = !value.empty() && value.front() == '-';
    std::string_view digits = negative ? value.substr(1) : value;
    if (digits.empty()) return std::nullopt;
    std::int64_t seconds = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        seconds = std::min(seconds * 10 + (c - '0'), kLongest);
    }
    return negative ? -seconds : seconds;
}

// Step 6 of the attribute loop: one cookie-av by its name, without regard to case.
void ProcessAttribute(std::string_view name, std::string_view value, SetCookie& cookie) {
    // Longer values are dropped as the successor of RFC 6265 drops them (section 5.6 of 6265bis).
    if (value.size() > kLongestCookieAttribute) return;
    if (SameTextIgnoringCase(name, "Expires")) {
        // 5.2.1: a value that is no cookie date is ignored.
        if (const std::optional<std::int64_t> expiry = ParseCookieDate(value)) cookie.expires = expiry;
    } else if (SameTextIgnoringCase(name, "Max-Age")) {
        if (const std::optional<std::int64_t> seconds = MaxAgeSeconds(value)) cookie.maxAge = seconds;
    } else if (SameTextIgnoringCase(name, "Domain")) {
        // 5.2.3: an empty value is ignored; one leading "." is dropped; lower case.
        if (value.empty()) return;
        if (value.front() == '.') value.remove_prefix(1);
        cookie.domain = CanonicalizedHost(value);
    } else if (SameTextIgnoringCase(name, "Path")) {
        // 5.2.4: a value that is empty or does not start with "/" asks for the default path.
        cookie.path = !value.empty() && value.front() == '/' ? std::string(value) : std::string();
    } else if (SameTextIgnoringCase(name, "Secure")) {
        cookie.secure = true;  // 5.2.5
    } else if (SameTextIgnoringCase(name, "HttpOnly")) {
        cookie.httpOnly = true;  // 5.2.6
    } else if (SameTextIgnoringCase(name, "SameSite")) {
        cookie.sameSite = std::string(value);
    }
}

}  // namespace

std::optional<SetCookie> ParseSetCookie(std::string_view line) {
    if (HoldsControlByteBesidesTab(line)) return std::nullopt;
    // 1. The name-value-pair runs up to the first ";", the unparsed-attributes from it on.
    const std::size_t semicolon = line.find(';');
    const std::string_view nameValuePair = line.substr(0, semicolon);
    std::string_view unparsedAttributes =
        semicolon == std::string_view::npos ? std::string_view() : line.substr(semicolon);
    // 2. A name-value-pair without "=" is ignored entirely.
    const std::size_t equals = nameValuePair.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    // 3. and 4. The name before the first "=", the value after it, each without WSP at its ends.
    const std::string_view name = TrimWhitespace(nameValuePair.substr(0, equals));
    const std::string_view value = TrimWhitespace(nameValuePair.substr(equals + 1));
    // 5. An empty name is ignored entirely; so is a tab inside the name or value, which is no
    // character of a cookie, and a cookie longer than the limit.
    if (name.empty() || name.find(kTab) != std::string_view::npos ||
        value.find(kTab) != std::string_view::npos || name.size() + value.size() > kLongestCookie) {
        return std::nullopt;
    }
    // 6. The cookie-name and cookie-value.
    SetCookie cookie;
    cookie.name = name;
    cookie.value = value;

    // The attributes: while unparsed-attributes is not empty, drop its first character (the
    // ";") and take the cookie-av up to the next ";".
    while (!unparsedAttributes.empty()) {
        unparsedAttributes.remove_prefix(1);
        const std::size_t next = unparsedAttributes.find(';');
        const std::string_view cookieAv = unparsedAttributes.substr(0, next);
        unparsedAttributes =
            next == std::string_view::npos ? std::string_view() : unparsedAttributes.substr(next);
        // 4. The attribute-name before the first "=", the attribute-value after it (empty
        // without "="); 5. each without WSP at its ends.
        const std::size_t attributeEquals = cookieAv.find('=');
        const std::string_view attributeName = TrimWhitespace(cookieAv.substr(0, attributeEquals));
        const std::string_view attributeValue = attributeEquals == std::string_view::npos
                                                    ? std::string_view()
                                                    : TrimWhitespace(cookieAv.substr(attributeEquals + 1));
        // 6. Process the attribute.
        ProcessAttribute(attributeName, attributeValue, cookie);
    }
    return cookie;
}
