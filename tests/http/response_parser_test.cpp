#include "http/response_parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

ParsedResponse Parsed(const std::string& response) {
    ParsedResponse parsed;
    EXPECT_TRUE(ParseResponse(response, parsed));
    return parsed;
}

// The head of a 200 response with the given header lines, and a body.
std::string WithLines(const std::string& lines) {
    return "HTTP/1.1 200 OK\r\n" + lines + "\r\n\r\nbody";
}

constexpr const char* kReadable = nullptr;

// The head of a 200 response with the lines, expected to be refused with `fault`; the parts of
// a readable one.
std::optional<ParsedResponse> ReadLines(const std::string& lines, const char* fault) {
    const ParsedResponse parsed = Parsed(WithLines(lines));
    EXPECT_STREQ(parsed.framingFault, fault) << lines;
    if (fault != kReadable) return std::nullopt;
    return parsed;
}

TEST(ResponseParserTest, BodyStartsAfterTheFirstBlankLine) {
    const std::string response = "HTTP/1.1 200 OK\r\nA: 1\r\n\r\nbody\r\n\r\nmore";
    EXPECT_EQ(Parsed(response).bodyStart, response.find("body"));
    EXPECT_EQ(Parsed("HTTP/1.1 200 OK\r\n\r\n").bodyStart, 19u);
}

TEST(ResponseParserTest, NoBlankLineMeansNoResponse) {
    ParsedResponse parsed;
    for (const std::string& response :
         std::vector<std::string>{"", "HTTP/1.1 200 OK", "HTTP/1.1 200 OK\r\n", "HTTP/1.1 200 OK\n",
                                  "HTTP/1.1 200 OK\r\n\r", "HTTP/1.1 200 OK\nA: 1\n\r"}) {
        EXPECT_FALSE(ParseResponse(response, parsed)) << response;
    }
}

// A head arriving a byte at a time has no body start until its blank line is in, and then the
// one of the whole response, however the line ends fall.
TEST(ResponseParserTest, HeadEndFoundByteByByteIsTheWholeResponses) {
    for (const std::string response :
         {"HTTP/1.1 200 OK\r\nA: 1\r\n\r\nbody", "HTTP/1.1 200 OK\nA: 1\n\nbody", "\r\n\r\nbody",
          "HTTP/1.1 200 OK\r\nA: 1\r\n\nbody\r\n\r\n", "HTTP/1.1 200 OK\r\nA: \r\r\n\r\nbody"}) {
        const std::size_t bodyStart = response.find("body");
        ResponseHeadEnd headEnd;
        for (std::size_t arrived = 0; arrived <= response.size(); ++arrived) {
            EXPECT_EQ(headEnd.Find(std::string_view(response).substr(0, arrived)),
                      arrived < bodyStart ? std::string_view::npos : bodyStart)
                << response << " after " << arrived;
        }
        EXPECT_EQ(FindBodyStart(response), bodyStart);
    }
}

// RFC 9112 §4: status-line = HTTP-version SP status-code SP [ reason-phrase ], HTTP-version =
// "HTTP" "/" DIGIT "." DIGIT, status-code = 3DIGIT; recipients may parse on whitespace runs.
TEST(ResponseParserTest, StatusLinesOfHttpOneAreReadAndOthersRefused) {
    const struct {
        const char* line;
        std::optional<int> code;
    } cases[] = {
        {"HTTP/1.1 200 OK", 200},
        {"HTTP/1.0 302", 302},
        {"HTTP/1.1 404 ", 404},
        {"HTTP/1.1  500 spaced", 500},
        {"HTTP/1.1\t204\tNo Content", 204},
        {"HTTP/1.1 200 \xB3\xC9\xB9\xA6", 200},
        {"HTTP/1.1 999 Private", 999},
        {"", std::nullopt},
        {"HTTP/1.1", std::nullopt},
        {"HTTP/1.1 ", std::nullopt},
        {"HTTP/1.1 20", std::nullopt},
        {"HTTP/1.1 2000", std::nullopt},
        {"HTTP/1.1 200OK", std::nullopt},
        {"HTTP/1.1 OK", std::nullopt},
        {"HTTP/1.1 -200", std::nullopt},
        {"HTTP/1.1 99999999999999999999", std::nullopt},
        {"HTTP/2 200", std::nullopt},
        {"HTTP/2.0 200 OK", std::nullopt},
        {"HTTP/1.x 200 OK", std::nullopt},
        {"HTTP/1.1200 OK", std::nullopt},
        {"http/1.1 200 OK", std::nullopt},
        {"ICY 200 OK", std::nullopt},
        {" HTTP/1.1 200 OK", std::nullopt},
    };
    for (const auto& status : cases) {
        EXPECT_EQ(ParseStatusCode(status.line), status.code) << status.line;
        const ParsedResponse parsed = Parsed(status.line + std::string("\r\n\r\n"));
        EXPECT_STREQ(parsed.framingFault, status.code ? kReadable : "malformed status line") << status.line;
    }
}

