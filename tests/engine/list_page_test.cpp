#include "engine/list_page.h"

#include <gtest/gtest.h>

#include "engine/captured_link.h"
#include "engine/rules_file.h"
#include "support/sample_directory.h"

namespace {

boost::regex Pattern(const std::string& text) {
    return boost::regex(text, boost::regex::perl | boost::regex::icase);
}

class ListPageTest : public ::testing::Test {
protected:
    void SetUp() override { LoadRulesFromText(sample::RulesText(), rules); }
    ExtractionRules rules;
    std::map<std::string, bool> seenUrls;
    std::list<std::string> urlQueue;
    const std::string pageAddress = "http://dir.test/company/k-a_pageSize-40_p-1_n-y.html";
};

}  // namespace

TEST(ReadLeadingNumber, SkipsBlanksAndStopsAtTheFirstNonDigit) {
    EXPECT_EQ(ReadLeadingNumber("  42abc"), 42u);
    EXPECT_EQ(ReadLeadingNumber("7"), 7u);
    EXPECT_EQ(ReadLeadingNumber("x12"), 0u);
    EXPECT_EQ(ReadLeadingNumber(""), 0u);
    EXPECT_EQ(ReadLeadingNumber("99999999999999999999"), 4294967295u);
}

TEST_F(ListPageTest, TotalsFromTheRulesOrTheirDefaults) {
    const ListPageTotals totals = ReadListPageTotals(rules, sample::ListPage(12, 470, {}));
    EXPECT_EQ(totals.totalPages, 12u);
    EXPECT_EQ(totals.totalCompanies, 470u);
    const ListPageTotals none = ReadListPageTotals(rules, "<html>nothing</html>");
    EXPECT_EQ(none.totalPages, 1u);
    EXPECT_EQ(none.totalCompanies, 0u);
    const ListPageTotals noRules = ReadListPageTotals(ExtractionRules{}, sample::ListPage(12, 470, {}));
    EXPECT_EQ(noRules.totalPages, 1u);
    EXPECT_EQ(noRules.totalCompanies, 0u);
}

TEST_F(ListPageTest, QueuesByPatternOrderAndDropsDuplicates) {
    const std::string page =
        sample::ListPage(1, 5, {sample::MemberLink(1), sample::MemberLink(2), sample::MemberLink(1)},
                         {sample::GeneralLink(3)}, {sample::CompanyLink(4)});
    EXPECT_EQ(QueueCompanyLinks(rules, page, pageAddress, seenUrls, urlQueue), 4u);
    const std::list<std::string> expected = {sample::MemberLink(1), sample::MemberLink(2),
                                             sample::GeneralLink(3), sample::CompanyLink(4)};
    EXPECT_EQ(urlQueue, expected);

    // A later page repeating a link, and the same link under another pattern, queue nothing again.
    const std::string later =
        sample::ListPage(1, 5, {sample::MemberLink(5)}, {sample::MemberLink(2)}, {sample::GeneralLink(3)});
    EXPECT_EQ(QueueCompanyLinks(rules, later, pageAddress, seenUrls, urlQueue), 1u);
    EXPECT_EQ(urlQueue.back(), sample::MemberLink(5));
    EXPECT_EQ(seenUrls.size(), 5u);
}

TEST_F(ListPageTest, PatternMatchingTheEmptyTextAdvancesAndAnEmptyLinkIsSkipped) {
    rules.validateCompReg = Pattern("(x*)");
    rules.generalCompReg.reset();
    rules.CompReg.reset();
    RuleCounters counters(rules);
    QueueCompanyLinks(rules, "abxxc", pageAddress, seenUrls, urlQueue, &counters);
    const std::list<std::string> expected = {"http://dir.test/company/xx"};
    EXPECT_EQ(urlQueue, expected);
    EXPECT_EQ(counters.Pattern(PatternRule::validateCompReg).skipped, 4u);  // "" before a, b, c, the end
}

TEST_F(ListPageTest, MissingPatternsQueueNothingAndCountNothing) {
    RuleCounters counters(rules);
    EXPECT_EQ(QueueCompanyLinks(ExtractionRules{}, sample::ListPage(1, 1, {sample::MemberLink(1)}),
                                pageAddress, seenUrls, urlQueue, &counters),
              0u);
    EXPECT_TRUE(urlQueue.empty());
    EXPECT_EQ(counters.Pattern(PatternRule::validateCompReg).tried, 0u);
    EXPECT_EQ(counters.Snapshot().listPagesWithoutLinks, 1u);
}

TEST_F(ListPageTest, HostileBodyEndsWithoutLinks) {
    const std::string hostile(1 << 20, '<');
    EXPECT_EQ(QueueCompanyLinks(rules, hostile, pageAddress, seenUrls, urlQueue), 0u);
    EXPECT_EQ(ReadListPageTotals(rules, hostile).totalPages, 1u);
    EXPECT_EQ(DecodeCharacterReferences(std::string(1 << 20, '&')), std::string(1 << 20, '&'));
}

