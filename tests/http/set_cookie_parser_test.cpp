#include "http/set_cookie_parser.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The parsed cookie as one line of text, so that a table row states it at a glance.
std::string Described(const std::optional<SetCookie>& cookie) {
    if (!cookie) return "(ignored)";
    std::string text = cookie->name + "=" + cookie->value;
    if (cookie->expires) text += " expires=" + std::to_string(*cookie->expires);
    if (cookie->maxAge) text += " max-age=" + std::to_string(*cookie->maxAge);
    if (cookie->domain) text += " domain=" + *cookie->domain;
    if (cookie->path) text += " path=" + *cookie->path;
    if (cookie->secure) text += " secure";
    if (cookie->httpOnly) text += " httponly";
    if (cookie->sameSite) text += " samesite=" + *cookie->sameSite;
    return text;
}

// RFC 6265 section 5.2 and its attribute sections 5.2.1 to 5.2.6.
TEST(SetCookieParserTest, LinesReadAsTheSetCookieAlgorithmReadsThem) {
    const struct {
        std::string line;
        std::string parsed;
    } cases[] = {
        // 5.2 the name-value-pair: up to the first ";", split at the first "=", WSP trimmed.
        {"SID=31d4d96e407aad42", "SID=31d4d96e407aad42"},
        {" \tfoo = bar \t", "foo=bar"},
        {"foo=", "foo="},
        {"foo=bar=baz; a=b", "foo=bar=baz"},
        {"foo=\"quoted value\"", "foo=\"quoted value\""},
        {"foo=\xC9\xFA\xB2\xFA", "foo=\xC9\xFA\xB2\xFA"},
        {"foo", "(ignored)"},
        {"foo;bar=1", "(ignored)"},
        {"=bar", "(ignored)"},
        {" \t=bar", "(ignored)"},
        {"", "(ignored)"},
        // Control characters are never part of a cookie.
        {std::string("foo=b\0ar", 8), "(ignored)"},
        {"foo=bar\x7f", "(ignored)"},
        {"foo=bar; Path=/\x01", "(ignored)"},
        {"fo\to=bar", "(ignored)"},
        {"foo=b\tar", "(ignored)"},
        // The attributes, names without regard to case, empty ones and unknown ones dropped.
        {"SID=31d4d96e407aad42; Path=/; Domain=example.com",
         "SID=31d4d96e407aad42 domain=example.com path=/"},
        {"SID=31d4d96e407aad42; Path=/; Secure; HttpOnly", "SID=31d4d96e407aad42 path=/ secure httponly"},
        {"foo=bar;secure=no; HTTPONLY ;; =x; Version=1; ", "foo=bar secure httponly"},
        {"foo=bar; SameSite=Lax", "foo=bar samesite=Lax"},
        // 5.2.1 Expires: a cookie date, or the attribute is ignored.
        {"lang=en-US; Expires=Wed, 09 Jun 2021 10:18:14 GMT", "lang=en-US expires=1623233894"},
        {"foo=bar; expires=Sun, 06 Nov 1994 08:49:37 GMT", "foo=bar expires=784111777"},
        {"foo=bar; Expires=tomorrow", "foo=bar"},
        // 5.2.2 Max-Age: a DIGIT or "-" first, then DIGITs only.
        {"foo=bar; Max-Age=3600", "foo=bar max-age=3600"},
        {"foo=bar; Max-Age=0", "foo=bar max-age=0"},
        {"foo=bar; Max-Age=-1", "foo=bar max-age=-1"},
        {"foo=bar; Max-Age=+1", "foo=bar"},
        {"foo=bar; Max-Age=1.5", "foo=bar"},
        {"foo=bar; Max-Age=-", "foo=bar"},
        {"foo=bar; Max-Age=", "foo=bar"},
        {"foo=bar; Max-Age=99999999999999999999999", "foo=bar max-age=922337203685477570"},
        // 5.2.3 Domain: an empty value ignored, one leading "." dropped, lower case.
        {"foo=bar; Domain=.Example.COM", "foo=bar domain=example.com"},
        {"foo=bar; Domain=..example.com", "foo=bar domain=.example.com"},
        {"foo=bar; Domain=", "foo=bar"},
        {"foo=bar; Domain=.", "foo=bar domain="},
        // 5.2.4 Path: a value not starting with "/" asks for the default path.
        {"foo=bar; Path=/docs/web", "foo=bar path=/docs/web"},
        {"foo=bar; Path=docs", "foo=bar path="},
        {"foo=bar; Path=", "foo=bar path="},
        // The last attribute of a name that was not ignored counts.
        {"foo=bar; Max-Age=10; Max-Age=20", "foo=bar max-age=20"},
        {"foo=bar; Max-Age=10; Max-Age=x", "foo=bar max-age=10"},
        {"foo=bar; Domain=a.example; Domain=", "foo=bar domain=a.example"},
        {"foo=bar; Path=/a; Path=b", "foo=bar path="},
    };
    for (const auto& setCookie : cases) {
        EXPECT_EQ(Described(ParseSetCookie(setCookie.line)), setCookie.parsed)
            << '"' << setCookie.line << '"';
    }
}

TEST(SetCookieParserTest, CookiesAndAttributesBeyondTheirLimitsAreDropped) {
    const std::string name = "n";
    const std::string fitting(kLongestCookie - name.size(), 'v');
    EXPECT_TRUE(ParseSetCookie(name + "=" + fitting));
    EXPECT_FALSE(ParseSetCookie(name + "=" + fitting + "v"));
    const std::string path = "/" + std::string(kLongestCookieAttribute - 1, 'p');
    EXPECT_EQ(ParseSetCookie("a=1; Path=" + path)->path, path);
    EXPECT_FALSE(ParseSetCookie("a=1; Path=" + path + "p")->path);
}

}  // namespace
