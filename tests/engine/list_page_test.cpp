#include "engine/list_page.h"

#include <gtest/gtest.h>

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
    EXPECT_EQ(QueueCompanyLinks(rules, page, seenUrls, urlQueue), 4u);
    const std::list<std::string> expected = {sample::MemberLink(1), sample::MemberLink(2),
                                             sample::GeneralLink(3), sample::CompanyLink(4)};
    EXPECT_EQ(urlQueue, expected);

    // A later page repeating a link, and the same link under another pattern, queue nothing again.
    const std::string later =
        sample::ListPage(1, 5, {sample::MemberLink(5)}, {sample::MemberLink(2)}, {sample::GeneralLink(3)});
    EXPECT_EQ(QueueCompanyLinks(rules, later, seenUrls, urlQueue), 1u);
    EXPECT_EQ(urlQueue.back(), sample::MemberLink(5));
    EXPECT_EQ(seenUrls.size(), 5u);
}

TEST_F(ListPageTest, PatternMatchingTheEmptyTextAdvances) {
    rules.validateCompReg = Pattern("(x*)");
    rules.generalCompReg.reset();
    rules.CompReg.reset();
    QueueCompanyLinks(rules, "abxxc", seenUrls, urlQueue);
    const std::list<std::string> expected = {"", "xx"};
    EXPECT_EQ(urlQueue, expected);
}

TEST_F(ListPageTest, MissingPatternsQueueNothing) {
    EXPECT_EQ(QueueCompanyLinks(ExtractionRules{}, sample::ListPage(1, 1, {sample::MemberLink(1)}), seenUrls,
                                urlQueue),
              0u);
    EXPECT_TRUE(urlQueue.empty());
}

TEST_F(ListPageTest, HostileBodyEndsWithoutLinks) {
    const std::string hostile(1 << 20, '<');
    EXPECT_EQ(QueueCompanyLinks(rules, hostile, seenUrls, urlQueue), 0u);
    EXPECT_EQ(ReadListPageTotals(rules, hostile).totalPages, 1u);
}
