#include "http/html_cleanup.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

using Cleanup = int (*)(char*);

constexpr char kGuard[] = "GUARD<!--&nbsp\n";  // bytes after the NUL that no function may touch

// Runs one function on a copy of text followed by its NUL and guard bytes; returns the text.
std::string Clean(Cleanup cleanup, const std::string& text) {
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    buffer.insert(buffer.end(), std::begin(kGuard), std::end(kGuard));
    EXPECT_EQ(cleanup(buffer.data()), 0);
    EXPECT_EQ(std::string(buffer.end() - sizeof kGuard, buffer.end()), std::string(kGuard, sizeof kGuard))
        << "bytes after the terminating NUL were changed";
    const std::string result(buffer.data());
    EXPECT_LE(result.size(), text.size());
    return result;
}

const std::string kGbkText = "\xB9\xAB\xCB\xBE\xC3\xFB\xB3\xC6\xA3\xBA\xC1\xAA\xCF\xB5\xC8\xCB";

TEST(HtmlCleanup, EmptyTextStaysEmptyAndGbkTextWithoutMarkersPassesUnchanged) {
    for (Cleanup cleanup : {UpperTagText, BlankComments, StripTagAttributes, BlankScripts, BlankTags,
                            BlankLineBreaks, SqueezeText}) {
        EXPECT_EQ(Clean(cleanup, ""), "");
        EXPECT_EQ(Clean(cleanup, kGbkText), kGbkText);
    }
}

TEST(UpperTagText, UpperCasesWholeTagsOnly) {
    EXPECT_EQ(Clean(UpperTagText, "<a href=\"x.html\">Link</a>"), "<A HREF=\"X.HTML\">Link</A>");
    EXPECT_EQ(Clean(UpperTagText, "ab<td>cd<b"), "ab<TD>cd<B");
    EXPECT_EQ(Clean(UpperTagText, "x>y<z"), "x>y<Z");
    EXPECT_EQ(Clean(UpperTagText, "<p title=\"" + kGbkText + "z\">"), "<P TITLE=\"" + kGbkText + "Z\">");
}

TEST(BlankComments, BlanksFromStartMarkerThroughFirstEndMarker) {
    EXPECT_EQ(Clean(BlankComments, "x<!-- a -->y"), "x" + std::string(10, ' ') + "y");
    EXPECT_EQ(Clean(BlankComments, "x-->y<!--z"), "x-->y<!--z");
    EXPECT_EQ(Clean(BlankComments, "a<!-->b<!--->c"), "a     b      c");
    EXPECT_EQ(Clean(BlankComments, "<!--a<!--b-->c-->"), std::string(13, ' ') + "c-->");
    EXPECT_EQ(Clean(BlankComments, "-->a<!--b-->c<!--d"), "-->a" + std::string(8, ' ') + "c<!--d");
}

TEST(StripTagAttributes, KeepsTagNamesAndClosingSlash) {
    EXPECT_EQ(Clean(StripTagAttributes, "<A HREF=\"x.html\">Link</A>"), "<A>Link</A>");
    EXPECT_EQ(Clean(StripTagAttributes, "<IMG SRC=\"a.gif\" />x"), "<IMG/>x");
    EXPECT_EQ(Clean(StripTagAttributes, "<SCRIPT SRC=x.js />"), "<SCRIPT/>");
    EXPECT_EQ(Clean(StripTagAttributes, "<BR/><TD>"), "<BR/><TD>");
    EXPECT_EQ(Clean(StripTagAttributes, "a < b and y > d"), "a <> d");
    EXPECT_EQ(Clean(StripTagAttributes, "ab<A HREF=x"), "ab<A");
    EXPECT_EQ(Clean(StripTagAttributes, "ab<"), "ab<");
}

TEST(StripTagAttributes, OnlyASpaceEndsTheNameAndLineBreaksOutsideTagsBecomeSpaces) {
    EXPECT_EQ(Clean(StripTagAttributes, "<TD\tCLASS=x>"), "<TD\tCLASS=x>");
    EXPECT_EQ(Clean(StripTagAttributes, "one\ntwo\r\n"), "one two  ");
    EXPECT_EQ(Clean(StripTagAttributes, "<TD\nA=1 B=\"\n\">x\ny"), "<TD\nA=1>x y");
    EXPECT_EQ(Clean(StripTagAttributes, "<P CLASS=" + kGbkText + ">" + kGbkText), "<P>" + kGbkText);
}

