#include "http/page_charset.h"

#include <gtest/gtest.h>

#include <string>

#include "http/content_type_charset.h"
#include "http/encoding_prescan.h"
#include "http/utf8_to_gb18030.h"
#include "platform/text_encoding.h"

// This file's narrow literals are compiled to GB18030, its u8 literals to UTF-8: the compiler's
// own conversion is what the pages must come out as.
namespace {

std::string Utf8(const char8_t* text) {
    return reinterpret_cast<const char*>(text);
}

struct Case {
    const char* contentType;
    std::string body;
    std::string expected;
};

TEST(ConvertPageToGb18030, ConvertsWhatThePageDeclares) {
    const std::string utf8 = Utf8(u8"公司名称：深圳 ÅÉ 😀 €");
    const std::string gb18030 = "公司名称：深圳 ÅÉ 😀 €";
    const std::string big5 = "\xA4\xBD\xA5\x71";  // 公司 in Big5
    const std::string r(kGb18030Replacement);
    const std::string longTitle = "<head><title>" + std::string(kPrescanLength, ' ') + "</title>";
    const struct {
        Case page;
        const char* encoding;
    } cases[] = {
        {{"text/html; charset=utf-8", utf8, gb18030}, "UTF-8"},
        {{"TEXT/HTML;CHARSET=\"UTF8\"", utf8, gb18030}, "UTF-8"},
        {{"text/html", "<meta charset=\"utf-8\">" + utf8, "<meta charset=\"utf-8\">" + gb18030}, "UTF-8"},
        {{"", "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">" + utf8,
          "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">" + gb18030},
         "UTF-8"},
        {{"text/html", longTitle + "<meta charset=big5>" + big5, longTitle + "<meta charset=big5>公司"},
         "Big5"},
        // A byte order mark outranks the header, the header the page's meta tag.
        {{"text/html", "\xEF\xBB\xBF" + utf8, gb18030}, "UTF-8"},
        {{"text/html; charset=gbk", "\xEF\xBB\xBF" + utf8, gb18030}, "UTF-8"},
        {{"text/html", std::string("\xFF\xFE\x6C\x51\xF8\x53", 6), "公司"}, "UTF-16LE"},
        {{"text/html; charset=gb2312", "<meta charset=utf-8>" + gb18030, "<meta charset=utf-8>" + gb18030},
         "GBK"},
        // A charset of no encoding, or a header that is no MIME type, is passed over.
        {{"text/html; charset=klingon-7", "<meta charset=big5>" + big5, "<meta charset=big5>公司"}, "Big5"},
        {{"text/html; charset='utf-8'", gb18030, gb18030}, "GBK"},
        {{"charset=big5", big5 + "\xA4", big5 + "\xA4"}, "GBK"},
        // Other encodings; a lone UTF-16 surrogate leaves the text after it in step.
        {{"text/html; charset=big5", big5, "公司"}, "Big5"},
        {{"text/html; charset=iso-8859-1", "caf\xE9", "caf" + Utf8ToGb18030(Utf8(u8"é"))}, "windows-1252"},
        {{"text/html; charset=utf-16be", "\x51\x6C\x53\xF8", "公司"}, "UTF-16BE"},
        {{"text/html; charset=utf-16",
          std::string("A\0\0\xD8"
                      "B\0",
                      6),
          "A" + r + "B"},
         "UTF-16LE"},
        {{"text/html; charset=x-user-defined", "a\x80\xFF", "a" + Utf8ToGb18030(Utf8(u8"\uF780\uF7FF"))},
         "x-user-defined"},
        // Left alone: the GBK family and the replacement encoding.
        {{"text/html; charset=GB18030", gb18030, gb18030}, "gb18030"},
        {{"text/html; charset=x-gbk", gb18030, gb18030}, "GBK"},
        {{"text/html; charset=hz-gb-2312", "~{<:Ky~}\xBA\xBC", "~{<:Ky~}\xBA\xBC"}, "replacement"},
        // Undeclared: UTF-8 with multi-byte characters (one cut off at the end still counts),
        // wherever a meta tag stands that is no longer in the head; anything else is GBK.
        {{"text/html", utf8, gb18030}, "UTF-8"},
        {{"text/html", utf8 + "\xE4\xB8", gb18030 + r}, "UTF-8"},
        {{"text/html", "<body>" + std::string(kPrescanLength, ' ') + "<meta charset=big5>" + utf8,
          "<body>" + std::string(kPrescanLength, ' ') + "<meta charset=big5>" + gb18030},
         "UTF-8"},
        {{"text/html", gb18030, gb18030}, "GBK"},
        {{"text/html", "<p>ASCII only</p>", "<p>ASCII only</p>"}, "GBK"},
        {{"text/html", "a\xE4\xB8", "a\xE4\xB8"}, "GBK"},
        {{"text/html", utf8 + "\xE4\xB8z", utf8 + "\xE4\xB8z"}, "GBK"},
        {{"text/html", utf8 + "\xC0\x80", utf8 + "\xC0\x80"}, "GBK"},
    };
    for (const auto& c : cases) {
        std::string body = c.page.body;
        EXPECT_EQ(ConvertPageToGb18030(c.page.contentType, body), c.encoding) << c.page.contentType;
        EXPECT_EQ(body, c.page.expected) << c.page.contentType << " / " << c.page.body.substr(0, 80);
    }
}

// The MIME Sniffing standard, "parse a MIME type", for the charset parameter.
TEST(ContentTypeCharset, ReadsTheCharsetParameterOfAMimeType) {
    const struct {
        const char* contentType;
        const char* charset;  // nullptr: none
    } cases[] = {
        {"text/html; charset=utf-8", "utf-8"},
        {"text/html;charset=\"UTF-8\"", "UTF-8"},
        {"  text/html ; CHARSET=big5  ", "big5"},
        {"text/html; charset=\"utf-8\\\"x\"", "utf-8\"x"},
        {"text/html; charset=\"gbk", "gbk"},
        {"text/html; foo=\"a;charset=big5\"; charset=utf-8", "utf-8"},
        {"text/html; charset=; charset=utf-8", "utf-8"},
        {"text/html; charset=big5; charset=utf-8", "big5"},
        {"text/html;;charset=utf-8", "utf-8"},
        {"text/html; charset='utf-8'", "'utf-8'"},
        {"text/html; Charset = utf-8", nullptr},
        {"text/html; charset", nullptr},
        {"text/ html; charset=utf-8", nullptr},
        {"charset=utf-8", nullptr},
        {"text/html", nullptr},
        {"", nullptr},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ContentTypeCharset(c.contentType).value_or("(none)"), c.charset ? c.charset : "(none)")
            << c.contentType;
    }
}

TEST(Utf8ToGb18030, InvalidBytesBecomeOneReplacementEachNeverHalfCharacters) {
    const std::string r(kGb18030Replacement);
    const Case cases[] = {
        {"cut at the end", "a\xE4\xB8", "a" + r},
        {"cut before ASCII", "\xE4\xB8z\xE4", r + "z" + r},
        {"stray continuation bytes", "\x80\xBF", r + r},
        {"overlong", "\xC0\x80\xE0\x80\x80", r + r + r + r + r},
        {"overlong form of a character in the table", "\xE0\x84\x81", r + r + r},
        {"surrogate", "\xED\xA0\x80", r + r + r},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", r + r + r + r},
        {"a lead byte never used", "\xFF" + Utf8(u8"中"), r + "中"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Utf8ToGb18030(c.body), c.expected) << c.contentType;
        std::string inPlace = c.body;
        Utf8ToGb18030InPlace(inPlace);
        EXPECT_EQ(inPlace, c.expected) << c.contentType;
    }
}

// In place, characters that grow (beyond GBK, invalid bytes) may come first, after text that
// shrank, or right at the end.
TEST(Utf8ToGb18030, InPlaceGivesTheSameTextWhereverCharactersGrow) {
    const std::string grows = Utf8(u8"Å😀") + "\xFF";
    for (const std::string& text : {grows + Utf8(u8"中文abc"), Utf8(u8"中") + grows + Utf8(u8"文"),
                                    Utf8(u8"中文中文") + grows, "\xEF\xBB\xBF" + grows, std::string()}) {
        std::string inPlace = text;
        Utf8ToGb18030InPlace(inPlace);
        EXPECT_EQ(inPlace, Utf8ToGb18030(text));
    }
    std::string withMark = "\xEF\xBB\xBF" + Utf8(u8"中文");
    Utf8ToGb18030InPlace(withMark, 3);
    EXPECT_EQ(withMark, "中文");
}

TEST(Utf8ToGb18030, AgreesWithIconvOnEveryCharacter) {
    std::string all;
    for (char32_t codePoint = 1; codePoint <= 0x10FFFF; ++codePoint) {
        if (codePoint >= 0xD800 && codePoint <= 0xDFFF) continue;
        // Some private-use characters have no GB18030 bytes since the 2022 edition moved them to
        // standard code points; iconv refuses them, the converter gives U+FFFD.
        if (codePoint >= 0xE000 && codePoint <= 0xF8FF) continue;
        if (codePoint < 0x80) {
            all.push_back(static_cast<char>(codePoint));
        } else if (codePoint < 0x800) {
            all += {static_cast<char>(0xC0 | codePoint >> 6), static_cast<char>(0x80 | (codePoint & 0x3F))};
        } else if (codePoint < 0x10000) {
            all +=
                {static_cast<char>(0xE0 | codePoint >> 12), static_cast<char>(0x80 | (codePoint >> 6 & 0x3F)),
                 static_cast<char>(0x80 | (codePoint & 0x3F))};
        } else {
            all += {static_cast<char>(0xF0 | codePoint >> 18),
                    static_cast<char>(0x80 | (codePoint >> 12 & 0x3F)),
                    static_cast<char>(0x80 | (codePoint >> 6 & 0x3F)),
                    static_cast<char>(0x80 | (codePoint & 0x3F))};
        }
    }
    const auto expected = ConvertText(all, "UTF-8", "GB18030");
    ASSERT_TRUE(expected.has_value());
    EXPECT_TRUE(Utf8ToGb18030(all) == *expected);
    Utf8ToGb18030InPlace(all);
    EXPECT_TRUE(all == *expected);
}

}  // namespace
