#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "http/connection_pool.h"
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

std::string ChunkedResponse(const std::string& body) {
    return Response("Transfer-Encoding: chunked\r\n", body);
}

constexpr bool kRefused = true;
constexpr bool kRead = false;
// After the response the server keeps the connection open: the answer must not wait for the close.
enum Connection { kClosed, kKeptOpen };

struct FramingCase {
    const char* what;
    std::string response;
    bool refused;          // -1 with `expected` + " for:" + the URL in lastError
    std::string expected;  // the message, or the body
    Connection connection = kClosed;
    std::string folded = {};
};

const std::string kLanded = "HTTP/1.1 200 OK\r\n\r\nlanded";
const std::string kLandingRequest = "GET /landing HTTP/1.1\r\n";

const std::vector<FramingCase> kCases = {
    // Framing that could be read two ways is refused.
    {"conflicting lengths", Response("Content-Length: 3\r\ncontent-length: 4\r\n", "abcd"), kRefused,
     "conflicting Content-Length values"},
    {"equal lengths", Response("Content-Length: 3\r\nContent-Length:  3 \r\n", "abc"), kRead, "abc",
     kKeptOpen},
    {"list of one length", Response("Content-Length: 3, 3\r\n", "abcEXTRA"), kRead, "abc", kKeptOpen},
    {"list of two lengths", Response("Content-Length: 3, 4\r\n", "abcd"), kRefused,
     "conflicting Content-Length values", kKeptOpen},
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
    // Heads that are no HTTP/1.x response head.
    {"HTTP/2 status line", "HTTP/2 200 OK\r\nContent-Length: 2\r\n\r\nok", kRefused, "malformed status line",
     kKeptOpen},
    {"NUL in a header", Response(std::string("X-A: 1\0\r\n", 9), "ok"), kRefused, "malformed response head",
     kKeptOpen},
    {"line without colon", Response("Content-Length 2\r\n", "ok"), kRefused, "header line without colon",
     kKeptOpen},
    {"blank before the colon", Response("Transfer-Encoding : chunked\r\n", Chunked("ok")), kRefused,
     "malformed header name", kKeptOpen},
    {"hex prefix in a chunk size", ChunkedResponse("0x5\r\nhello\r\n0\r\n\r\n"), kRefused,
     "malformed chunked body", kKeptOpen},
    {"letters after a chunk size", ChunkedResponse("5xyz\r\nhello\r\n0\r\n\r\n"), kRefused,
     "malformed chunked body", kKeptOpen},
    {"chunk data without line end", ChunkedResponse("5\r\nhelloXY0\r\n\r\n"), kRefused,
     "malformed chunked body", kKeptOpen},
    {"interim responses only",
     "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 103 Early Hints\r\nLink: </s.css>\r\n\r\n", kRefused,
     "interim responses without a final response"},
    // Codings in the order listed, folding, bare LF chunk lines, bodiless statuses.
    {"gzip then chunked", Response("Transfer-Encoding: gzip, chunked\r\n", Chunked(Gzip(kPage))), kRead,
     kPage, kKeptOpen},
    {"codings over two lines",
     Response("Transfer-Encoding: gzip\r\nTransfer-Encoding: chunked\r\n", Chunked(Gzip(kPage))), kRead,
     kPage, kKeptOpen},
    {"gzip alone until the close", Response("Transfer-Encoding: gzip\r\nContent-Length: 3\r\n", Gzip(kPage)),
     kRead, kPage},
    // A colon without a blank after it, blanks after a value.
    {"Content-Length:5", Response("Content-Length:5\r\n", "helloEXTRA"), kRead, "hello", kKeptOpen},
    {"Transfer-Encoding:chunked", Response("Transfer-Encoding:chunked\r\n", Chunked(kPage)), kRead, kPage,
     kKeptOpen},
    {"Content-Encoding:gzip", Response("Content-Encoding:gzip\r\n", Gzip(kPage)), kRead, kPage},
    {"Location:/landing", Response("Location:/landing\r\n", "", "302 Found"), kRead, "landed"},
    {"blanks after a location", Response("Location: /landing \t \r\n", "", "302 Found"), kRead, "landed"},
    {"gzip then deflate", Response("Content-Encoding: gzip, deflate\r\n", Zlib(Gzip(kPage))), kRead, kPage},
    {"both lists",
     Response("Transfer-Encoding: Deflate ,identity, CHUNKED\r\nContent-Encoding: x-gzip\r\n",
              Chunked(Zlib(Gzip(kPage)))),
     kRead, kPage},
    {"chunked outranks a length",
     Response("Transfer-Encoding: chunked\r\nContent-Length: 3\r\n", Chunked("hello")), kRead, "hello",
     kKeptOpen},
    {"unknown content coding", Response("Content-Encoding: br\r\n", "\x1b\x05raw"), kRead, "\x1b\x05raw"},
    {"unknown coding under gzip", Response("Content-Encoding: br, gzip\r\n", Gzip("brotli")), kRead,
     Gzip("brotli")},
    {"folded header", Response("X-Folded: a\r\n  b\r\n\tc\r\n", "ok"), kRead, "ok", kClosed, "a b c"},
    {"folded location", Response("Location: \r\n /landing\r\n", "", "302 Found"), kRead, "landed"},
    {"bare LF chunk lines",
     Response("Transfer-Encoding: chunked\r\n", "5\nHello\n7;x=1\n, rows!\n0\nX-T: 1\n\n"), kRead,
     "Hello, rows!", kKeptOpen},
    {"204 with a length", Response("Content-Length: 5\r\n", "hello", "204 No Content"), kRead, "", kKeptOpen},
    {"304 with chunks", Response("Transfer-Encoding: chunked\r\n", Chunked("hello"), "304 Not Modified"),
     kRead, "", kKeptOpen},
};

