#include "http/http_client.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "http/connect_to_map.h"
#include "http/cookie_jar.h"
#include "http/support/request_lines.h"
#include "http/trace_output.h"
#include "http/user_agent.h"
#include "support/loopback.h"
#include "support/scripted_server.h"
#include "support/temp_dir.h"

namespace {

using namespace std::chrono_literals;

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
    EXPECT_EQ(server.Requests()[0], "GET /a?b=1 HTTP/1.1\r\n" + kFixedLines +
                                        "Host: 127.0.0.1:" + std::to_string(server.Port()) + "\r\n\r\n");
}

TEST_F(HttpClientTest, ResponsesSplitAtAnyReadBoundaryGiveTheSameBody) {
    const std::string shortResponse = "HTTP/1.1 200 OK\r\nX-A: 1\r\n\r\n<td>Hangzhou</td>";
    std::string longBody;
    for (int i = 0; i < 600; ++i) longBody += "row " + std::to_string(i) + ";";
    const std::string longResponse =
        "HTTP/1.1 200 OK\r\nX-Long: " + std::string(1500, 'h') + "\r\n\r\n" + longBody;
    const struct {
        const std::string& response;
        std::size_t piece;
    } cases[] = {{shortResponse, 1},   {shortResponse, 2},   {shortResponse, 3},  {longResponse, 1023},
                 {longResponse, 1024}, {longResponse, 1025}, {longResponse, 4096}};
    for (const auto& split : cases) {
        SCOPED_TRACE(split.piece);
        ScriptedServer server(ScriptedServer::AnswerInPieces(split.response, split.piece));
        const std::string body = split.response.substr(split.response.find("\r\n\r\n") + 4);
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

TEST_F(HttpClientTest, UserAgentSetAtStartUpReplacesTheBuiltInOneButNeverForgesLines) {
    ScriptedServer server(ScriptedServer::Answer("HTTP/1.1 200 OK\r\n\r\nok"));
    ASSERT_TRUE(AddConnectTo("dir.test:80:127.0.0.1:" + std::to_string(server.Port())));
    const std::string agent = "Mozilla/5.0 (X11; Linux x86_64; rv:128.0) Gecko/20100101 Firefox/128.0";
    ASSERT_TRUE(SetUserAgent(agent));
    for (const char* forged : {"agent\r\nX-Injected: 1", "agent\n", "agent\x7f", ""}) {
        EXPECT_FALSE(SetUserAgent(forged)) << forged;
    }
    client.GetHtml("http://dir.test/a", "");
    ResetUserAgent();
    std::string expected = "GET /a HTTP/1.1\r\n" + kFixedLines + "Host: dir.test\r\n\r\n";
    const std::size_t line = expected.find("User-Agent: ") + 12;
    expected.replace(line, expected.find("\r\n", line) - line, agent);
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0], expected);
}

// The cookies of a redirect's response go with the request that follows it, as far as their
// domain, path and Secure flag allow; without a jar no cookie is ever sent.
TEST_F(HttpClientTest, CookiesFollowRedirectsAcrossTheHostsOfTheirDomain) {
    ScriptedServer server([](ScriptedConnection& connection, int index) {
        connection.ReadRequest();
        connection.Send(index % 2 == 0 ? "HTTP/1.1 302 Found\r\nLocation: http://img.dir.test/x/p\r\n"
                                         "Set-Cookie: site=1; Domain=dir.test; Path=/\r\n"
                                         "set-cookie: host=2\r\n"
                                         "Set-Cookie: safe=3; Domain=dir.test; Path=/; Secure\r\n"
                                         "Set-Cookie: deep=4; Domain=dir.test; Path=/x\r\n"
                                         "Set-Cookie: other=5; Domain=other.test\r\n\r\n"
                                       : "HTTP/1.1 200 OK\r\n\r\nthere");
    });
    ASSERT_TRUE(AddConnectTo(":80:127.0.0.1:" + std::to_string(server.Port())));
    const std::string redirected = "GET /x/p HTTP/1.1\r\n" + kFixedLines + "Host: img.dir.test\r\n";

    ASSERT_EQ(client.GetHtml("http://www.dir.test/", ""), 5);
    client.SetCookieJar(std::make_shared<CookieJar>());
    ASSERT_EQ(client.GetHtml("http://www.dir.test/", ""), 5);

    ASSERT_EQ(server.Requests().size(), 4u);
    EXPECT_EQ(server.Requests()[1], redirected + "\r\n");
    EXPECT_EQ(server.Requests()[2].find("Cookie"), std::string::npos) << "the jar starts empty";
    EXPECT_EQ(server.Requests()[3], redirected + "Cookie: deep=4; site=1\r\n\r\n");
}

