#include "http/request_builder.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

// Which addresses the client requests: http and https URLs, read as the URL standard reads them,
// whose text holds no control byte.
TEST(RequestUrlTest, HttpAndHttpsUrlsWithoutControlBytes) {
    const struct {
        std::string url;
        const char* host;
        int port;
        const char* path;
    } taken[] = {
        {"http://host:8080/a/b.html", "host", 8080, "/a/b.html"},
        {"http://abcd/x", "abcd", 80, "/x"},
        {"http://a:80/x", "a", 80, "/x"},
        {"http://abcde", "abcde", 80, "/"},
        {"http://ab:99/", "ab", 99, "/"},
        {"http:///path/to/page", "path", 80, "/to/page"},
        {"https://secure.test/login", "secure.test", 443, "/login"},
        {"HTTPS://secure.test:8443/", "secure.test", 8443, "/"},
        {"http://host.test:/", "host.test", 80, "/"},
        {"http://[::1]:8080/a", "[::1]", 8080, "/a"},
        {"http://host.test/%0D%0A \x80\xff", "host.test", 80, "/%0D%0A%20%80%FF"},
    };
    for (const auto& row : taken) {
        const std::optional<Url> url = ParseRequestUrl(row.url);
        ASSERT_TRUE(url) << row.url;
        EXPECT_EQ(url->Host(), row.host) << row.url;
        EXPECT_EQ(url->Port(), row.port) << row.url;
        EXPECT_EQ(url->Path(), row.path) << row.url;
    }
    for (const std::string& refused : std::vector<std::string>{
             "", "host.test", "http:/", "http://", "/x", "x//host.test/a", "ftp://host.test/",
             "httpsx://host.test/", "mailto:sales@host.test", "http://host.test:81abc/",
             "http://host.test:8:9/", "http://host.test:65616/", "http://host.test/a\r\nHost: evil",
             "http://ho\tst.test/", "http://host.test/\x7f", std::string("http://host.test/a\0b", 20)}) {
        EXPECT_FALSE(ParseRequestUrl(refused)) << refused;
    }
}

TEST(RequestBuilderTest, HostOnlyUrlsRequestTheRoot) {
    for (const std::string& url : std::vector<std::string>{"http://host.test", "http://host.test/"}) {
        std::string request;
        std::optional<Url> parts;
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
        std::optional<Url> parts;
        ASSERT_TRUE(BuildRequest(hostCase.url, "", false, request, parts));
        EXPECT_NE(request.find(std::string("\r\nHost: ") + hostCase.host + "\r\n\r\n"), std::string::npos)
            << hostCase.url << "\n"
            << request;
    }
}

TEST(RequestBuilderTest, CookieLineFollowsTheHostLine) {
    std::string get, post;
    std::optional<Url> parts;
    ASSERT_TRUE(BuildRequest("http://host.test/a", "", false, get, parts, "a=1; b=2"));
    ASSERT_TRUE(BuildRequest("http://host.test/a", "k=v", true, post, parts, "a=1"));
    EXPECT_NE(get.find("\r\nHost: host.test\r\nCookie: a=1; b=2\r\n\r\n"), std::string::npos) << get;
    EXPECT_NE(post.find("\r\nHost: host.test\r\nCookie: a=1\r\nContent-Type: "), std::string::npos) << post;
}

TEST(RequestBuilderTest, QueryStringCarriesEitherThePathOrTheWholeUrl) {
    std::string direct;
    std::string proxied;
    std::optional<Url> parts;
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
    std::optional<Url> parts;
    const std::string form = "k=\xc9\xfa\xb2\xfa&x=";  // GBK bytes count one by one
    ASSERT_TRUE(BuildRequest("http://host.test/s", form, false, request, parts));
    EXPECT_EQ(request.substr(0, 21), "POST /s HTTP/1.1\r\nAcc");
    const std::string tail = "\r\nContent-Length: 9\r\n\r\n" + form;
    ASSERT_GT(request.size(), tail.size());
    EXPECT_EQ(request.substr(request.size() - tail.size()), tail);
}

}  // namespace