// HTML, 13.2.5.72 and following (character reference states), as an attribute value reads them:
// numeric references with or without ";", the named ones an address holds, every other "&" as
// it stands.
TEST(CapturedLink, CharacterReferencesOfAnAttributeValueAreDecoded) {
    const struct {
        const char* captured;
        const char* decoded;
    } cases[] = {
        {"a.html?x=1&amp;y=2", "a.html?x=1&y=2"},
        {"&#47;co&#x2F;7&#X2f;", "/co/7/"},
        {"&#47x", "/x"},  // the ";" may be missing
        {"&lt;&gt;&quot;&apos;", "<>\"'"},
        {"?a=1&b=2&amp", "?a=1&b=2&amp"},  // a named one needs its ";"
        {"&copy;&nbsp;&;&#;&#x;", "&copy;&nbsp;&;&#;&#x;"},
        {"&#20013;", "\xD6\xD0"},                                                        // 中 in GBK
        {"&#0;&#xD800;&#x110000;", "\x84\x31\xA4\x37\x84\x31\xA4\x37\x84\x31\xA4\x37"},  // U+FFFD
        {"&#99999999999999999999;", "\x84\x31\xA4\x37"},
        {"&amp;amp;", "&amp;"},  // decoded once
    };
    for (const auto& c : cases) EXPECT_EQ(DecodeCharacterReferences(c.captured), c.decoded) << c.captured;
}

// RFC 3986, 5.4.1 (normal examples), as the URL standard resolves them, the fragment left out; and
// what a link leads to that a search cannot follow.
TEST(CapturedLink, ResolvedAgainstThePageItWasFoundOn) {
    const std::string base = "http://a/b/c/d;p?q";
    const struct {
        const char* captured;
        const char* resolved;  // empty: skipped
    } cases[] = {
        {"g", "http://a/b/c/g"},
        {"./g", "http://a/b/c/g"},
        {"g/", "http://a/b/c/g/"},
        {"/g", "http://a/g"},
        {"//g", "http://g/"},
        {"?y", "http://a/b/c/d;p?y"},
        {"g?y", "http://a/b/c/g?y"},
        {"#s", "http://a/b/c/d;p?q"},
        {"g#s", "http://a/b/c/g"},
        {"../g", "http://a/b/g"},
        {"../../../g", "http://a/g"},
        {"https://other.test/x", "https://other.test/x"},
        {"&#x2F;&#x2F;shop.test/m1/?a=1&amp;b=2", "http://shop.test/m1/?a=1&b=2"},
        {" \t/g\n", "http://a/g"},
        {"javascript:void(0)", ""},
        {"mailto:sales@a.test", ""},
        {"ftp://a/file", ""},
        {"", ""},
        {"  ", ""},
        {"http://[::1", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ResolveCapturedLink(c.captured, base).value_or(""), c.resolved) << c.captured;
    }
    // Without a page address only an absolute link leads anywhere.
    EXPECT_EQ(ResolveCapturedLink("/g", "").value_or(""), "");
    EXPECT_EQ(ResolveCapturedLink("http://a/g", "").value_or(""), "http://a/g");
}

TEST_F(ListPageTest, LinksAreQueuedAsThePageMeantThemAndTheOthersCounted) {
    const std::string page =
        "<a class=\"m\" href=\"//m1.test/?src=list&amp;p=1\">m</a>"
        "<a class=\"g\" href=\"/d3/\">g</a>"
        "<a class=\"g\" href=\"../company/../d3/#top\">g again</a>"
        "<a class=\"c\" href=\"c4/?a=1&amp;b=2\">c</a>"
        "<a class=\"c\" href=\"javascript:void(0)\">ad</a>";
    RuleCounters counters(rules);
    EXPECT_EQ(QueueCompanyLinks(rules, page, pageAddress, seenUrls, urlQueue, &counters), 3u);
    const std::list<std::string> expected = {"http://m1.test/?src=list&p=1", "http://dir.test/d3/",
                                             "http://dir.test/company/c4/?a=1&b=2"};
    EXPECT_EQ(urlQueue, expected);
    EXPECT_EQ(counters.Pattern(PatternRule::CompReg).skipped, 1u);
    EXPECT_EQ(counters.Pattern(PatternRule::generalCompReg).skipped, 0u);
}

TEST_F(ListPageTest, NextPageLinkIsReadAgainstThePage) {
    rules.nextPageReg = Pattern("<a class=\"next\" href=\"([^\"]*)\">下一页</a>");
    RuleCounters counters(rules);
    const struct {
        const char* page;
        const char* next;  // empty: none
    } cases[] = {
        {"<a class=\"next\" href=\"?q=a&amp;page=2\">下一页</a>",
         "http://dir.test/company/k-a_pageSize-40_p-1_n-y.html?q=a&page=2"},
        {"<a class=\"next\" href=\"/search?page=3\">下一页</a>", "http://dir.test/search?page=3"},
        {"<a class=\"next\" href=\"javascript:next()\">下一页</a>", ""},
        {"<a class=\"prev\" href=\"?page=1\">上一页</a>", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NextResultPage(rules, c.page, pageAddress, &counters).value_or(""), c.next) << c.page;
    }
    const RuleCount& count = counters.Pattern(PatternRule::nextPageReg);
    EXPECT_EQ(count.tried, 4u);
    EXPECT_EQ(count.matched, 3u);
    EXPECT_EQ(count.skipped, 1u);
    EXPECT_FALSE(NextResultPage(ExtractionRules{}, cases[0].page, pageAddress));
}