// RFC 9112 §5: field-line = field-name ":" OWS field-value OWS, field-name = token, no
// whitespace before the colon (§5.1); §5.2: a user agent replaces obs-fold with SP; §2.2: a
// folded line right after the status line is passed over.
TEST(ResponseParserTest, FieldLinesAreReadAsTheStandardWritesThem) {
    const struct {
        std::string lines;
        HeaderTable headers;
        const char* fault;
    } cases[] = {
        {"A:1", {{"A", "1"}}, kReadable},
        {"A: 1 \r\nB:\t 2\t", {{"A", "1"}, {"B", "2"}}, kReadable},
        {"A:  1  2 ", {{"A", "1  2"}}, kReadable},
        {"Trailing:", {{"Trailing", ""}}, kReadable},
        {"Location: http://h/a: b", {{"Location", "http://h/a: b"}}, kReadable},
        {"X-Folded: a\r\n  b\r\n\tc", {{"X-Folded", "a b c"}}, kReadable},
        {"X-Folded:\r\n b", {{"X-Folded", "b"}}, kReadable},
        {" folded: first\r\nA: 1", {{"A", "1"}}, kReadable},
        {"!#$%&'*+-.^_`|~09az: token", {{"!#$%&'*+-.^_`|~09az", "token"}}, kReadable},
        {"broken line", {}, "header line without colon"},
        {"A: 1\r\nbroken line", {}, "header line without colon"},
        {": empty name", {}, "malformed header name"},
        {"A : 1", {}, "malformed header name"},
        {"A\t: 1", {}, "malformed header name"},
        {"A B: 1", {}, "malformed header name"},
        {"\"A\": 1", {}, "malformed header name"},
        {"A: 1\0 2"s, {}, "malformed response head"},
        {"A: 1\rB: 2", {}, "CR without LF in response head"},
    };
    for (const auto& field : cases) {
        if (const auto parsed = ReadLines(field.lines, field.fault)) {
            EXPECT_EQ(parsed->headers, field.headers) << field.lines;
        }
    }
}

// RFC 9110 §5.3: lines of one name (compared without regard to case) combine in order with
// ", "; Set-Cookie lines cannot (§5.3 names it), so they stay one per line; Content-Type is the
// last one, as browsers take it.
TEST(ResponseParserTest, RepeatedLinesAreCombined) {
    const struct {
        const char* lines;
        HeaderTable headers;
    } cases[] = {
        {"X-A: 1\r\nX-A: 2", {{"X-A", "1, 2"}}},
        {"x-a: 1\r\nB: 0\r\nX-A: 2\r\nX-a: 3", {{"B", "0"}, {"x-a", "1, 2, 3"}}},
        {"X-A:\r\nX-A: 1\r\nX-A: \r\nX-A: 2", {{"X-A", "1, 2"}}},
        {"Set-Cookie: a=1; Path=/\r\nset-cookie: b=2, c\r\nSet-Cookie: ",
         {{"Set-Cookie", "a=1; Path=/\nb=2, c"}}},
        {"Content-Type: text/plain\r\ncontent-type: text/html; charset=utf-8",
         {{"Content-Type", "text/html; charset=utf-8"}}},
        {"Content-Type: text/html; charset=utf-8\r\nContent-Type: ",
         {{"Content-Type", "text/html; charset=utf-8"}}},
    };
    for (const auto& repeated : cases) {
        if (const auto parsed = ReadLines(repeated.lines, kReadable)) {
            EXPECT_EQ(parsed->headers, repeated.headers) << repeated.lines;
        }
    }
}