TEST_F(HttpClientTest, CookieIsSentBackUntilAResponseExpiresIt) {
    const char* const responses[] = {"Set-Cookie: sid=a1\r\nSet-Cookie: seen=1",
                                     "Set-Cookie: sid=a1; Max-Age=0", "X-Empty: 1"};
    ScriptedServer server([&responses](ScriptedConnection& connection, int index) {
        connection.ReadRequest();
        connection.Send(std::string("HTTP/1.1 200 OK\r\n") + responses[index] + "\r\n\r\nok");
    });
    auto jar = std::make_shared<CookieJar>();
    client.SetCookieJar(jar);
    for (int request = 0; request < 3; ++request) EXPECT_EQ(client.GetHtml(server.Url("p").c_str(), ""), 2);

    const std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].find("Cookie"), std::string::npos);
    EXPECT_NE(requests[1].find("\r\nCookie: sid=a1; seen=1\r\n\r\n"), std::string::npos) << requests[1];
    EXPECT_NE(requests[2].find("\r\nCookie: seen=1\r\n\r\n"), std::string::npos) << requests[2];
    EXPECT_EQ(jar->Count(), 1u);
}

TEST_F(HttpClientTest, TraceLineNamesEveryRequestedUrl) {
    TempDir dir;
    std::FILE* trace = std::fopen(dir.File("trace.txt").c_str(), "w+");
    ASSERT_NE(trace, nullptr);
    SetTraceStream(trace);
    ScriptedServer server(ScriptedServer::Answer("HTTP/1.1 200 OK\r\n\r\n"));
    client.GetHtml(server.Url("x.html").c_str(), "");
    client.GetHtml("no-slash", "");
    client.GetHtml(server.Url("a b/../c.html#top").c_str(), "");
    SetTraceStream(nullptr);

    std::rewind(trace);
    char text[512] = {};
    const std::size_t length = std::fread(text, 1, sizeof text - 1, trace);
    std::fclose(trace);
    EXPECT_EQ(std::string(text, length), "Get Url:" + server.Url("x.html") +
                                             "\nGet Url:no-slash\nGet Url:" + server.Url("c.html") + "\n")
        << "the address as it is sent";
}

TEST_F(HttpClientTest, FormDataIsPostedAsUrlEncodedBody) {
    ScriptedServer server(ScriptedServer::Answer("HTTP/1.1 200 OK\r\n\r\ndone"));
    ASSERT_EQ(client.GetHtml(server.Url("search").c_str(), "kw=%C9%FA&p=2"), 4);
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0], "POST /search HTTP/1.1\r\n" + kFixedLines +
                                        "Host: 127.0.0.1:" + std::to_string(server.Port()) +
                                        "\r\n"
                                        "Content-Type: application/x-www-form-urlencoded\r\n"
                                        "Content-Length: 13\r\n\r\nkw=%C9%FA&p=2");
}

