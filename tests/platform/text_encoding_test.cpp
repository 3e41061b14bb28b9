#include "platform/text_encoding.h"

#include <gtest/gtest.h>

namespace {

const std::string kCompanyUtf8 = "\xE5\x85\xAC\xE5\x8F\xB8";  // "公司"
const std::string kCompanyGbk = "\xB9\xAB\xCB\xBE";

TEST(TextEncoding, ConvertsBetweenGbkAndUtf8BothWays) {
    EXPECT_EQ(ConvertText(kCompanyUtf8 + " ab", "UTF-8", "GBK"), kCompanyGbk + " ab");
    EXPECT_EQ(ConvertText(kCompanyGbk, "GBK", "UTF-8"), kCompanyUtf8);
    EXPECT_EQ(ConvertText("", "GBK", "UTF-8"), "");
}

TEST(TextEncoding, LongTextsCrossTheConversionChunksWhole) {
    std::string gbk, utf8;
    for (int i = 0; i < 5000; ++i) {
        gbk += kCompanyGbk;
        utf8 += kCompanyUtf8;
    }
    EXPECT_EQ(ConvertText(gbk, "GBK", "UTF-8"), utf8);
    EXPECT_EQ(ConvertTextReplacing(utf8, "UTF-8", "GBK", "?"), gbk);
}

TEST(TextEncoding, StrictConversionRefusesBytesThatDoNotConvert) {
    EXPECT_EQ(ConvertText("a\xFF"
                          "b",
                          "GBK", "UTF-8"),
              std::nullopt);
    EXPECT_EQ(ConvertText(kCompanyGbk.substr(0, 3), "GBK", "UTF-8"), std::nullopt);  // cut off
    EXPECT_EQ(ConvertText("ab", "NO-SUCH-ENCODING", "UTF-8"), std::nullopt);
}

TEST(TextEncoding, ReplacingConversionMarksEachBadByteAndKeepsTheRest) {
    EXPECT_EQ(ConvertTextReplacing("a\xFF"
                                   "b" +
                                       kCompanyGbk,
                                   "GBK", "UTF-8", "?"),
              "a?b" + kCompanyUtf8);
    EXPECT_EQ(ConvertTextReplacing("x" + kCompanyGbk.substr(0, 1), "GBK", "UTF-8", "?"), "x?");
    EXPECT_EQ(ConvertTextReplacing("ab\xFF", "NO-SUCH-ENCODING", "UTF-8", "?"), "ab\xFF");
}

}  // namespace
