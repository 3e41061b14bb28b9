#include "http/encoding_labels.h"

#include <gtest/gtest.h>

#include <cctype>
#include <sstream>
#include <string>

#include "platform/text_encoding.h"

namespace {

std::string Utf8(const char8_t* text) {
    return reinterpret_cast<const char*>(text);
}

// The Encoding Standard, "get an encoding" and its table of names and labels: labels in any ASCII
// case; surrounding ASCII whitespace is dropped, whitespace inside is kept; names that are no
// label of the table fail.
TEST(EncodingForLabel, FindsTheEncodingOfEveryKindOfLabel) {
    const struct {
        const char* label;
        const char* encoding;  // empty: failure
    } cases[] = {
        {" utf-8\n", "UTF-8"},
        {"\tGBK\f", "GBK"},
        {"utf 8", ""},
        {"", ""},
        {"x-user-defined-and-a-good-deal-longer", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(EncodingForLabel(c.label).value_or(""), c.encoding) << c.label;

    // Labels of one encoding, separated by spaces.
    const struct {
        const char* labels;
        const char* encoding;
    } groups[] = {
        {"UTF8 unicode11utf8 x-unicode20utf8", "UTF-8"},
        {"gbk gb2312 x-gbk chinese csgb2312 iso-ir-58 gb_2312 gb_2312-80 csiso58gb231280", "GBK"},
        {"gb18030 GB18030", "gb18030"},
        {"big5-hkscs cn-big5 x-x-big5", "Big5"},
        {"iso-8859-1 US-ASCII ansi_x3.4-1968 cp819 l1", "windows-1252"},
        {"latin5 iso-8859-9", "windows-1254"},
        {"tis-620 iso-8859-11 dos-874", "windows-874"},
        {"logical csiso88598i", "ISO-8859-8-I"},
        {"visual csiso88598e", "ISO-8859-8"},
        {"sun_eu_greek elot_928", "ISO-8859-7"},
        {"csiso88596i asmo-708", "ISO-8859-6"},
        {"koi koi8_r", "KOI8-R"},
        {"koi8-ru", "KOI8-U"},
        {"x-mac-ukrainian", "x-mac-cyrillic"},
        {"mac x-mac-roman", "macintosh"},
        {"866 csibm866", "IBM866"},
        {"ms932 ms_kanji windows-31j x-sjis", "Shift_JIS"},
        {"cseucpkdfmtjapanese x-euc-jp", "EUC-JP"},
        {"ks_c_5601-1987 windows-949 korean", "EUC-KR"},
        {"hz-gb-2312 iso-2022-kr iso-2022-cn-ext csiso2022kr", "replacement"},
        {"utf-16 unicode ucs-2 iso-10646-ucs-2", "UTF-16LE"},
        {"unicodefffe", "UTF-16BE"},
        // Common names that are no labels of the web.
        {"euc-cn cp936 windows-936 utf-7 utf-32", ""},
    };
    for (const auto& group : groups) {
        std::istringstream labels(group.labels);
        for (std::string label; labels >> label;)
            EXPECT_EQ(EncodingForLabel(label).value_or(""), group.encoding) << label;
    }
}

// Every encoding of the table (its name in lower case is one of its labels) has a converter in
// glibc, apart from the two the client decodes itself.
TEST(EncodingForLabel, EveryEncodingIsThereWithAConverter) {
    EXPECT_EQ(AllEncodings().size(), 40u);
    for (const std::string_view name : AllEncodings()) {
        std::string label(name);
        for (char& c : label) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(EncodingForLabel(label).value_or(""), name);
        const char* iconvName = IconvNameOfEncoding(name);
        if (name == kReplacementEncoding || name == kUserDefinedEncoding) {
            EXPECT_EQ(iconvName, nullptr);
            continue;
        }
        ASSERT_NE(iconvName, nullptr) << name;
        EXPECT_TRUE(ConvertText("abcd", iconvName, "UTF-8").has_value()) << name << " as " << iconvName;
    }
}

// The converter of each encoding reads bytes as the Encoding Standard's index for it does,
// where glibc's converters of the same name differ (KOI8-U, x-mac-cyrillic, Shift_JIS, EUC-KR).
TEST(EncodingForLabel, ConvertersReadTheWebsIndexes) {
    const struct {
        const char* label;
        std::string bytes;
        std::u8string text;
    } cases[] = {
        {"koi8-u", "\xAE\xBE", u8"ўЎ"},
        {"x-mac-cyrillic", "\xA2", u8"Ґ"},
        {"shift_jis", "\x82\xA0\x87\x40", u8"あ①"},
        {"euc-kr", "\xB0\xA1\x81\x41", u8"가갂"},
        {"euc-jp", "\xA4\xA2", u8"あ"},
        {"iso-2022-jp", "\x1B$B$\"\x1B(B", u8"あ"},
        {"big5", "\xA4\xBD\xA5\x71", u8"公司"},
        {"iso-8859-1", "\x80\xE9", u8"€é"},
        {"windows-1251", "\xC0", u8"А"},
        {"ibm866", "\x80", u8"А"},
        {"macintosh", "\x8E", u8"é"},
        {"windows-874", "\xA1", u8"ก"},
        {"iso-8859-8-i", "\xE0", u8"א"},
        {"iso-8859-16", "\xA4", u8"€"},
    };
    for (const auto& c : cases) {
        const char* iconvName = IconvNameOfEncoding(EncodingForLabel(c.label).value_or(""));
        ASSERT_NE(iconvName, nullptr) << c.label;
        EXPECT_EQ(ConvertText(c.bytes, iconvName, "UTF-8").value_or("?"), Utf8(c.text.c_str())) << c.label;
    }
}

}  // namespace
