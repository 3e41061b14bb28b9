// The page tokenizer: what a browser's tokenizer makes text, tags, comments and raw text of.
#include "engine/page_tokenizer.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The tokens of a page written out: text as 'text', tags as <name attribute="value"> or </name>, names in
// lower case, each tag checked to stand whole, from "<" to ">", where the tokenizer says.
std::string Tokens(std::string_view page) {
    std::string written;
    PageTokenizer tokenizer(page);
    PageToken token;
    std::size_t previousEnd = 0;
    while (tokenizer.Next(token)) {
        EXPECT_LE(previousEnd, token.begin) << page;
        EXPECT_LT(token.begin, token.end) << page;
        previousEnd = token.end;
        const std::string_view bytes = page.substr(token.begin, token.end - token.begin);
        if (token.kind == PageTokenKind::text) {
            written += "'" + std::string(bytes) + "'";
            continue;
        }
        EXPECT_EQ(bytes.front(), '<');
        EXPECT_EQ(bytes.back(), '>');
        written += token.kind == PageTokenKind::endTag ? "</" + token.name : "<" + token.name;
        for (const TagAttributeSpan& attribute : TagAttributes(page, token)) {
            written += " " + attribute.name;
            if (!attribute.hasValue) continue;
            EXPECT_TRUE(token.begin < attribute.valueBegin && attribute.valueEnd < token.end);
            const std::string quote = attribute.quote == 0 ? "" : std::string(1, attribute.quote);
            written +=
                "=" + quote +
                std::string(page.substr(attribute.valueBegin, attribute.valueEnd - attribute.valueBegin)) +
                quote;
        }
        written += ">";
    }
    return written;
}

// From the HTML standard, 13.2.5 Tokenization: data state, tag open state, end tag open state,
// tag name and attribute states, markup declaration open state, comment and bogus comment states,
// script data and RAWTEXT for script and style (up to their end tag, without script data's
// escaped states). A tag never closed is text here, where the standard drops it.
TEST(PageTokenizer, CutsAPageAsTheHtmlTokenizerDoes) {
    const struct {
        const char* page;
        const char* tokens;
    } cases[] = {
        // data state and tag open state: only "<" before a letter, "/" or "!" or "?" opens markup
        {"a<b>c</b>d", "'a'<b>'c'</b>'d'"},
        {"a < b > 1<2 <=3 <\xD6\xD0", "'a < b > 1<2 <=3 <\xD6\xD0'"},
        {"x<", "'x<'"},
        {"<DIV Class=Big>", "<div class=Big>"},
        {"<a<b>", "<a<b>"},
        // end tag open state
        {"a</>b", "'a''b'"},
        {"a</ b>c", "'a''c'"},
        {"a</", "'a</'"},
        {"</P class=x>", "</p class=x>"},
        // markup declaration open state, bogus comment state
        {"<!DOCTYPE html><p>", "<p>"},
        {"<?xml version=\"1.0\"?>a", "'a'"},
        {"<![CDATA[x<y]]>z", "'z'"},
        {"a<!x", "'a'"},
        // comment states
        {"a<!-- b -->c", "'a''c'"},
        {"<!-->a", "'a'"},
        {"<!--->a", "'a'"},
        {"<!-- a -- b --->c", "'c'"},
        {"<!-- a --!>b", "'b'"},
        {"a<!-- never closed <b>", "'a'"},
        // tag name and attribute states
        {"<a href=\"x>y\" title='q'>t</a>", "<a href=\"x>y\" title='q'>'t'</a>"},
        {"<a\thref\n=\n'1'\fdisabled>", "<a href='1' disabled>"},
        {"<a href=x/y>", "<a href=x/y>"},
        {"<br/><img src=a />", "<br><img src=a>"},
        {"<a =x b=\"1\"c=2 d=>", "<a =x b=\"1\" c=2 d=>"},
        // a tag never closed, in its name, its attributes or a quoted value, is text to the end
        {"a<b c", "'a<b c'"},
        {"a<p>b<a href=\"x>", "'a'<p>'b<a href=\"x>'"},
        {"<p>x</p", "<p>'x</p'"},
        // script data and RAWTEXT: markup inside is text no one sees
        {"<script>if (a<b) x='</p><!--'</script>c", "<script></script>'c'"},
        {"<STYLE>p>a{}</Style >x", "<style></style>'x'"},
        {"<script>a</scripty></script\t>b", "<script></script>'b'"},
        {"<script><!-- </script> -->x", "<script></script>' -->x'"},
        {"<script/>x</script>y", "<script></script>'y'"},
        {"<script>a", "<script>"},
        {"<script>a</script", "<script>"},
        {"<scripts>x", "<scripts>'x'"},
        {"<script src=\"a.js\"", "'<script src=\"a.js\"'"},
    };
    for (const auto& c : cases) EXPECT_EQ(Tokens(c.page), c.tokens) << c.page;

    // Hostile pages are walked once: a megabyte of "<", of tags never closed, of scripts never ended.
    const std::size_t megabyte = 1 << 20;
    const std::string open(megabyte, '<');
    EXPECT_EQ(Tokens(open), "'" + open + "'");
    std::string unclosed, scripts;
    while (unclosed.size() < megabyte) unclosed += "<a href='x'";
    EXPECT_EQ(Tokens(unclosed), "'" + unclosed + "'");
    while (scripts.size() < megabyte) scripts += "<SCRIPT></";
    EXPECT_EQ(Tokens(scripts), "<script>");
}

}  // namespace