TEST(ResponseFramingTest, EachShapeGivesItsBodyOrANamedRefusal) {
    // "/row/N/P" answers case N in pieces of P bytes, "/landing" ends the redirects.
    ScriptedServer server([](ScriptedConnection& connection, int) {
        const std::string request = connection.ReadRequest();
        if (request.rfind("GET /row/", 0) != 0) {
            return connection.Send(request.rfind(kLandingRequest, 0) == 0 ? kLanded
                                                                          : "HTTP/1.1 404 No\r\n\r\n");
        }
        std::size_t rowDigits = 0;
        const FramingCase& shape = kCases[std::stoul(request.substr(9), &rowDigits)];
        connection.SendInPieces(shape.response, std::stoul(request.substr(9 + rowDigits + 1)));
        if (shape.connection == kKeptOpen) connection.StaySilent(10000ms);
    });
    HttpClient client{ProxySetting{}};
    // Had the client waited for the close of a kept connection, the next-byte limit would end it.
    client.SetTimings({0ms, 2000ms, 2000ms});
    // Every read boundary, and boundaries that split line ends, chunk sizes and data.
    for (const int pieceSize : {1, 7}) {
        for (std::size_t row = 0; row < kCases.size(); ++row) {
            const FramingCase& shape = kCases[row];
            SCOPED_TRACE(std::string(shape.what) + " in pieces of " + std::to_string(pieceSize));
            std::strcpy(client.lastError, "");
            // Every row on a connection of its own: a server that sends more than its framing
            // says may still be sending when the next request would take the connection.
            client.SetConnectionPool(std::make_shared<ConnectionPool>());
            const std::string url =
                server.Url("row/" + std::to_string(row) + "/" + std::to_string(pieceSize));
            const int result = client.GetHtml(url.c_str(), "");
            if (shape.refused) {
                EXPECT_EQ(result, -1);
                EXPECT_EQ(client.lastError, shape.expected + " for:" + url);
            } else {
                EXPECT_EQ(result, static_cast<int>(shape.expected.size())) << client.lastError;
                EXPECT_EQ(std::string(client.htmlBuffer, std::max(result, 0)), shape.expected);
            }
            if (!shape.folded.empty()) {
                EXPECT_EQ(client.responseHeaders["X-Folded"], shape.folded);
            }
        }
    }
}

}  // namespace
