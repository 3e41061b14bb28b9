#include "http/response_parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

ParsedResponse Parsed(const std::string& response) {
    ParsedResponse parsed;
    EXPECT_TRUE(ParseResponse(response, parsed));
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

TEST(ResponseParserTest, StatusCodeIsTheNumberAfterTheFirstSpace) {
    EXPECT_EQ(ParseStatusCode("HTTP/1.1 404 Not Found"), 404);
    EXPECT_EQ(ParseStatusCode("HTTP/1.0 302"), 302);
    EXPECT_EQ(ParseStatusCode("HTTP/1.1  500 spaced"), 500);
    EXPECT_EQ(ParseStatusCode("HTTP/1.1"), 0);
    EXPECT_EQ(ParseStatusCode("HTTP/1.1 OK"), 0);
    EXPECT_EQ(ParseStatusCode("HTTP/1.1 -200"), 0);
    EXPECT_EQ(ParseStatusCode("HTTP/1.1 99999999999999999999"), 999999999)
        << "long numbers are cut, not overflowed";
    EXPECT_EQ(Parsed("\r\n\r\n").statusCode, 0);
    EXPECT_EQ(Parsed("HTTP/1.1 403 Forbidden\r\n\r\n").statusCode, 403);
}

TEST(ResponseParserTest, HeaderValuesAreJoinedPerName) {
    HeaderTable headers;
    ParseHeaderLines(
        "Set-Cookie: a=1\r\nX-A: 1\r\nSet-Cookie: b=2\r\nX-A: 2\r\nSet-Cookie: \r\nSet-Cookie: c=3", headers);
    EXPECT_EQ(headers.at("Set-Cookie"), "a=1;b=2;;c=3");
    EXPECT_EQ(headers.at("X-A"), "12");

    HeaderTable empty;
    ParseHeaderLines("Set-Cookie: \r\nSet-Cookie: x=1", empty);
    EXPECT_EQ(empty.at("Set-Cookie"), "x=1");
}

TEST(ResponseParserTest, NameEndsAtTheFirstColonSpaceAndLinesWithoutOneAreSkipped) {
    HeaderTable headers;
    ParseHeaderLines(
        "Location: http://h/a: b\r\nbroken line\r\n: empty name\r\nNoSpace:x\r\nTrailing: \r\n\r\n", headers);
    EXPECT_EQ(headers.at("Location"), "http://h/a: b");
    EXPECT_EQ(headers.at(""), "empty name");
    EXPECT_EQ(headers.at("Trailing"), "");
    EXPECT_EQ(headers.count("NoSpace:x"), 0u);
    EXPECT_EQ(headers.size(), 3u);
}

TEST(ResponseParserTest, LocationChunkedAndLengthAreFoundWithoutRegardToCase) {
    const ParsedResponse redirect =
        Parsed("HTTP/1.1 302 Found\r\nLocation: /next.html\r\nTransfer-Encoding: gzip, chunked\r\n\r\n");
    EXPECT_EQ(redirect.location, "/next.html");
    EXPECT_TRUE(redirect.chunked);

    const ParsedResponse lower = Parsed(
        "HTTP/1.1 302 Found\r\nlocation: /next.html\r\ntransfer-encoding: Chunked\r\ncontent-LENGTH: "
        "12\r\n\r\n");
    EXPECT_EQ(lower.location, "/next.html");
    EXPECT_TRUE(lower.chunked);
    EXPECT_FALSE(lower.contentLength) << "chunked frames the body by itself";
    EXPECT_EQ(Parsed("HTTP/1.1 200 OK\r\ncontent-LENGTH: 12\r\n\r\n").contentLength, 12u);

    const ParsedResponse plain = Parsed("HTTP/1.1 200 OK\r\nContent-Length: 12x\r\nX: chunked\r\n\r\n");
    EXPECT_FALSE(plain.contentLength.has_value()) << "only a plain decimal number is a length";
    EXPECT_FALSE(plain.chunked);
    EXPECT_FALSE(Parsed("HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999999\r\n\r\n").contentLength);
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
    const std::string garbage(1 << 20, ':');
    const ParsedResponse parsed =
        Parsed("HTTP/1.1 200 OK\r\nX-Big: " + value + "\r\n" + garbage + "\r\n\r\nbody");
    EXPECT_EQ(parsed.headers.at("X-Big"), value);
    EXPECT_EQ(parsed.headers.size(), 1u);
}

}  // namespace