TEST_F(HttpClientTest, StatusCodesOfFailureGiveTheirCodesEvenWithABody) {
    const struct {
        int status;
        int result;
        const char* message;
    } cases[] = {{404, -2, "get Html Not Found for:"},
                 {403, -4, "get Html Forbidden for:"},
                 {500, -5, "get Html Error for:"}};
    for (const auto& failure : cases) {
        SCOPED_TRACE(failure.status);
        ScriptedServer server(
            ScriptedServer::Answer("HTTP/1.1 " + std::to_string(failure.status) +
                                   " Whatever\r\nLocation: /elsewhere\r\n\r\n<html>sorry</html>"));
        const std::string url = server.Url("gone.html");
        EXPECT_EQ(client.GetHtml(url.c_str(), ""), failure.result);
        EXPECT_EQ(client.lastError, failure.message + url);
        EXPECT_EQ(client.statusCode, failure.status);
        EXPECT_EQ(server.ConnectionCount(), 1) << "a failure status is not redirected";
    }
}

TEST_F(HttpClientTest, OtherStatusCodesWithoutLocationAreAcceptedAsPages) {
    for (const int status : {301, 302, 204, 503}) {
        ScriptedServer server(
            ScriptedServer::Answer("HTTP/1.1 " + std::to_string(status) + " X\r\n\r\nbody"));
        // A 204 has no body, whatever follows its head.
        EXPECT_EQ(client.GetHtml(server.Url().c_str(), ""), status == 204 ? 0 : 4) << status;
        EXPECT_EQ(client.statusCode, status);
    }
}

TEST_F(HttpClientTest, StatusLineAndBlankLineAloneGiveAnEmptyBody) {
    ScriptedServer server(ScriptedServer::Answer("HTTP/1.1 200 OK\r\n\r\n"));
    std::strcpy(client.htmlBuffer, "stale page");
    EXPECT_EQ(client.GetHtml(server.Url().c_str(), ""), 0);
    EXPECT_EQ(Body(), "");
    EXPECT_TRUE(client.responseHeaders.empty());
}

TEST_F(HttpClientTest, ResponseWithoutBlankLineFailsAndKeepsTheLastError) {
    for (const std::string& response : std::vector<std::string>{"HTTP/1.1 200 OK\r\nX-A: 1\r\n",
                                                                "HTTP/1.1 200 OK\nX-A: 1\n", std::string()}) {
        ScriptedServer server(ScriptedServer::Answer(response));
        EXPECT_EQ(client.GetHtml(server.Url().c_str(), ""), -1);
        EXPECT_STREQ(client.lastError, "earlier failure");
    }
}

TEST_F(HttpClientTest, HeaderTableJoinsRepeatsAndKeepsCookiesApart) {
    ScriptedServer server(ScriptedServer::AnswerInPieces(
        "HTTP/1.1 200 OK\r\nSet-Cookie: a=1; Path=/\r\nX-A: 1\r\nSet-Cookie: b=2\r\n"
        "X-A: 2\r\nset-cookie: c=3\r\nset-cookie:d=4\r\n\r\nok",
        5));
    ASSERT_EQ(client.GetHtml(server.Url().c_str(), ""), 2);
    EXPECT_EQ(client.responseHeaders.at("Set-Cookie"), "a=1; Path=/\nb=2\nc=3\nd=4");
    EXPECT_EQ(client.responseHeaders.at("X-A"), "1, 2");
    EXPECT_EQ(client.responseHeaders.size(), 2u);

    ScriptedServer refusing(
        ScriptedServer::Answer("HTTP/1.1 200 OK\r\nX-A: 1\r\nno separator here\r\n\r\nok"));
    EXPECT_EQ(client.GetHtml(refusing.Url().c_str(), ""), -1);
    EXPECT_EQ(client.lastError, "header line without colon for:" + refusing.Url());
}

