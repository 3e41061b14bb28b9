#include "http/http_client.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "http/connect_to_map.h"
#include "http/trace_output.h"
#include "support/loopback.h"
#include "support/scripted_server.h"
#include "support/temp_dir.h"

namespace {

using namespace std::chrono_literals;

const std::string kFixedLines =
    "Accept: */*\r\n"
    "Accept-Language: zh-cn\r\n"
    "Accept-Encoding: deflate\r\n"
    "Connection: close\r\n"
    "UA-CPU: x86\r\n"
    "User-Agent: Mozilla/4.0 (compatible; MSIE 7.0; Windows NT 5.2; .NET CLR 1.1.4322; .NET CLR "
    "2.0.50727)\r\n";

class HttpClientTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearConnectTo();
        client.SetTimings({0ms, 2000ms});
        std::strcpy(client.lastError, "earlier failure");
    }
    void TearDown() override { ClearConnectTo(); }

    std::string Body() const { return std::string(client.htmlBuffer); }

    HttpClient client{ProxySetting{}};
};

TEST_F(HttpClientTest, PlainGetSendsTheExactRequestAndReturnsTheBody) {
    ScriptedServer server(
        ScriptedServer::Answer("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n<p>rows</p>"));
    const std::string url = server.Url("a?b=1");

    ASSERT_EQ(client.GetHtml(url.c_str(), ""), 11);

    EXPECT_EQ(Body(), "<p>rows</p>");
    EXPECT_EQ(client.statusCode, 200);
    EXPECT_EQ(client.responseHeaders.at("Content-Type"), "text/html");
    EXPECT_STREQ(client.lastError, "earlier failure");
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0], "GET /a?b=1 HTTP/1.1\r\n" + kFixedLines + "Host: 127.0.0.1\r\n\r\n");
}

TEST_F(HttpClientTest, ResponsesSplitAtAnyReadBoundaryGiveTheSameBody) {
    std::string body;
    for (int i = 0; i < 300; ++i) body += "row " + std::to_string(i) + ";";
    const std::string response = "HTTP/1.1 200 OK\r\nX-Long: " + std::string(1500, 'h') + "\r\n\r\n" + body;
    for (const std::size_t piece : {1u, 2u, 3u, 7u, 1023u, 1024u, 1025u, 4096u}) {
        ScriptedServer server(ScriptedServer::AnswerInPieces(response, piece));
        SCOPED_TRACE(piece);
        EXPECT_EQ(client.GetHtml(server.Url("p").c_str(), ""), static_cast<int>(body.size()));
        EXPECT_EQ(Body(), body);
    }
}

TEST_F(HttpClientTest, ConnectToKeepsRequestLineAndHostLine) {
    ScriptedServer server(ScriptedServer::Answer("HTTP/1.1 200 OK\r\n\r\nok"));
    ASSERT_TRUE(AddConnectTo("www.directory.test:80:127.0.0.1:" + std::to_string(server.Port())));

    ASSERT_EQ(client.GetHtml("http://www.directory.test/list/p2.html", ""), 2);

    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0],
              "GET /list/p2.html HTTP/1.1\r\n" + kFixedLines + "Host: www.directory.test\r\n\r\n");
}

TEST_F(HttpClientTest, TraceLineNamesEveryRequestedUrl) {
    TempDir dir;
    std::FILE* trace = std::fopen(dir.File("trace.txt").c_str(), "w+");
    ASSERT_NE(trace, nullptr);
    SetTraceStream(trace);
    ScriptedServer server(ScriptedServer::Answer("HTTP/1.1 200 OK\r\n\r\n"));
    client.GetHtml(server.Url("x.html").c_str(), "");
    client.GetHtml("no-slash", "");
    SetTraceStream(nullptr);

    std::rewind(trace);
    char text[512] = {};
    const std::size_t length = std::fread(text, 1, sizeof text - 1, trace);
    std::fclose(trace);
    EXPECT_EQ(std::string(text, length), "Get Url:" + server.Url("x.html") + "\nGet Url:no-slash\n");
}

}  // namespace