TEST(BlankScripts, BlanksOnlyUpperCaseMarkersWithoutAttributes) {
    EXPECT_EQ(Clean(BlankScripts, "<SCRIPT>a=1</SCRIPT>xy"), std::string(20, ' ') + "xy");
    EXPECT_EQ(Clean(BlankScripts, "<script>a=1</script>xy"), "<script>a=1</script>xy");
    EXPECT_EQ(Clean(BlankScripts, "<SCRIPT LANGUAGE=x>a</SCRIPT>"), "<SCRIPT LANGUAGE=x>a</SCRIPT>");
    EXPECT_EQ(Clean(BlankScripts, "<SCRIPT/>a<STYLE/>b"),
              std::string(9, ' ') + "a" + std::string(8, ' ') + "b");
    EXPECT_EQ(Clean(BlankScripts, "<STYLE>p{}</STYLE>z<SCRIPT>q"), std::string(18, ' ') + "z<SCRIPT>q");
    EXPECT_EQ(Clean(BlankScripts, "<SCRIPT>a<SCRIPT>b</SCRIPT>c</SCRIPT>"),
              std::string(27, ' ') + "c</SCRIPT>");
}

TEST(BlankTags, BlanksTagsHoldingNoOtherOpeningBracket) {
    EXPECT_EQ(Clean(BlankTags, "a < b <B>z</B>"), "a < b    z    ");
    EXPECT_EQ(Clean(BlankTags, "x<y"), "x<y");
    EXPECT_EQ(Clean(BlankTags, "<<<a>b>"), "<<   b>");
    EXPECT_EQ(Clean(BlankTags, "a>b<"), "a>b<");
    EXPECT_EQ(Clean(BlankTags, "<P>" + kGbkText + "</P>"), "   " + kGbkText + "    ");
}

TEST(BlankLineBreaks, TurnsLineFeedsAndCarriageReturnsIntoSpaces) {
    EXPECT_EQ(Clean(BlankLineBreaks, "a\r\nb\nc\r\td"), "a  b c \td");
}

TEST(SqueezeText, SqueezesRunsToOneByte) {
    EXPECT_EQ(Clean(SqueezeText, "ab  z"), "ab z");
    EXPECT_EQ(Clean(SqueezeText, "ab\t\tz"), "ab z");
    EXPECT_EQ(Clean(SqueezeText, "ab\tz"), "ab z");
    EXPECT_EQ(Clean(SqueezeText, "ab \nz"), "ab\nz");
    EXPECT_EQ(Clean(SqueezeText, "ab \t\n \n z"), "ab\nz");
    EXPECT_EQ(Clean(SqueezeText, "ab \t "), "ab ");
    EXPECT_EQ(Clean(SqueezeText, "a\r  b"), "a\r b");
}

// The first run is squeezed like every other, so a captured value keeps its words apart.
TEST(SqueezeText, SqueezesTheLeadingRunLikeAnyOther) {
    EXPECT_EQ(Clean(SqueezeText, "a b"), "a b");
    EXPECT_EQ(Clean(SqueezeText, "a  \t b"), "a b");
    EXPECT_EQ(Clean(SqueezeText, "\tab"), " ab");
    EXPECT_EQ(Clean(SqueezeText, "   ab"), " ab");
    EXPECT_EQ(Clean(SqueezeText, " \n ab"), "\nab");
}

TEST(SqueezeText, ReplacesEntitiesTheFirstOnlyWithSemicolon) {
    EXPECT_EQ(Clean(SqueezeText, "x&nbsp;y&nbspzw"), "x y w");
    EXPECT_EQ(Clean(SqueezeText, "x&nbspy&nbsp;z"), "x&nbspy z");
    EXPECT_EQ(Clean(SqueezeText, "a&mdash;b&mdashcd"), "a b d");
    EXPECT_EQ(Clean(SqueezeText, "a&nbsp;b&nbsp"), "a b ");
    EXPECT_EQ(Clean(SqueezeText, "a&mdash;b&mdash"), "a b ");
    // Non-breaking spaces go first: the second hit takes the "&" of the dash.
    EXPECT_EQ(Clean(SqueezeText, "&nbsp;x&nbsp&mdash;y"), " x mdash;y");
}

