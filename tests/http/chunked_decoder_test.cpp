#include "http/chunked_decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Decodes a copy that holds exactly the given bytes, so that reads past them show up under
// AddressSanitizer.
struct Decoded {
    int result;
    std::string body;
};
Decoded Decode(const std::string& chunked) {
    std::vector<char> bytes(chunked.begin(), chunked.end());
    std::size_t length = 0;
    const int result = DecodeChunked(bytes.data(), bytes.size(), length);
    return {result, result == 0 ? std::string(bytes.data(), length) : std::string()};
}

TEST(ChunkedDecoderTest, ChunksAreJoinedAndTheLastChunkEndsTheBody) {
    const Decoded one = Decode("5\r\nHello\r\n0\r\n\r\n");
    EXPECT_EQ(one.result, 0);
    EXPECT_EQ(one.body, "Hello");
    EXPECT_EQ(Decode("3\r\nabc\r\nA\r\n0123456789\r\n0\r\nTrailer: x\r\n\r\n").body, "abc0123456789");
    EXPECT_EQ(Decode("0\r\n\r\n").body, "");
    EXPECT_EQ(Decode("0").result, 0) << "the last chunk needs no line end";
}

TEST(ChunkedDecoderTest, SizeLinesAllowBlanksExtensionsAndBothCases) {
    EXPECT_EQ(Decode("  a;name=value\r\n0123456789\r\n0\r\n").body, "0123456789");
    EXPECT_EQ(Decode("\t1F\r\n" + std::string(31, 'x') + "\r\n0\r\n").body, std::string(31, 'x'));
    EXPECT_EQ(Decode("1f\r\n" + std::string(31, 'y') + "\r\n0\r\n").body, std::string(31, 'y'));
}

TEST(ChunkedDecoderTest, ChunkDataMayHoldLineEndsAndZeros) {
    EXPECT_EQ(Decode("4\r\n\r\n0\r\r\n2\r\n00\r\n0\r\n").body, "\r\n0\r00");
}

TEST(ChunkedDecoderTest, CutShortBodiesFail) {
    for (const std::string& chunked :
         std::vector<std::string>{"", "5", "5;ext", "5\r\nHel", "5\r\nHello", "5\r\nHello\r",
                                  "5\r\nHello\r\n", "5\r\nHello\r\n3\r\nab"}) {
        EXPECT_EQ(Decode(chunked).result, -1) << chunked;
    }
}

TEST(ChunkedDecoderTest, HugeSizesNeitherOverflowNorReadPastTheData) {
    for (const std::string& size :
         std::vector<std::string>{"8000000000000000", "ffffffffffffffff", "7fffffff"}) {
        EXPECT_EQ(Decode(size + "\r\nxyz\r\n0\r\n\r\n").result, kChunkedCutShort) << size;
    }
    for (const std::string& size :
         std::vector<std::string>{"10000000000000000", "fffffffffffffffffffffffffffffffffffff"}) {
        EXPECT_EQ(Decode(size + "\r\nxyz\r\n0\r\n\r\n").result, kChunkSizeOverflow) << size;
    }
    // 2^64 + 3 would wrap to 3 without care.
    EXPECT_EQ(Decode("10000000000000003\r\nabc\r\n0\r\n").result, kChunkSizeOverflow);
}

TEST(ChunkedDecoderTest, LeadingZerosAreOnlyPartOfTheSize) {
    EXPECT_EQ(Decode("0005\r\nHello\r\n000\r\n\r\n").body, "Hello");
    EXPECT_EQ(Decode("00\r\n").result, 0);
    EXPECT_EQ(Decode(" 0010\r\n" + std::string(16, 'z') + "\r\n0\r\n").body, std::string(16, 'z'));
    EXPECT_EQ(Decode("0005\r\nHel").result, -1) << "a cut chunk is no last chunk";
}

// RFC 9112 §7.1: chunk = chunk-size [ chunk-ext ] CRLF chunk-data CRLF, chunk-size = 1*HEXDIG,
// chunk-ext = *( BWS ";" ... ). Anything else where a size line or a line end must be is refused.
TEST(ChunkedDecoderTest, MalformedSizeLinesAndDataWithoutLineEndAreRefused) {
    for (const std::string& chunked : std::vector<std::string>{
             "0x5\r\nhello\r\n0\r\n\r\n", "5xyz\r\nhello\r\n0\r\n\r\n", "\r\nhello\r\n0\r\n\r\n",
             "zz\r\n\r\n4\r\nrest\r\n0\r\n", ";ext\r\nhello\r\n0\r\n", "5 5\r\nhello\r\n0\r\n",
             "5\rX\nhello\r\n0\r\n", "5;a\rb\r\nhello\r\n0\r\n", "5\r\nhelloXY0\r\n\r\n",
             "5\r\nhello\rX0\r\n\r\n", "5\r\nhello\r\n0x\r\n\r\n", "0x", "5\r\nhello\r\n-1"}) {
        EXPECT_EQ(Decode(chunked).result, kChunkedMalformed) << chunked;
    }
    EXPECT_EQ(Decode("5 ;a=\"b c\"\r\nhello\r\n0 \r\n\r\n").body, "hello")
        << "BWS before ';' and after the size";
}

// The end of a body as it arrives, whatever the read boundaries: where its trailers end, with
// bytes after it (the next response of a kept connection) no part of it.
TEST(ChunkedDecoderTest, BodyEndIsFoundExactlyWhileTheBodyArrives) {
    const struct {
        std::string body;
        std::string after;
        bool readable;
    } cases[] = {
        {"5\r\nhello\r\n0\r\n\r\n", "HTTP/1.1 200 OK\r\n", true},
        {"5;x=1\nhello\n000\nX-T: 1\n\n", "next", true},
        {"3\r\n\r\n0\r\n0\r\nT: \r\n\r\n", "\r\n", true},
        {"0x5\r\n", "hello\r\n0\r\n\r\n", false},
        {"5\r\nhelloX", "Y0\r\n\r\n", false},
        {"5\r\nhello\rX", "0\r\n\r\n", false},
        {"10000000000000000\r\n", "", false},
    };
    for (const auto& chunked : cases) {
        const std::string received = chunked.body + chunked.after;
        ChunkedBodyEnd end;
        std::size_t arrived = 0;
        while (arrived < received.size() && !end.Reached(std::string_view(received).substr(0, arrived)))
            ++arrived;
        EXPECT_EQ(arrived, chunked.body.size()) << received;
        EXPECT_EQ(end.Length(), chunked.readable ? chunked.body.size() : std::string::npos) << received;
    }
    ChunkedBodyEnd huge;
    EXPECT_FALSE(huge.Reached("ffffffffffffffff\r\nabc"))
        << "waits for data that cannot come, until the close";
}

}  // namespace