// RFC 9110 §8.6: a list of one repeated number (e.g. "Content-Length: 42, 42") or several lines
// of it is that number; anything else that is no single number is invalid.
TEST(ResponseParserTest, ContentLengthIsOneNumberHoweverOftenItIsSent) {
    const struct {
        const char* lines;
        std::optional<std::size_t> length;
        const char* fault;
    } cases[] = {
        {"Content-Length: 42", 42, kReadable},
        {"Content-Length: 42, 42", 42, kReadable},
        {"Content-Length:42,42 ,  42", 42, kReadable},
        {"Content-Length: 42\r\ncontent-length: 42", 42, kReadable},
        {"Content-Length: 42, 43", std::nullopt, "conflicting Content-Length values"},
        {"Content-Length: 42\r\nContent-Length: 43", std::nullopt, "conflicting Content-Length values"},
        {"Content-Length: 42,", std::nullopt, "Content-Length not a plain number"},
        {"Content-Length: ", std::nullopt, "Content-Length not a plain number"},
        {"Content-Length: 4 2", std::nullopt, "Content-Length not a plain number"},
        {"Content-Length: +42", std::nullopt, "Content-Length not a plain number"},
        {"Content-Length: 12x", std::nullopt, "Content-Length not a plain number"},
        {"Content-Length: 99999999999999999999999", std::nullopt, "Content-Length not a plain number"},
    };
    for (const auto& length : cases) {
        if (const auto parsed = ReadLines(length.lines, length.fault)) {
            EXPECT_EQ(parsed->contentLength, length.length) << length.lines;
        }
    }
}

TEST(ResponseParserTest, LocationChunkedAndLengthAreFoundWithoutRegardToCase) {
    const ParsedResponse redirect =
        Parsed("HTTP/1.1 302 Found\r\nLocation: /next.html  \r\nTransfer-Encoding: gzip, chunked\r\n\r\n");
    EXPECT_EQ(redirect.location, "/next.html");
    EXPECT_TRUE(redirect.chunked);

    const ParsedResponse lower = Parsed(
        "HTTP/1.1 302 Found\r\nlocation:/next.html\r\ntransfer-encoding: "
        "gzip\r\nTransfer-Encoding:Chunked\r\n"
        "content-LENGTH: 12\r\n\r\n");
    EXPECT_EQ(lower.location, "/next.html");
    EXPECT_TRUE(lower.chunked);
    EXPECT_EQ(lower.transferCodings, std::vector<std::string>{"gzip"}) << "the lines are one list";
    EXPECT_FALSE(lower.contentLength) << "chunked frames the body by itself";

    const ParsedResponse plain = Parsed("HTTP/1.1 200 OK\r\nX: chunked\r\n\r\n");
    EXPECT_FALSE(plain.chunked);
    EXPECT_EQ(Parsed("HTTP/1.1 100 Continue\r\nContent-Length: 12\r\n\r\n").contentLength, 0u);
}

TEST(ResponseParserTest, BareLineFeedsEndLinesAsCrLfDoes) {
    for (const std::string response :
         {"HTTP/1.1 200 OK\nA: 1\nB: 2\n\nbody", "HTTP/1.1 200 OK\r\nA: 1\nB: 2\r\n\nbody",
          "HTTP/1.1 200 OK\nA: 1\r\nB: 2\n\r\nbody"}) {
        const ParsedResponse parsed = Parsed(response);
        EXPECT_EQ(parsed.bodyStart, response.find("body")) << response;
        EXPECT_EQ(parsed.statusCode, 200);
        EXPECT_EQ(parsed.headers, (HeaderTable{{"A", "1"}, {"B", "2"}}));
    }
}

TEST(ResponseParserTest, OnlyOneHundredsAreInterim) {
    for (const int status : {100, 101, 103, 199}) EXPECT_TRUE(IsInterimStatus(status)) << status;
    for (const int status : {0, 99, 200, 204, 304}) EXPECT_FALSE(IsInterimStatus(status)) << status;
}

TEST(ResponseParserTest, MegabyteOfHeaderTextIsParsed) {
    const std::string value(1 << 20, 'v');
    const ParsedResponse parsed = Parsed(WithLines("X-Big: " + value));
    EXPECT_EQ(parsed.headers.at("X-Big"), value);
    EXPECT_STREQ(Parsed(WithLines(std::string(1 << 20, ':'))).framingFault, "malformed header name");
    // Many lines of one name are combined without looking back over the others.
    std::string lines = "Set-Cookie: a";
    for (int line = 0; line < 100000; ++line) lines += "\r\nx-" + std::to_string(line % 50) + ":1";
    EXPECT_EQ(Parsed(WithLines(lines)).headers.size(), 51u);
}

}  // namespace
