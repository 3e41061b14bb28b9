#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "http/http_client.h"
#include "http/support/compressed.h"
#include "support/scripted_server.h"

namespace {

using namespace std::chrono_literals;

const std::string kPage = "<td>Hangzhou Tea Co.</td><td>0571-86123456</td>";

std::string Gzip(const std::string& text) {
    return Compressed(text, kGzipWindowBits);
}
std::string Zlib(const std::string& text) {
    return Compressed(text, kZlibWindowBits);
}

// The body as chunks of at most 16 bytes and the last chunk.
std::string Chunked(const std::string& body) {
    std::string out;
    for (std::size_t at = 0; at < body.size(); at += 16) {
        const std::string piece = body.substr(at, 16);
        char size[16];
        std::snprintf(size, sizeof size, "%zx\r\n", piece.size());
        out += size + piece + "\r\n";
    }
    return out + "0\r\n\r\n";
}

std::string Response(const std::string& headLines, const std::string& body, const char* status = "200 OK") {
    return std::string("HTTP/1.1 ") + status + "\r\n" + headLines + "\r\n" + body;
}

constexpr bool kRefused = true;
constexpr bool kRead = false;

struct FramingCase {
    const char* what;
    std::string response;
    bool refused;          // -1 with `expected` + " for:" + the URL in lastError
    std::string expected;  // the message, or the body
    std::string folded = {};
};

const std::string kLanded = "HTTP/1.1 200 OK\r\n\r\nlanded";

const std::vector<FramingCase> kCases = {
    // Framing that could be read two ways is refused.
    {"conflicting lengths", Response("Content-Length: 3\r\ncontent-length: 4\r\n", "abcd"), kRefused,
     "conflicting Content-Length values"},
    {"equal lengths", Response("Content-Length: 3\r\nContent-Length:  3 \r\n", "abc"), kRead, "abc"},
    {"length list", Response("Content-Length: 3, 3\r\n", "abc"), kRefused,
     "Content-Length not a plain number"},
    {"huge length", Response("Content-Length: 99999999999999999999999\r\n", "abc"), kRefused,
     "Content-Length not a plain number"},
    {"two locations", Response("Location: /landing\r\nLocation: /elsewhere\r\n", "", "302 Found"), kRefused,
     "several different Location values"},
    {"same location twice", Response("Location: /landing\r\nlocation: /landing\r\n", "", "302 Found"), kRead,
     "landed"},
    {"lone CR in a header", Response("X-A: 1\rX-B: 2\r\n", "ok"), kRefused, "CR without LF in response head"},
    {"lone CR after the status", "HTTP/1.1 200 OK\r\r\n\r\nok", kRefused, "CR without LF in response head"},
    {"unknown transfer coding", Response("Transfer-Encoding: br, chunked\r\n", Chunked("ok")), kRefused,
     "unknown transfer coding"},
    {"chunked before gzip", Response("Transfer-Encoding: chunked, gzip\r\n", Chunked(Gzip(kPage))), kRefused,
     "chunked not the last transfer coding"},
    {"chunked twice", Response("Transfer-Encoding: chunked\r\nTransfer-Encoding: chunked\r\n", Chunked("ok")),
     kRefused, "chunked not the last transfer coding"},
    {"chunk size past 64 bits",
     Response("Transfer-Encoding: chunked\r\n", "10000000000000005\r\nhello\r\n0\r\n\r\n"), kRefused,
     "chunk size overflows"},
    {"interim responses only",
     "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 103 Early Hints\r\nLink: </s.css>\r\n\r\n", kRefused,
     "interim responses without a final response"},
    // Codings in the order listed, folding, bare LF chunk lines, bodiless statuses.
    {"gzip then chunked", Response("Transfer-Encoding: gzip, chunked\r\n", Chunked(Gzip(kPage))), kRead,
     kPage},
    {"gzip then deflate", Response("Content-Encoding: gzip, deflate\r\n", Zlib(Gzip(kPage))), kRead, kPage},
    {"both lists",
     Response("Transfer-Encoding: Deflate ,identity, CHUNKED\r\nContent-Encoding: x-gzip\r\n",
              Chunked(Zlib(Gzip(kPage)))),
     kRead, kPage},
    {"chunked outranks a length",
     Response("Transfer-Encoding: chunked\r\nContent-Length: 3\r\n", Chunked("hello")), kRead, "hello"},
    {"unknown content coding", Response("Content-Encoding: br\r\n", "\x1b\x05raw"), kRead, "\x1b\x05raw"},
    {"unknown coding under gzip", Response("Content-Encoding: br, gzip\r\n", Gzip("brotli")), kRead,
     Gzip("brotli")},
    {"folded header", Response("X-Folded: a\r\n  b\r\n\tc\r\n", "ok"), kRead, "ok", "a b c"},
    {"folded location", Response("Location: \r\n /landing\r\n", "", "302 Found"), kRead, "landed"},
    {"bare LF chunk lines",
     Response("Transfer-Encoding: chunked\r\n", "5\nHello\n7;x=1\n, rows!\n0\nX-T: 1\n\n"), kRead,
     "Hello, rows!"},
    {"204 with a length", Response("Content-Length: 5\r\n", "hello", "204 No Content"), kRead, ""},
    {"304 with chunks", Response("Transfer-Encoding: chunked\r\n", Chunked("hello"), "304 Not Modified"),
     kRead, ""},
};

TEST(ResponseFramingTest, EachShapeGivesItsBodyOrANamedRefusal) {
    // "/row/N" answers case N in small pieces, "/landing" ends the redirects.
    ScriptedServer server([](ScriptedConnection& connection, int) {
        const std::string request = connection.ReadRequest();
        if (request.rfind("GET /row/", 0) != 0) return connection.Send(kLanded);
        connection.SendInPieces(kCases[std::stoul(request.substr(9))].response, 7);
    });
    HttpClient client{ProxySetting{}};
    client.SetTimings({0ms, 2000ms});
    for (std::size_t row = 0; row < kCases.size(); ++row) {
        const FramingCase& shape = kCases[row];
        SCOPED_TRACE(shape.what);
        std::strcpy(client.lastError, "");
        const std::string url = server.Url("row/" + std::to_string(row));
        const int result = client.GetHtml(url.c_str(), "");
        if (shape.refused) {
            EXPECT_EQ(result, -1);
            EXPECT_EQ(client.lastError, shape.expected + " for:" + url);
        } else {
            ASSERT_EQ(result, static_cast<int>(shape.expected.size()));
            EXPECT_EQ(std::string(client.htmlBuffer, shape.expected.size()), shape.expected);
        }
        if (!shape.folded.empty()) {
            EXPECT_EQ(client.responseHeaders["X-Folded"], shape.folded);
        }
    }
}

}  // namespace
