// Pages as the client hands them on: the content coding undone, a declared charset converted to
// GB18030, and the page limit applied to the decoded page.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "http/http_client.h"
#include "http/support/compressed.h"
#include "support/scripted_server.h"

namespace {

using namespace std::chrono_literals;

const std::string kUtf8Page = "<p>\xE6\x9D\xAD\xE5\xB7\x9E</p>";  // 杭州
const std::string kGbkPage = "<p>\xBA\xBC\xD6\xDD</p>";

std::string Response(const std::string& headers, const std::string& body) {
    return "HTTP/1.1 200 OK\r\n" + headers + "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" +
           body;
}

std::string Chunked(const std::string& headers, const std::string& body) {
    std::ostringstream size;
    size << std::hex << body.size();
    return "HTTP/1.1 200 OK\r\n" + headers + "Transfer-Encoding: chunked\r\n\r\n" + size.str() + "\r\n" +
           body + "\r\n0\r\n\r\n";
}

class PageDecodingTest : public ::testing::Test {
protected:
    void SetUp() override { client.SetTimings({0ms, 5000ms}); }
    HttpClient client{ProxySetting{}};
};

TEST_F(PageDecodingTest, CodingsAreUndoneAndDeclaredCharsetsConverted) {
    const std::string utf8Type = "Content-Type: text/html; charset=UTF-8\r\n";
    const struct {
        const char* what;
        std::string response;
        std::string page;
    } cases[] = {
        {"gzip", Response("Content-Encoding: gzip\r\n" + utf8Type, Compressed(kUtf8Page, 31)), kGbkPage},
        {"x-gzip, chunked", Chunked("Content-Encoding: x-gzip\r\n" + utf8Type, Compressed(kUtf8Page, 31)),
         kGbkPage},
        {"deflate", Response("content-encoding: deflate\r\n", Compressed(kGbkPage, 15)), kGbkPage},
        {"raw deflate", Response("Content-Encoding: deflate\r\n", Compressed(kGbkPage, -15)), kGbkPage},
        {"meta charset", Response("", "<meta charset=\"utf-8\">" + kUtf8Page),
         "<meta charset=\"utf-8\">" + kGbkPage},
        {"GBK left alone", Response("Content-Type: text/html; charset=gbk\r\n", kGbkPage), kGbkPage},
        {"undeclared GBK left alone", Response("", kGbkPage), kGbkPage},
        {"undeclared UTF-8", Response("Content-Type: text/html\r\n", kUtf8Page), kGbkPage},
        {"unknown coding as sent", Response("Content-Encoding: br\r\n", "\x1b\x07raw"), "\x1b\x07raw"},
        {"no blank after the colons",
         Response("Content-Encoding:gzip\r\nContent-Type:text/html;charset=utf-8\r\n",
                  Compressed(kUtf8Page, 31)),
         kGbkPage},
        {"the last of two types",
         Response("Content-Type: text/html; charset=gbk\r\ncontent-type: text/html; charset=utf-8\r\n",
                  kUtf8Page),
         kGbkPage},
    };
    for (const auto& page : cases) {
        SCOPED_TRACE(page.what);
        ScriptedServer server(ScriptedServer::AnswerInPieces(page.response, 100));
        EXPECT_EQ(client.GetHtml(server.Url().c_str(), ""), static_cast<int>(page.page.size()))
            << client.lastError;
        EXPECT_EQ(std::string(client.htmlBuffer), page.page);
    }
}

TEST_F(PageDecodingTest, CorruptBodiesAndBombsAreRefusedWhole) {
    std::string corrupt = Compressed(kGbkPage + std::string(5000, 'x'), 31);
    corrupt[corrupt.size() / 2] ^= 0x55;
    corrupt[corrupt.size() / 2 + 1] ^= 0x55;
    ScriptedServer broken(ScriptedServer::Answer(Response("Content-Encoding: gzip\r\n", corrupt)));
    EXPECT_EQ(client.GetHtml(broken.Url().c_str(), ""), -1);
    EXPECT_EQ(client.lastError, "corrupt gzip body for:" + broken.Url());

    // 10 KiB on the wire, far beyond the page limit once decoded.
    const std::string bomb = Compressed(std::string(HttpClient::kHtmlBufferSize + 1, 'a'), 31);
    ASSERT_LT(bomb.size(), 64u * 1024);
    ScriptedServer bomber(ScriptedServer::Answer(Response("Content-Encoding: gzip\r\n", bomb)));
    EXPECT_EQ(client.GetHtml(bomber.Url().c_str(), ""), -1);
    EXPECT_EQ(client.lastError, "response too large for:" + bomber.Url());

    const std::string fits(HttpClient::kHtmlBufferSize - 1, 'a');
    ScriptedServer full(ScriptedServer::Answer(Response("Content-Encoding: gzip\r\n", Compressed(fits, 31))));
    EXPECT_EQ(client.GetHtml(full.Url().c_str(), ""), static_cast<int>(fits.size()));
}

}  // namespace