TEST(SqueezeText, ReplacesFullWidthSpaceAndSolidus) {
    EXPECT_EQ(Clean(SqueezeText, "a\xA1\xA1\xA1\xA1 b"), "a b");
    EXPECT_EQ(Clean(SqueezeText,
                    "a\xA3\xAF"
                    "b"),
              "a/ b");
    EXPECT_EQ(Clean(SqueezeText, "a \xA3\xAF\xA1\xA1 b"), "a / b");
    EXPECT_EQ(Clean(SqueezeText, "\xA1\xA1\xA1x"), " \xA1x");
    EXPECT_EQ(Clean(SqueezeText, "x\xA1"), "x\xA1");
    EXPECT_EQ(Clean(SqueezeText, "x\xA3"), "x\xA3");
}

TEST(SqueezeText, LeavesCharactersWhoseBytesOnlyLookLikeFullWidthOnes) {
    // "啊" ends in A1 and "∶" (A1 C3) begins with it: together they hold A1 A1 across two
    // characters, which must stay as they are.
    EXPECT_EQ(Clean(SqueezeText, "\xB0\xA1\xA1\xC3"), "\xB0\xA1\xA1\xC3");
    // "广东省　深圳市": the full-width space right after "省" (CA A1) is a space, nothing else.
    const std::string province = "\xB9\xE3\xB6\xAB\xCA\xA1";
    const std::string city = "\xC9\xEE\xDB\xDA\xCA\xD0";
    EXPECT_EQ(Clean(SqueezeText, province + "\xA1\xA1" + city), province + " " + city);
    // After white space a character always starts, also following a lone lead byte.
    EXPECT_EQ(Clean(SqueezeText, "\xCA\xA1 \xA1\xA1x"), "\xCA\xA1 x");
    // A character ending in A3 before one beginning with AF is no solidus either.
    EXPECT_EQ(Clean(SqueezeText, "\xB0\xA3\xAF\xA1"), "\xB0\xA3\xAF\xA1");
}

TEST(SqueezeText, LongStretchesBetweenRunsMoveIntact) {
    // Stretches of every length around runs and full-width characters, at every alignment.
    for (std::size_t length = 0; length < 40; ++length) {
        const std::string stretch(length, 'x');
        const std::string ordinary = stretch + "\xB9\xAB" + stretch;
        EXPECT_EQ(
            Clean(SqueezeText, stretch + " \t " + ordinary + "\xA1\xA1\n" + stretch + "\xA3\xAF" + ordinary),
            (length == 0 ? " " : stretch + " ") + ordinary + "\n" + stretch + "/ " + ordinary)
            << "stretch length " << length;
    }
}

constexpr std::size_t kMegabyte = 1 << 20;

std::string Repeat(const std::string& piece, std::size_t bytes) {
    std::string text;
    text.reserve(bytes + piece.size());
    while (text.size() < bytes) text += piece;
    return text;
}

TEST(HtmlCleanup, HostileMegabytesComeOutRight) {
    const std::string opens = Repeat("<", kMegabyte);
    EXPECT_EQ(Clean(UpperTagText, opens + "a"), opens + "A");
    EXPECT_EQ(Clean(BlankTags, opens + "a>"), opens.substr(1) + "   ");
    EXPECT_EQ(Clean(StripTagAttributes, opens), opens);

    const std::string commentStarts = Repeat("<!--", kMegabyte);
    EXPECT_EQ(Clean(BlankComments, commentStarts), commentStarts);
    EXPECT_EQ(Clean(BlankComments, commentStarts + "-->x"), std::string(commentStarts.size() + 3, ' ') + "x");

    const std::string scripts = Repeat("<SCRIPT>", kMegabyte);
    EXPECT_EQ(Clean(BlankScripts, scripts), scripts);
    EXPECT_EQ(Clean(BlankScripts, scripts + "</SCRIPT>"), std::string(scripts.size() + 9, ' '));

    const std::string spaces = Repeat("&nbsp", kMegabyte);
    EXPECT_EQ(Clean(SqueezeText, spaces), spaces);
    EXPECT_EQ(Clean(SqueezeText, "&nbsp;" + Repeat("&nbsp ", kMegabyte)), " ");
    EXPECT_EQ(Clean(SqueezeText, Repeat("\xA1", kMegabyte)), " ");
    EXPECT_EQ(Clean(SqueezeText, Repeat("\t \n", kMegabyte) + "x"), "\nx");
}

