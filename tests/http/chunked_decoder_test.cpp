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

TEST(ChunkedDecoderTest, SizeLineWithoutDigitsCopiesNothing) {
    const Decoded decoded = Decode("zz\r\n\r\n4\r\nrest\r\n0\r\n");
    EXPECT_EQ(decoded.result, 0);
    EXPECT_EQ(decoded.body, "rest");
}

}  // namespace