TEST_F(HttpClientTest, HeadsUpToTheLimitAreReadAndLongerOnesRefused) {
    // The limit counts the whole head up to its blank line, interim responses aside.
    const std::string statusLine = "HTTP/1.1 200 OK\r\n";
    const std::string prefix = "X-Big: ";
    const std::size_t fitting = 100 * 1024 - statusLine.size() - prefix.size() - 4;
    for (const std::size_t valueSize : {fitting, fitting + 1, std::size_t{1} << 20}) {
        SCOPED_TRACE(valueSize);
        const std::string value(valueSize, 'v');
        ScriptedServer server(ScriptedServer::AnswerInPieces(
            "HTTP/1.1 100 Continue\r\n\r\n" + statusLine + prefix + value + "\r\n\r\nend", 65536));
        const int result = client.GetHtml(server.Url().c_str(), "");
        if (valueSize == fitting) {
            ASSERT_EQ(result, 3);
            EXPECT_EQ(client.responseHeaders.at("X-Big"), value);
        } else {
            EXPECT_EQ(result, -1);
            EXPECT_EQ(client.lastError, "response head too large for:" + server.Url());
        }
    }
}

TEST_F(HttpClientTest, ChunkedBodyIsDecoded) {
    ScriptedServer server(ScriptedServer::AnswerInPieces(
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5;ext=1\r\nHello\r\n7\r\n, rows!\r\n0\r\nX-T: "
        "1\r\n\r\n",
        3));
    ASSERT_EQ(client.GetHtml(server.Url().c_str(), ""), 12);
    EXPECT_EQ(Body(), "Hello, rows!");
}

TEST_F(HttpClientTest, BrokenChunkedBodiesGiveMinusSix) {
    const std::string head = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
    for (const std::string& body : std::vector<std::string>{"5", "ff\r\nonly a few bytes", "5\r\nHello\r\n",
                                                            "8000000000000000\r\nx\r\n0\r\n\r\n"}) {
        SCOPED_TRACE(body);
        ScriptedServer server(ScriptedServer::Answer(head + body));
        EXPECT_EQ(client.GetHtml(server.Url().c_str(), ""), -6);
        EXPECT_STREQ(client.lastError, "earlier failure");
    }
}

TEST_F(HttpClientTest, TransferEncodingAndLocationMatchWithoutRegardToCase) {
    for (const std::string& header :
         std::vector<std::string>{"Transfer-Encoding: Chunked", "transfer-encoding: chunked"}) {
        ScriptedServer server(
            ScriptedServer::Answer("HTTP/1.1 200 OK\r\n" + header + "\r\n\r\n5\r\nHello\r\n0\r\n\r\n"));
        EXPECT_EQ(client.GetHtml(server.Url().c_str(), ""), 5) << header;
    }
    ScriptedServer server([](ScriptedConnection& connection, int index) {
        connection.ReadRequest();
        connection.Send(index == 0 ? "HTTP/1.1 302 Found\r\nlocation: /next\r\n\r\n"
                                   : "HTTP/1.1 200 OK\r\n\r\nnext");
    });
    EXPECT_EQ(client.GetHtml(server.Url().c_str(), ""), 4);
}