// GB18030 four-byte characters: every clean-up function must treat each as a unit. Each one is
// also run on a shadow text holding four digits in its place (bytes no function treats specially,
// like the digits inside the character, and ending the character as its last byte does); mapping
// the shadow's digits back must give the real result.
std::string FourByteCharacter(unsigned index, unsigned char lead, unsigned char third) {
    return {static_cast<char>(lead), static_cast<char>('0' + index % 10), static_cast<char>(third),
            static_cast<char>('0' + index / 10 % 10)};
}

std::string Placeholder(unsigned index) {
    char digits[5];
    std::snprintf(digits, sizeof digits, "%04u", index);
    return digits;
}

TEST(HtmlCleanup, FourByteGb18030CharactersAreNeverSplit) {
    // Markup, white space, GBK characters (full-width space and solidus, characters ending in A1
    // and A3) and no digits, so that the shadow's digits are the placeholders alone.
    const std::vector<std::string> pieces = {
        "<a href=x>", "</A>", "<TD\tx>", "<SCRIPT>", "</SCRIPT>", "<!--", "-->",        " ",          "\t",
        "\n",         "\r",   "&nbsp;",  "&mdash;",  "<",         ">",    "/>",         "ab",         "x",
        "&nbsp",      "\xA1\xA1", "\xA3\xAF", "\xCA\xA1", "\xB0\xA3"};
    const unsigned char leads[] = {0x81, 0x84, 0x90, 0xA1, 0xA3, 0xE3};
    std::mt19937 random(8);
    for (int round = 0; round < 2000; ++round) {
        std::string text, shadow;
        std::vector<std::string> characters;
        // The shadow cannot follow an entity without semicolon taking a character's first byte
        // (the real text keeps the character); the case after this one checks it.
        bool afterEntity = false;
        for (int piece = 0; piece < 40; ++piece) {
            if (random() % 3 == 0 && !afterEntity) {
                const auto index = static_cast<unsigned>(characters.size());
                characters.push_back(FourByteCharacter(index, leads[random() % 6], leads[random() % 6]));
                text += characters.back();
                shadow += Placeholder(index);
            } else {
                const std::string& markup = pieces[random() % pieces.size()];
                text += markup;
                shadow += markup;
                afterEntity = markup == "&nbsp";
                continue;
            }
            afterEntity = false;
        }
        for (Cleanup cleanup : {UpperTagText, BlankComments, StripTagAttributes, BlankScripts, BlankTags,
                                BlankLineBreaks, SqueezeText}) {
            const std::string shadowResult = Clean(cleanup, shadow);
            std::string expected;
            for (std::size_t at = 0; at < shadowResult.size();) {
                if (std::isdigit(static_cast<unsigned char>(shadowResult[at]))) {
                    expected += characters[std::stoul(shadowResult.substr(at, 4))];
                    at += 4;
                } else {
                    expected += shadowResult[at++];
                }
            }
            ASSERT_EQ(Clean(cleanup, text), expected) << "text: " << text;
        }
    }
}

TEST(SqueezeText, AnEntityWithoutSemicolonLeavesAFollowingFourByteCharacterWhole) {
    const std::string character = "\x81\x30\x81\x30";
    EXPECT_EQ(Clean(SqueezeText, "&nbsp;a&nbsp" + character + "&mdash;b&mdash" + character), " a " + character + " b " + character);
    // A GBK character loses its lead byte there as before, and what is left of it does not pair
    // with the first byte of a four-byte character after it.
    EXPECT_EQ(Clean(SqueezeText, "&nbsp;a&nbsp\xD6\xD0"), " a \xD0");
    EXPECT_EQ(Clean(SqueezeText, "&nbsp;a&nbsp\xCA\xA1\xA1\x30\x81\x30"), " a \xA1\xA1\x30\x81\x30");
}

}  // namespace
