#include "http/request_target.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "http/connect_to_map.h"
#include "http/http_client.h"
#include "http/support/request_lines.h"
#include "support/scripted_server.h"

namespace {

using namespace std::chrono_literals;

struct TargetCase {
    std::string base;      // the page requested first, on dir.test
    std::string location;  // what its response names
    std::string sent;      // the request target of the request that follows
};

// The link table keeps its results; only fragments and dot segments leave what is sent, and
// bytes that may not stand raw are escaped.
const std::vector<TargetCase> kTargetCases = {
    {"/a/b.html", "/x.html", "/x.html"},
    {"/a/b/d.html", "../c.html", "/a/c.html"},
    {"/a/b/d.html", "../../c.html", "/c.html"},
    {"/list?p=1", "?p=2", "/list?p=2"},
    {"/list", "?p=2", "/list?p=2"},
    {"/a/b.html", "x.html", "/a/x.html"},
    {"/a/b.html", "./x.html", "/a/x.html"},
    {"/a/b.html", "#top", "/a/b.html"},
    {"/a/b.html", "http://dir.test/p?q=1", "/p?q=1"},
    {"/we/are/all/hello/m.html", "../moo.html/?name=d a niel", "/we/are/all/moo.html/?name=d%20a%20niel"},
    {"/a", "/\xd8\xa2.html?q=\xd8\xa2&r=\xc9\xfa", "/%D8%A2.html?q=%D8%A2&r=%C9%FA"},
    {"/a", "/moo.html#this should be ignored", "/moo.html"},
    {"/a", "/a/./b/../c", "/a/c"},
    {"/a", "/a/b/../../../c/.", "/c/"},
    {"/a/b/d.html", "../x/../y", "/a/y"},
    {"/a", "/p?a=../b/./c", "/p?a=../b/./c"},
    {"/a", "/\"<>\\^`{|}[] x", "/%22%3C%3E%5C%5E%60%7B%7C%7D%5B%5D%20x"},
    {"/a", "/-._~!$&'()*+,;=:@/?x=/?", "/-._~!$&'()*+,;=:@/?x=/?"},
    {"/a", "/50%zz?p=%4", "/50%25zz?p=%254"},
    {"/a", "http://dir.test?p=2#f", "/?p=2"},
    // A search query: the engine's lower-case escapes and "+" for a space go out as they are.
    {"/a", "http://dir.test/company/k-%c9%fa%b2%fa+a_province-%d5%e3_pageSize-40_p-1_n-y.html",
     "/company/k-%c9%fa%b2%fa+a_province-%d5%e3_pageSize-40_p-1_n-y.html"},
};

TEST(RequestTargetTest, RedirectTargetsAreSentNormalised) {
    // Connection 2i answers row i's Location, connection 2i + 1 the page it leads to.
    ScriptedServer server([](ScriptedConnection& connection, int index) {
        connection.ReadRequest();
        connection.Send(index % 2 == 0 ? "HTTP/1.1 302 Found\r\nLocation: " +
                                             kTargetCases[index / 2].location + "\r\n\r\n"
                                       : std::string("HTTP/1.1 200 OK\r\n\r\nok"));
    });
    ASSERT_TRUE(AddConnectTo(":80:127.0.0.1:" + std::to_string(server.Port())));
    HttpClient client{ProxySetting{}};
    client.SetTimings({0ms, 2000ms});
    for (const TargetCase& row : kTargetCases) {
        EXPECT_EQ(client.GetHtml(("http://dir.test" + row.base).c_str(), ""), 2) << row.location;
    }
    ClearConnectTo();

    const std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 2 * kTargetCases.size());
    for (std::size_t i = 0; i < kTargetCases.size(); ++i) {
        EXPECT_EQ(requests[2 * i + 1],
                  "GET " + kTargetCases[i].sent + " HTTP/1.1\r\n" + kFixedLines + "Host: dir.test\r\n\r\n")
            << kTargetCases[i].location;
    }
}

TEST(RequestTargetTest, ProxiesGetTheWholeNormalisedUrlAndControlBytesStayRefused) {
    ScriptedServer proxy(ScriptedServer::Answer("HTTP/1.1 200 OK\r\n\r\n"));
    HttpClient client(ProxySetting{true, "127.0.0.1", std::to_string(proxy.Port())});
    client.SetTimings({0ms, 2000ms});
    ASSERT_EQ(client.GetHtml("http://dir.test:8080/a b/./c/..?k=\xc9\xfa#top", ""), 0);
    for (const std::string url :
         {"http://dir.test/a b\r\nX: 1", "http://dir.test/a#\n", "http://dir.test/a?\x7f"}) {
        EXPECT_EQ(client.GetHtml(url.c_str(), ""), -1);
        EXPECT_EQ(client.lastError, "build QueryGetString error for queryGet:" + url);
    }
    ASSERT_EQ(proxy.Requests().size(), 1u);
    EXPECT_EQ(proxy.Requests()[0], "GET http://dir.test:8080/a%20b/?k=%C9%FA HTTP/1.1\r\n" + kFixedLines +
                                       "Host: dir.test:8080\r\n\r\n");
}

}  // namespace