TEST_F(HttpClientTest, HeadsAndBodiesAsServersSendThem) {
    const struct {
        const char* what;
        std::string response;
        int result;
        std::string body;
    } cases[] = {
        {"interim responses skipped",
         "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 103 Hints\nLink: x\n\nHTTP/1.1 200 OK\r\n\r\npage", 4,
         "page"},
        {"bare LF head", "HTTP/1.1 200 OK\nX-A: 1\n\n<p>\n</p>", 8, "<p>\n</p>"},
        {"leading zeros",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n0005\r\nHello\r\n0000\r\n\r\n", 5, "Hello"},
        {"length ends the body", "HTTP/1.1 200 OK\r\ncontent-length: 4\r\n\r\nbodyEXTRA", 4, "body"},
        {"length of nothing", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", 0, ""},
        {"cut before the length", "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nonly6b", -1, ""},
        {"cut inside a chunk",
         "HTTP/1.1 200 OK\r\nContent-Length: 3\r\nTransfer-Encoding: chunked\r\n\r\na\r\nabc", -6, ""},
    };
    for (const auto& framing : cases) {
        SCOPED_TRACE(framing.what);
        ScriptedServer server(ScriptedServer::AnswerInPieces(framing.response, 7));
        EXPECT_EQ(client.GetHtml(server.Url().c_str(), ""), framing.result);
        if (framing.result >= 0) {
            EXPECT_EQ(Body(), framing.body);
        } else if (framing.result == -1) {
            EXPECT_EQ(client.lastError, "body cut short for:" + server.Url());
        }
        EXPECT_EQ(client.statusCode, 200);
    }
}

TEST_F(HttpClientTest, ACompleteBodyEndsTheRequestWhileTheServerKeepsTheConnectionOpen) {
    const char* const responses[] = {
        "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nrows!",
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nrow\r\n2\r\ns!\r\n0\r\n\r\n",
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\nrows!\n0\nX-Trailer: 1\n\n",
    };
    for (const char* response : responses) {
        SCOPED_TRACE(response);
        ScriptedServer server([response](ScriptedConnection& connection, int) {
            connection.ReadRequest();
            connection.SendInPieces(response, 3);
            connection.StaySilent(10000ms);
        });
        // Had the client waited for the close, the next-byte limit would end it with -3.
        client.SetTimings({0ms, 60000ms, 2000ms, 60000ms});
        EXPECT_EQ(client.GetHtml(server.Url().c_str(), ""), 5);
        EXPECT_EQ(Body(), "rows!");
    }
}

TEST_F(HttpClientTest, StallsAndTricklesEndAsTimeouts) {
    const struct {
        const char* what;
        std::chrono::milliseconds pause;
        HttpTimings timings;
    } cases[] = {{"no next byte", 60000ms, {0ms, 5000ms, 100ms, 60000ms}},
                 {"a trickle", 50ms, {0ms, 5000ms, 5000ms, 300ms}}};
    for (const auto& limit : cases) {
        SCOPED_TRACE(limit.what);
        ScriptedServer server([&limit](ScriptedConnection& connection, int) {
            connection.ReadRequest();
            connection.Send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n");
            for (int sent = 0; sent < 100; ++sent) {
                connection.Send("x");
                connection.StaySilent(limit.pause);
            }
        });
        client.SetTimings(limit.timings);
        EXPECT_EQ(client.GetHtml(server.Url("slow").c_str(), ""), -3);
        EXPECT_EQ(client.lastError, "get Html Connect TimeOut" + server.Url("slow"));
    }
}

TEST_F(HttpClientTest, RedirectIsFollowedWithANewGetAndTheFirstBodyDropped) {
    ScriptedServer server([](ScriptedConnection& connection, int index) {
        connection.ReadRequest();
        connection.Send(index == 0 ? "HTTP/1.1 302 Found\r\nLocation: /next.html\r\n\r\nfirst body"
                                   : "HTTP/1.1 200 OK\r\n\r\nsecond body");
    });
    ASSERT_TRUE(AddConnectTo(":80:127.0.0.1:" + std::to_string(server.Port())));

    ASSERT_EQ(client.GetHtml("http://dir.test/dir/page.html", "a=1"), 11);

    EXPECT_EQ(Body(), "second body");
    EXPECT_EQ(client.pageAddress, "http://dir.test/next.html") << "the page's links are relative to it";
    ASSERT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(server.Requests()[0].substr(0, 26), "POST /dir/page.html HTTP/1");
    EXPECT_EQ(server.Requests()[1], "GET /next.html HTTP/1.1\r\n" + kFixedLines + "Host: dir.test\r\n\r\n");
}

TEST_F(HttpClientTest, RedirectOfAnyStatusLeadsToTheTargetsResult) {
    ScriptedServer server([](ScriptedConnection& connection, int index) {
        connection.ReadRequest();
        connection.Send(index == 0 ? "HTTP/1.1 200 OK\r\nLocation: missing.html\r\n\r\n"
                                   : "HTTP/1.1 404 No\r\n\r\n");
    });
    const std::string url = server.Url("dir/page.html");
    EXPECT_EQ(client.GetHtml(url.c_str(), ""), -2);
    EXPECT_EQ(client.lastError, "get Html Not Found for:" + server.Url("dir/missing.html"));
    EXPECT_EQ(client.pageAddress, server.Url("dir/missing.html"));
    EXPECT_EQ(client.statusCode, 404);
}

TEST_F(HttpClientTest, RedirectChainOfTwentyIsFollowedButALoopStops) {
    ScriptedServer chain([](ScriptedConnection& connection, int index) {
        connection.ReadRequest();
        connection.Send(index < 20
                            ? "HTTP/1.1 301 Moved\r\nLocation: /r" + std::to_string(index + 1) + "\r\n\r\n"
                            : "HTTP/1.1 200 OK\r\n\r\nthere");
    });
    EXPECT_EQ(client.GetHtml(chain.Url("r0").c_str(), ""), 5);
    EXPECT_EQ(chain.Requests().back().substr(0, 8), "GET /r20");

    ScriptedServer loop(ScriptedServer::Answer("HTTP/1.1 302 Found\r\nLocation: /loop\r\n\r\n"));
    EXPECT_EQ(client.GetHtml(loop.Url("loop").c_str(), ""), -1);
    EXPECT_EQ(client.lastError, "too many redirects for:" + loop.Url("loop"));
    EXPECT_EQ(loop.ConnectionCount(), 21);
}

TEST_F(HttpClientTest, SilentServerTimesOutWithTheUrlInTheMessage) {
    client.SetTimings({0ms, 100ms});
    ScriptedServer server([](ScriptedConnection& connection, int) {
        connection.ReadRequest();
        connection.StaySilent();
    });
    const std::string url = server.Url("slow.html");
    EXPECT_EQ(client.GetHtml(url.c_str(), ""), -3);
    EXPECT_EQ(client.lastError, "get Html Connect TimeOut" + url);
}

TEST_F(HttpClientTest, ServerClosingWithoutAnswerFailsAndKeepsTheLastError) {
    ScriptedServer server([](ScriptedConnection& connection, int) { connection.ReadRequest(); });
    EXPECT_EQ(client.GetHtml(server.Url().c_str(), ""), -1);
    EXPECT_STREQ(client.lastError, "earlier failure");
}

TEST_F(HttpClientTest, RefusedConnectionNamesTheHost) {
    const std::string url = "http://127.0.0.1:" + std::to_string(FreeLoopbackPort()) + "/";
    EXPECT_EQ(client.GetHtml(url.c_str(), ""), -1);
    EXPECT_STREQ(client.lastError, "connect to 127.0.0.1 error!\n");
}

TEST_F(HttpClientTest, UnsplittableUrlsAndControlBytesAreRefusedBeforeConnecting) {
    ScriptedServer server(ScriptedServer::Answer("HTTP/1.1 200 OK\r\n\r\n"));
    const std::string port = std::to_string(server.Port());
    for (const std::string& url : std::vector<std::string>{
             std::string("127.0.0.1"), std::string("http://"), std::string("http://a b/"),
             std::string("ftp://127.0.0.1:") + port + "/", "http://127.0.0.1:" + port + "/a\r\nX-Injected: 1",
             "http://127.0.0.1:" + port + "/a\x7f", "http://127.0.0.1:" + port + "/a\tb"}) {
        EXPECT_EQ(client.GetHtml(url.c_str(), ""), -1);
        EXPECT_EQ(client.lastError, "build QueryGetString error for queryGet:" + url);
    }
    EXPECT_EQ(server.ConnectionCount(), 0);
}

TEST_F(HttpClientTest, RedirectsTheClientDoesNotFollowEndTheRequest) {
    const struct {
        std::string location;
        const char* message;
    } cases[] = {
        {"/a\x01X-Evil: 1", "redirect to an address holding a control byte for:"},
        {"mailto:sales@dir.test", "redirect to a non-HTTP address for:"},
        {"javascript:alert(1)", "redirect to a non-HTTP address for:"},
        {"tel:+86 571 1234", "redirect to a non-HTTP address for:"},
        {"ftp://dir.test/", "redirect to a non-HTTP address for:"},
        {"data:text/html,x", "redirect to a non-HTTP address for:"},
        {"http://", "redirect to an address that is not a URL for:"},
        {"https://dir.test:99999/", "redirect to an address that is not a URL for:"},
    };
    for (const auto& row : cases) {
        ScriptedServer server(
            ScriptedServer::Answer("HTTP/1.1 302 Found\r\nLocation: " + row.location + "\r\n\r\n"));
        EXPECT_EQ(client.GetHtml(server.Url("p").c_str(), ""), -1) << row.location;
        EXPECT_EQ(client.lastError, row.message + server.Url("p")) << row.location;
        EXPECT_EQ(server.ConnectionCount(), 1) << row.location;
    }
}

TEST_F(HttpClientTest, ResponseFillingTheBufferExactlyIsKeptButALargerOneIsRefused) {
    const std::string head = "HTTP/1.1 200 OK\r\n\r\n";
    const std::size_t fullBody = HttpClient::kHtmlBufferSize - 1 - head.size();
    {
        ScriptedServer server(ScriptedServer::AnswerInPieces(head + std::string(fullBody, 'x'), 1 << 20));
        ASSERT_EQ(client.GetHtml(server.Url().c_str(), ""), static_cast<int>(fullBody));
        EXPECT_EQ(client.htmlBuffer[fullBody], '\0');
        EXPECT_EQ(client.htmlBuffer[fullBody - 1], 'x');
    }
    ScriptedServer server(ScriptedServer::AnswerInPieces(head + std::string(fullBody + 1, 'x'), 1 << 20));
    EXPECT_EQ(client.GetHtml(server.Url().c_str(), ""), -1);
    EXPECT_EQ(client.lastError, "response too large for:" + server.Url());
}

// RFC 9112 §9.3 and §6.3: three requests in a row share a connection only while every response
// says the connection persists and ends where its framing says.
TEST_F(HttpClientTest, AConnectionCarriesTheNextRequestOnlyWhenItsResponseLeavesNoDoubt) {
    const std::string rows = "Content-Length: 4\r\n\r\nrows";
    const struct {
        const char* what;
        std::string response;
        int connections;
        bool serverCloses = false;  // after each response, without saying so
    } cases[] = {
        {"a length", "HTTP/1.1 200 OK\r\n" + rows, 1},
        {"chunks", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nrows\r\n0\r\n\r\n", 1},
        {"an interim response first", "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\n" + rows, 1},
        {"HTTP/1.0 with keep-alive", "HTTP/1.0 200 OK\r\nConnection: keep-alive\r\n" + rows, 1},
        {"close asked", "HTTP/1.1 200 OK\r\nConnection: close\r\n" + rows, 3},
        {"close among the options",
         "HTTP/1.1 200 OK\r\nConnection: Keep-Alive\r\nConnection: X, CLOSE\r\n" + rows, 3},
        {"HTTP/1.0 without keep-alive", "HTTP/1.0 200 OK\r\n" + rows, 3},
        {"a length beside chunks",
         "HTTP/1.1 200 OK\r\nContent-Length: 4\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nrows\r\n0\r\n\r\n",
         3},
        {"bytes past the length", "HTTP/1.1 200 OK\r\n" + rows + "EXTRA", 3},
        {"a server that closes idle connections", "HTTP/1.1 200 OK\r\n" + rows, 3, true},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.what);
        ScriptedServer server(row.serverCloses ? ScriptedServer::Answer(row.response)
                                               : ScriptedServer::AnswerEachRequest(row.response));
        for (int request = 0; request < 3; ++request) {
            EXPECT_EQ(client.GetHtml(server.Url("p").c_str(), ""), 4) << client.lastError;
            EXPECT_EQ(Body(), "rows");
        }
        EXPECT_EQ(server.ConnectionCount(), row.connections);
        EXPECT_EQ(server.Requests().size(), 3u);
    }
}

// A kept connection that ends before any byte of the answer was closed by its server while idle:
// the request goes once more on a new connection, at once. Once the answer has begun, its fault
// stands.
TEST_F(HttpClientTest, AKeptConnectionEndingUnansweredIsReplacedOnceButABegunAnswerIsNeverAskedAgain) {
    const std::string page = "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nrows";
    const struct {
        const char* what;
        std::function<void(ScriptedConnection&)> secondAnswer;  // on the kept connection
        int result;
        const char* lastError;  // followed by the URL
        int requests;
    } cases[] = {
        {"closed unanswered", [](ScriptedConnection&) {}, 4, "earlier failure", 3},
        {"waited too long",
         [](ScriptedConnection& connection) {
             connection.Send(
                 "HTTP/1.1 408 Request Timeout\r\nConnection: close\r\nContent-Length: 0\r\n\r\n");
         },
         4, "earlier failure", 3},
        {"half a body",
         [](ScriptedConnection& connection) {
             connection.Send("HTTP/1.1 200 OK\r\nContent-Length: 8\r\n\r\nrows");
         },
         -1, "body cut short for:", 2},
        {"no answer in time", [](ScriptedConnection& connection) { connection.StaySilent(5000ms); }, -3,
         "get Html Connect TimeOut", 2},
    };
    constexpr auto kDelay = 400ms;
    client.SetTimings({kDelay, 200ms});
    for (const auto& row : cases) {
        SCOPED_TRACE(row.what);
        ScriptedServer server([&](ScriptedConnection& connection, int index) {
            if (index > 0) return ScriptedServer::AnswerEachRequest(page)(connection, index);
            connection.ReadRequest();
            connection.Send(page);
            if (!connection.ReadRequest().empty()) row.secondAnswer(connection);
        });
        const std::string url = server.Url("p");
        ASSERT_EQ(client.GetHtml(url.c_str(), ""), 4);
        std::strcpy(client.lastError, "earlier failure");
        const auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(client.GetHtml(url.c_str(), ""), row.result);
        EXPECT_LT(std::chrono::steady_clock::now() - started, 2 * kDelay)
            << "the request waits its turn once";
        EXPECT_EQ(client.lastError, row.lastError + std::string(row.result == 4 ? "" : url));
        EXPECT_EQ(server.Requests().size(), static_cast<std::size_t>(row.requests));
    }
}

TEST_F(HttpClientTest, SendingToAClosedConnectionFailsWithoutKillingTheProcess) {
    ScriptedServer server([](ScriptedConnection&, int) {});  // closes without reading
    const std::string form(8 << 20, 'f');
    const std::string url = server.Url("post");
    EXPECT_EQ(client.GetHtml(url.c_str(), form.c_str()), -1);
    EXPECT_EQ(client.lastError, "send QueryGetString error for queryGet:" + url);
}

TEST_F(HttpClientTest, LongUrlsAreCutToTheErrorBuffer) {
    const std::string url(5000, 'u');
    EXPECT_EQ(client.GetHtml(url.c_str(), ""), -1);
    EXPECT_EQ(std::strlen(client.lastError), HttpClient::kLastErrorSize - 1);
    EXPECT_EQ(std::string(client.lastError).substr(0, 40), "build QueryGetString error for queryGet:");
}

}  // namespace
