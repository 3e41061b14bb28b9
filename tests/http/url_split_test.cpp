#include "http/url_split.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "http/request_builder.h"

namespace {

UrlParts Split(const std::string& url) {
    UrlParts parts;
    EXPECT_TRUE(SplitUrl(url, parts)) << url;
    return parts;
}

TEST(UrlSplitTest, HostPortAndPathAreSeparated) {
    const UrlParts parts = Split("http://host:8080/a/b.html");
    EXPECT_EQ(parts.host, "host");
    EXPECT_EQ(parts.port, 8080);
    EXPECT_EQ(parts.path, "a/b.html");

    const UrlParts plain = Split("http://china.directory.test/company/list?p=2&k=%C9%FA");
    EXPECT_EQ(plain.host, "china.directory.test");
    EXPECT_EQ(plain.port, 80);
    EXPECT_EQ(plain.path, "company/list?p=2&k=%C9%FA");
}

TEST(UrlSplitTest, HostPartOfFiveBytesIsTheShortestAccepted) {
    UrlParts parts;
    EXPECT_FALSE(SplitUrl("http://abcd/x", parts));
    EXPECT_FALSE(SplitUrl("http://a:80/x", parts));
    const UrlParts five = Split("http://abcde");
    EXPECT_EQ(five.host, "abcde");
    EXPECT_EQ(five.port, 80);
    EXPECT_EQ(five.path, "");
    EXPECT_EQ(Split("http://ab:99/").port, 99);
}

TEST(UrlSplitTest, UrlsWithoutSlashOrHostAreRefused) {
    UrlParts parts;
    for (const std::string& url :
         std::vector<std::string>{"", "host.test", "http:/", "http://", "/x", "http:///path/to/page"}) {
        EXPECT_FALSE(SplitUrl(url, parts)) << url;
    }
}

TEST(UrlSplitTest, HttpsIsSecureOnPort443AndOtherSchemesArePlainHttp) {
    const UrlParts parts = Split("https://secure.test/login");
    EXPECT_EQ(parts.host, "secure.test");
    EXPECT_EQ(parts.port, 443);
    EXPECT_TRUE(parts.secure);
    EXPECT_TRUE(Split("HTTPS://secure.test:8443/").secure);
    EXPECT_EQ(Split("HTTPS://secure.test:8443/").port, 8443);
    for (const char* plain :
         {"http://host.test/a", "x//host.test/a", "ftp://host.test/", "httpsx://host.test/"}) {
        EXPECT_FALSE(Split(plain).secure) << plain;
        EXPECT_EQ(Split(plain).port, 80) << plain;
    }
    EXPECT_EQ(Split("x//host.test/a").host, "host.test");
}

TEST(UrlSplitTest, BracketedIPv6LiteralsKeepTheirColons) {
    EXPECT_EQ(Split("http://[::1]:8080/a").host, "[::1]");
    EXPECT_EQ(Split("http://[::1]:8080/a").port, 8080);
    EXPECT_EQ(Split("https://[2001:db8::7]/").port, 443);
    EXPECT_EQ(Split("https://[2001:db8::7]/").host, "[2001:db8::7]");
}

TEST(UrlSplitTest, PortIsTheLeadingDigitsAfterTheFirstColon) {
    EXPECT_EQ(Split("http://host.test:81abc/").port, 81);
    EXPECT_EQ(Split("http://host.test:/").port, 0);
    EXPECT_EQ(Split("http://host.test:8:9/").port, 8);
    EXPECT_EQ(Split("http://host.test:8:9/").host, "host.test");
    EXPECT_EQ(Split("http://host.test:65616/").port, 80) << "only the low 16 bits count";
    EXPECT_EQ(Split("http://host.test:99999999999999999999999/").port,
              LeadingPortNumber("99999999999999999999999"));
}

TEST(UrlSplitTest, ControlBytesAnywhereAreRefused) {
    UrlParts parts;
    for (const std::string& url : std::vector<std::string>{
             "http://host.test/a\r\nHost: evil", "http://host.test/a\nb", "http://ho\tst.test/",
             "http://host.test/\x7f", std::string("http://host.test/a\0b", 20)}) {
        EXPECT_FALSE(SplitUrl(url, parts));
    }
    EXPECT_TRUE(SplitUrl("http://host.test/%0D%0A \x80\xff", parts)) << "escaped and high bytes are data";
}

TEST(LeadingPortNumberTest, KeepsOnlyTheLowSixteenBits) {
    EXPECT_EQ(LeadingPortNumber("8080"), 8080);
    EXPECT_EQ(LeadingPortNumber("65535"), 65535);
    EXPECT_EQ(LeadingPortNumber("65536"), 0);
    EXPECT_EQ(LeadingPortNumber("4294967376"), 80);  // 2^32 + 80
    EXPECT_EQ(LeadingPortNumber(""), 0);
    EXPECT_EQ(LeadingPortNumber(" 80"), 0);
    EXPECT_EQ(LeadingPortNumber("-80"), 0);
}

TEST(RequestBuilderTest, HostOnlyUrlsRequestTheRoot) {
    for (const std::string& url : std::vector<std::string>{"http://host.test", "http://host.test/"}) {
        std::string request;
        UrlParts parts;
        ASSERT_TRUE(BuildRequest(url, "", false, request, parts));
        EXPECT_EQ(request.substr(0, 16), "GET / HTTP/1.1\r\n") << url;
    }
}

// RFC 9110 section 7.2: Host carries the port unless it is the scheme's default.
TEST(RequestBuilderTest, HostLineCarriesAPortThatIsNotTheSchemesDefault) {
    const struct {
        const char* url;
        const char* host;
    } cases[] = {
        {"http://host.test/a", "host.test"},           {"http://host.test:80/a", "host.test"},
        {"http://host.test:8123/a", "host.test:8123"}, {"http://host.test:443/", "host.test:443"},
        {"https://host.test/", "host.test"},           {"https://host.test:443/", "host.test"},
        {"https://host.test:80/", "host.test:80"},     {"HTTPS://host.test:8443/", "host.test:8443"},
        {"http://[::1]:8080/", "[::1]:8080"},          {"http://[::1]/", "[::1]"},
    };
    for (const auto& hostCase : cases) {
        std::string request;
        UrlParts parts;
        ASSERT_TRUE(BuildRequest(hostCase.url, "", false, request, parts));
        EXPECT_NE(request.find(std::string("\r\nHost: ") + hostCase.host + "\r\n\r\n"), std::string::npos)
            << hostCase.url << "\n"
            << request;
    }
}

TEST(RequestBuilderTest, CookieLineFollowsTheHostLine) {
    std::string get, post;
    UrlParts parts;
    ASSERT_TRUE(BuildRequest("http://host.test/a", "", false, get, parts, "a=1; b=2"));
    ASSERT_TRUE(BuildRequest("http://host.test/a", "k=v", true, post, parts, "a=1"));
    EXPECT_NE(get.find("\r\nHost: host.test\r\nCookie: a=1; b=2\r\n\r\n"), std::string::npos) << get;
    EXPECT_NE(post.find("\r\nHost: host.test\r\nCookie: a=1\r\nContent-Type: "), std::string::npos) << post;
}

TEST(RequestBuilderTest, QueryStringCarriesEitherThePathOrTheWholeUrl) {
    std::string direct;
    std::string proxied;
    UrlParts parts;
    ASSERT_EQ(BuildQueryGetString("http://host.test/a?b=1", false, direct, parts), 0);
    ASSERT_EQ(BuildQueryGetString("http://host.test/a?b=1", true, proxied, parts), 0);
    EXPECT_EQ(direct.substr(0, 16), "a?b=1 HTTP/1.1\r\n");
    EXPECT_EQ(proxied.substr(0, 37), "GET http://host.test/a?b=1 HTTP/1.1\r\n");
    EXPECT_EQ(direct.substr(16), proxied.substr(37)) << "the header lines do not depend on the proxy";

    std::string untouched = "kept";
    EXPECT_EQ(BuildQueryGetString("nothing", false, untouched, parts), -1);
    EXPECT_EQ(untouched, "kept");
}

TEST(RequestBuilderTest, ContentLengthCountsBytesOfTheFormData) {
    std::string request;
    UrlParts parts;
    const std::string form = "k=\xc9\xfa\xb2\xfa&x=";  // GBK bytes count one by one
    ASSERT_TRUE(BuildRequest("http://host.test/s", form, false, request, parts));
    EXPECT_EQ(request.substr(0, 21), "POST /s HTTP/1.1\r\nAcc");
    const std::string tail = "\r\nContent-Length: 9\r\n\r\n" + form;
    ASSERT_GT(request.size(), tail.size());
    EXPECT_EQ(request.substr(request.size() - tail.size()), tail);
}

}  // namespace
