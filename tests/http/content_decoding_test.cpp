#include "http/content_decoding.h"

#include <gtest/gtest.h>

#include <string>

#include "http/support/compressed.h"

namespace {

constexpr std::size_t kLimit = 10 * 1024 * 1024;
constexpr int kGzip = kGzipWindowBits;
constexpr int kZlib = kZlibWindowBits;
constexpr int kRaw = -kZlibWindowBits;

const std::string kPage = "<html><body>\xB9\xAB\xCB\xBE" + std::string(5000, 'x') + "</body></html>";

TEST(DecodeContentCoding, DecodesEveryKnownCodingSpelling) {
    struct Case {
        const char* coding;
        std::string body;
    };
    const Case cases[] = {
        {"gzip", Compressed(kPage, kGzip)},
        {"x-gzip", Compressed(kPage, kGzip)},
        {" GZip\t", Compressed(kPage, kGzip)},
        {"deflate", Compressed(kPage, kZlib)},
        {"Deflate", Compressed(kPage, kRaw)},
        {"identity", kPage},
        // Two gzip members one after the other make one text.
        {"gzip", Compressed(kPage.substr(0, 100), kGzip) + Compressed(kPage.substr(100), kGzip)},
    };
    for (const Case& c : cases) {
        std::string body = c.body;
        EXPECT_EQ(DecodeContentCoding(c.coding, body, kLimit), ContentDecodeResult::Decoded) << c.coding;
        EXPECT_EQ(body, kPage) << c.coding;
    }
    std::string empty;
    EXPECT_EQ(DecodeContentCoding("gzip", empty, kLimit), ContentDecodeResult::Decoded);
    EXPECT_EQ(empty, "");
}

TEST(DecodeContentCoding, LeavesTheBodyAsItWasWhenItCannotDecode) {
    const std::string gzip = Compressed(kPage, kGzip);
    struct Case {
        const char* coding;
        std::string body;
        ContentDecodeResult result;
    };
    const Case cases[] = {
        {"br", gzip, ContentDecodeResult::UnknownCoding},
        {"gzip, deflate", gzip, ContentDecodeResult::UnknownCoding},
        {"gzip", kPage, ContentDecodeResult::Corrupt},
        {"gzip", gzip.substr(0, gzip.size() / 2), ContentDecodeResult::Corrupt},
        {"deflate", Compressed(kPage, kZlib).substr(0, 40), ContentDecodeResult::Corrupt},
        {"deflate", "\xFF\xFF\xFF garbage", ContentDecodeResult::Corrupt},
    };
    for (const Case& c : cases) {
        std::string body = c.body;
        EXPECT_EQ(DecodeContentCoding(c.coding, body, kLimit), c.result) << c.coding;
        EXPECT_EQ(body, c.body) << c.coding;
    }
}

TEST(DecodeContentCoding, ABombStopsAtTheLimit) {
    const std::string zeros(64 * 1024 * 1024, '\0');  // 64 MiB of zeros pack into about 64 KiB
    for (int windowBits : {kGzip, kZlib, kRaw}) {
        const std::string bomb = Compressed(zeros, windowBits);
        std::string body = bomb;
        EXPECT_EQ(DecodeContentCoding(windowBits == kGzip ? "gzip" : "deflate", body, kLimit),
                  ContentDecodeResult::TooLarge);
        EXPECT_EQ(body, bomb);
    }
    // Exactly the limit is still a page; one byte more is not.
    const std::string atLimit(1000, 'a');
    std::string body = Compressed(atLimit, kGzip);
    EXPECT_EQ(DecodeContentCoding("gzip", body, atLimit.size()), ContentDecodeResult::Decoded);
    body = Compressed(atLimit, kGzip);
    EXPECT_EQ(DecodeContentCoding("gzip", body, atLimit.size() - 1), ContentDecodeResult::TooLarge);
    body = atLimit;
    EXPECT_EQ(DecodeContentCoding("identity", body, atLimit.size() - 1), ContentDecodeResult::TooLarge);
}

}  // namespace
