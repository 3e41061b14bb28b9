#include "http/content_decoding.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

namespace {

constexpr std::size_t kLimit = 10 * 1024 * 1024;
constexpr int kGzip = 15 + 16;
constexpr int kZlib = 15;
constexpr int kRaw = -15;

std::string Compress(const std::string& text, int windowBits) {
    z_stream stream{};
    EXPECT_EQ(deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY), Z_OK);
    std::string out(deflateBound(&stream, text.size()), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    stream.avail_in = static_cast<uInt>(text.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

const std::string kPage = "<html><body>\xB9\xAB\xCB\xBE" + std::string(5000, 'x') + "</body></html>";

TEST(DecodeContentCoding, DecodesEveryKnownCodingSpelling) {
    struct Case {
        const char* coding;
        std::string body;
    };
    const Case cases[] = {
        {"gzip", Compress(kPage, kGzip)},
        {"x-gzip", Compress(kPage, kGzip)},
        {" GZip\t", Compress(kPage, kGzip)},
        {"deflate", Compress(kPage, kZlib)},
        {"Deflate", Compress(kPage, kRaw)},
        {"identity", kPage},
        // Two gzip members one after the other make one text.
        {"gzip", Compress(kPage.substr(0, 100), kGzip) + Compress(kPage.substr(100), kGzip)},
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
    const std::string gzip = Compress(kPage, kGzip);
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
        {"deflate", Compress(kPage, kZlib).substr(0, 40), ContentDecodeResult::Corrupt},
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
        const std::string bomb = Compress(zeros, windowBits);
        std::string body = bomb;
        EXPECT_EQ(DecodeContentCoding(windowBits == kGzip ? "gzip" : "deflate", body, kLimit),
                  ContentDecodeResult::TooLarge);
        EXPECT_EQ(body, bomb);
    }
    // Exactly the limit is still a page; one byte more is not.
    const std::string atLimit(1000, 'a');
    std::string body = Compress(atLimit, kGzip);
    EXPECT_EQ(DecodeContentCoding("gzip", body, atLimit.size()), ContentDecodeResult::Decoded);
    body = Compress(atLimit, kGzip);
    EXPECT_EQ(DecodeContentCoding("gzip", body, atLimit.size() - 1), ContentDecodeResult::TooLarge);
    body = atLimit;
    EXPECT_EQ(DecodeContentCoding("identity", body, atLimit.size() - 1), ContentDecodeResult::TooLarge);
}

}  // namespace
