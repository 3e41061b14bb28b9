#include "http/encoding_labels.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "platform/text_encoding.h"

namespace {

std::string Utf8(const char8_t* text) {
    return reinterpret_cast<const char*>(text);
}

// The Encoding Standard, "get an encoding" and its table of names and labels: labels in any ASCII
// case and with surrounding ASCII whitespace; names that are no label of the table fail.
TEST(EncodingForLabel, FindsTheEncodingOfEveryKindOfLabel) {
    const struct {
        const char* label;
        const char* encoding;  // empty: failure
    } cases[] = {
        {" utf-8\n", "UTF-8"},
        {"UTF8", "UTF-8"},
        {"unicode11utf8", "UTF-8"},
        {"\tGBK\f", "GBK"},
        {"x-gbk", "GBK"},
        {"chinese", "GBK"},
        {"iso-ir-58", "GBK"},
        {"csiso58gb231280", "GBK"},
        {"gb_2312-80", "GBK"},
        {"GB2312", "GBK"},
        {"gb18030", "gb18030"},
        {"big5-hkscs", "Big5"},
        {"cn-big5", "Big5"},
        {"iso-8859-1", "windows-1252"},
        {"US-ASCII", "windows-1252"},
        {"ansi_x3.4-1968", "windows-1252"},
        {"latin5", "windows-1254"},
        {"tis-620", "windows-874"},
        {"iso-8859-11", "windows-874"},
        {"logical", "ISO-8859-8-I"},
        {"visual", "ISO-8859-8"},
        {"sun_eu_greek", "ISO-8859-7"},
        {"csiso88596i", "ISO-8859-6"},
        {"l9", "ISO-8859-15"},
        {"koi", "KOI8-R"},
        {"koi8-ru", "KOI8-U"},
        {"x-mac-ukrainian", "x-mac-cyrillic"},
        {"mac", "macintosh"},
        {"866", "IBM866"},
        {"ms932", "Shift_JIS"},
        {"cseucpkdfmtjapanese", "EUC-JP"},
        {"csiso2022jp", "ISO-2022-JP"},
        {"ks_c_5601-1987", "EUC-KR"},
        {"windows-949", "EUC-KR"},
        {"hz-gb-2312", "replacement"},
        {"iso-2022-kr", "replacement"},
        {"iso-2022-cn-ext", "replacement"},
        {"utf-16", "UTF-16LE"},
        {"unicode", "UTF-16LE"},
        {"unicodefffe", "UTF-16BE"},
        {"x-user-defined", "x-user-defined"},
        {"", ""},
        {"euc-cn", ""},
        {"cp936", ""},
        {"utf-7", ""},
        {"utf 8", ""},
        {"x-user-defined-and-a-good-deal-longer", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(EncodingForLabel(c.label).value_or(""), c.encoding) << c.label;
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
