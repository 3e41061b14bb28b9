#include "http/cookie_jar.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "http/public_suffix.h"

namespace {

constexpr std::int64_t kStart = 1700000000;

// One step of a jar's life: a Set-Cookie value received for a URL, a Cookie header expected for
// a URL, or the clock moving on.
struct Step {
    enum Kind { kSet, kSends, kWait } kind;
    std::string url;
    std::string text;
    std::int64_t seconds = 0;
};

Step Set(std::string url, std::string setCookie) {
    return {Step::kSet, std::move(url), std::move(setCookie)};
}
Step Sends(std::string url, std::string cookieHeader) {
    return {Step::kSends, std::move(url), std::move(cookieHeader)};
}
Step Wait(std::int64_t seconds) {
    return {Step::kWait, "", "", seconds};
}

struct Scenario {
    const char* what;
    std::vector<Step> steps;
};

void Play(const Scenario& scenario) {
    SCOPED_TRACE(scenario.what);
    std::int64_t now = kStart;
    CookieJar jar([&now] { return now; });
    for (const Step& step : scenario.steps) {
        if (step.kind == Step::kWait) {
            now += step.seconds;
            continue;
        }
        const std::optional<CookieRequest> request = CookieRequestFor(step.url);
        ASSERT_TRUE(request) << step.url;
        if (step.kind == Step::kSet) {
            jar.Store(step.text, *request);
        } else {
            EXPECT_EQ(jar.CookieHeader(*request), step.text) << step.url;
        }
    }
}

// RFC 6265 sections 5.1.3 (domain matching), 5.3 steps 4 to 6 (Domain, host-only cookies and
// public suffixes) and 5.4 step 1 (which cookies a request carries).
TEST(CookieJarTest, DomainsAndHostOnlyCookies) {
    const Scenario scenarios[] = {
        {"without Domain only the host itself",
         {Set("http://example.com/", "a=1"), Sends("http://example.com/", "a=1"),
          Sends("http://www.example.com/", ""), Sends("http://EXAMPLE.com/", "a=1")}},
        {"Domain covers the domain and every host under it",
         {Set("http://www.example.com/", "a=1; Domain=example.com"), Sends("http://example.com/", "a=1"),
          Sends("http://img.www.example.com/", "a=1"), Sends("http://notexample.com/", ""),
          Sends("http://example.com.cn/", "")}},
        {"Domain with a leading dot and in upper case",
         {Set("http://WWW.Example.com/", "a=1; Domain=.EXAMPLE.com"),
          Sends("http://img.example.com/", "a=1")}},
        {"Domain the host does not domain-match is refused",
         {Set("http://www.example.com/", "a=1; Domain=other.com"),
          Set("http://example.com/", "b=2; Domain=www.example.com"),
          Set("http://notexample.com/", "c=3; Domain=example.com"), Sends("http://other.com/", ""),
          Sends("http://www.example.com/", ""), Sends("http://example.com/", "")}},
        {"a public suffix is refused as Domain",
         {Set("http://www.example.com.cn/", "a=1; Domain=com.cn"),
          Set("http://a.github.io/", "b=2; Domain=github.io"),
          Set("http://www.example.com/", "c=3; Domain=com"), Sends("http://other.com.cn/", ""),
          Sends("http://www.example.com.cn/", ""), Sends("http://b.github.io/", ""),
          Sends("http://www.example.com/", "")}},
        {"a public suffix that is the host itself makes a host-only cookie",
         {Set("http://com.cn/", "a=1; Domain=com.cn"), Sends("http://com.cn/", "a=1"),
          Sends("http://x.com.cn/", "")}},
        {"a domain under an unlisted top-level domain is no public suffix, the domain itself is",
         {Set("http://s.demo-b2b.test/", "a=1; Domain=demo-b2b.test"),
          Set("http://s.demo-b2b.test/", "b=2; Domain=test"), Sends("http://company.demo-b2b.test/", "a=1"),
          Sends("http://other.test/", "")}},
        {"an IP address domain-matches only itself",
         {Set("http://127.0.0.1/", "a=1; Domain=0.0.1"), Set("http://127.0.0.1/", "b=2; Domain=127.0.0.1"),
          Set("http://[::1]/", "c=3"), Sends("http://127.0.0.1/", "b=2"), Sends("http://[::1]/", "c=3")}},
    };
    for (const Scenario& scenario : scenarios) Play(scenario);
    EXPECT_TRUE(IsPublicSuffix("com.cn"));
    EXPECT_FALSE(IsPublicSuffix("example.com.cn"));
}

// Sections 5.1.4 (default-path and path-match), 5.3 step 7 and 5.4 steps 1 and 2 (order).
TEST(CookieJarTest, PathsAndOrder) {
    const Scenario scenarios[] = {
        {"the default path is the directory of the request path",
         {Set("http://example.com/a/b/page.html?q=/x/y", "a=1"), Sends("http://example.com/a/b", "a=1"),
          Sends("http://example.com/a/b/", "a=1"), Sends("http://example.com/a/b/c/d", "a=1"),
          Sends("http://example.com/a/bc", ""), Sends("http://example.com/a", "")}},
        {"a request path with at most one \"/\" defaults to \"/\"",
         {Set("http://example.com/page.html", "a=1"), Set("http://example.com", "b=2"),
          Set("http://example.com/a/b", "c=3; Path=relative"),
          Sends("http://example.com/other", "a=1; b=2")}},
        {"path-match: identical, a prefix ending in \"/\", or one followed by \"/\"",
         {Set("http://example.com/", "a=1; Path=/docs/"), Set("http://example.com/", "b=2; Path=/docs"),
          Sends("http://example.com/docs", "b=2"), Sends("http://example.com/docs/web", "a=1; b=2"),
          Sends("http://example.com/docsets", ""), Sends("http://example.com/Docs/web", "")}},
        {"longer paths first, equal paths in the order of creation",
         {Set("http://example.com/", "z=1; Path=/"), Set("http://example.com/", "b=2; Path=/x/y"),
          Set("http://example.com/", "c=3; Path=/x"), Set("http://example.com/", "y=4; Path=/"),
          Sends("http://example.com/x/y/z", "b=2; c=3; z=1; y=4")}},
        {"a replaced cookie keeps its creation time",
         {Set("http://example.com/", "a=1"), Set("http://example.com/", "b=2"),
          Set("http://example.com/", "a=3"), Sends("http://example.com/", "a=3; b=2")}},
        {"the same name under another path or domain is another cookie",
         {Set("http://www.example.com/", "a=1; Path=/"), Set("http://www.example.com/", "a=2; Path=/x"),
          Set("http://www.example.com/", "a=3; Domain=example.com"),
          Sends("http://www.example.com/x", "a=2; a=1; a=3")}},
    };
    for (const Scenario& scenario : scenarios) Play(scenario);
}

// Sections 5.2.1, 5.2.2 and 5.3 step 3 (expiry), 5.2.5 and 5.4 step 1 (Secure).
TEST(CookieJarTest, ExpiryAndSecure) {
    const Scenario scenarios[] = {
        {"Max-Age counts from the time received",
         {Set("http://example.com/", "a=1; Max-Age=60"), Wait(59), Sends("http://example.com/", "a=1"),
          Wait(1), Sends("http://example.com/", "")}},
        {"Max-Age=0 or less deletes the cookie",
         {Set("http://example.com/", "a=1"), Set("http://example.com/", "b=2"),
          Set("http://example.com/", "a=; Max-Age=0"), Set("http://example.com/", "b=2; Max-Age=-1"),
          Sends("http://example.com/", "")}},
        {"Expires in the past deletes, in the future keeps",
         {Set("http://example.com/", "a=1"),
          Set("http://example.com/", "a=1; Expires=Sun, 06 Nov 1994 08:49:37 GMT"),
          Set("http://example.com/", "b=2; Expires=Fri, 01 Jan 2100 00:00:00 GMT"), Wait(3600 * 24 * 365),
          Sends("http://example.com/", "b=2")}},
        {"Max-Age wins over Expires, whatever their order",
         {Set("http://example.com/", "a=1; Max-Age=60; Expires=Sun, 06 Nov 1994 08:49:37 GMT"),
          Set("http://example.com/", "b=2; Expires=Fri, 01 Jan 2100 00:00:00 GMT; Max-Age=0"),
          Sends("http://example.com/", "a=1")}},
        {"a deletion reaches only the cookie of its own path",
         {Set("http://example.com/", "a=1; Path=/"), Set("http://example.com/", "a=2; Path=/x"),
          Set("http://example.com/x/y", "a=; Max-Age=0"), Sends("http://example.com/x/y", "a=1")}},
        {"a Secure cookie goes over https only",
         {Set("http://example.com/", "a=1; Secure"), Set("https://example.com/", "b=2; Secure; HttpOnly"),
          Sends("http://example.com/", ""), Sends("https://example.com/", "a=1; b=2")}},
    };
    for (const Scenario& scenario : scenarios) Play(scenario);
}

// Section 6.1's least numbers; section 5.3 evicts the cookies of an over-full domain first, then
// any, each time the one accessed longest ago.
TEST(CookieJarTest, LimitsEvictTheCookiesAccessedLongestAgo) {
    CookieJar jar;
    const CookieRequest only = *CookieRequestFor("http://example.com/only");
    const CookieRequest other = *CookieRequestFor("http://example.com/x");
    jar.Store("c0=0; Path=/only", only);
    for (int n = 1; n < 50; ++n) jar.Store("c" + std::to_string(n) + "=1; Path=/x", other);
    EXPECT_EQ(jar.CookieHeader(only), "c0=0");  // now the most recently accessed
    jar.Store("c50=1; Path=/x", other);
    EXPECT_EQ(jar.Count(), CookieJar::kCookiesPerDomain);
    EXPECT_EQ(jar.CookieHeader(only), "c0=0");
    EXPECT_EQ(jar.CookieHeader(other).find("c1="), std::string::npos);

    for (std::size_t domain = 1; jar.Count() < CookieJar::kCookiesInAll; ++domain) {
        const CookieRequest site = *CookieRequestFor("http://d" + std::to_string(domain) + ".example.org/");
        for (std::size_t n = 0; n < CookieJar::kCookiesPerDomain; ++n)
            jar.Store("c" + std::to_string(n) + "=1", site);
    }
    jar.Store("last=1", *CookieRequestFor("http://last.example.org/"));
    EXPECT_EQ(jar.Count(), CookieJar::kCookiesInAll);
    EXPECT_EQ(jar.CookieHeader(only), "") << "accessed longest ago of all, though its domain is not full";
    EXPECT_EQ(jar.CookieHeader(other).substr(0, 5), "c2=1;");
}

}  // namespace
