#include "engine/search_query.h"

#include <gtest/gtest.h>

#include "engine/result_pages.h"

namespace {

const std::string kBase = "http://dir.test/company/";

std::string QueryFor(const SearchCondition& condition) {
    std::string address = kBase;
    EXPECT_TRUE(BuildQuery(address, condition));
    return address;
}

}  // namespace

TEST(UrlEncode, KeepsLettersDigitsAndPunctuation) {
    EXPECT_EQ(UrlEncode("abc123"), "abc123");
    EXPECT_EQ(UrlEncode("a%b&c/d+e-f_g.h"), "a%b&c/d+e-f_g.h");
    EXPECT_EQ(UrlEncode(""), "");
}

TEST(UrlEncode, SpaceBecomesPlusAndHighBytesLowerCaseTriplets) {
    EXPECT_EQ(UrlEncode("led lamp"), "led+lamp");
    EXPECT_EQ(UrlEncode("灯"), "%b5%c6");  // GBK B5 C6, each byte its own triplet
    EXPECT_EQ(UrlEncode("\x80\xff"), "%80%ff");
    EXPECT_EQ(UrlEncode(" 灯 "), "+%b5%c6+");
    EXPECT_EQ(UrlEncode("45#钢"), "45%23%b8%d6") << "a raw # would cut the address";
}

TEST(BuildQuery, KeywordAlone) {
    SearchCondition condition;
    condition.keyword = "lamp";
    EXPECT_EQ(QueryFor(condition), kBase + "k-lamp_pageSize-40_p-1_n-y.html");
}

TEST(BuildQuery, AllSegmentsInOrder) {
    SearchCondition condition;
    condition.keyword = "k";
    condition.province = "%d5%e3";
    condition.city = "%ba%bc";
    condition.industry = "1031";
    condition.bizType = "2";
    EXPECT_EQ(
        QueryFor(condition),
        kBase +
            "k-k_c-1031_province-%d5%e3_showProvince-%d5%e3_city-%ba%bc_biztype-2_pageSize-40_p-1_n-y.html");
}

TEST(BuildQuery, ProvinceAloneHasNoLeadingSeparator) {
    SearchCondition condition;
    condition.province = "zj";
    EXPECT_EQ(QueryFor(condition), kBase + "province-zj_showProvince-zj_pageSize-40_p-1_n-y.html");
}

TEST(BuildQuery, IndustryAndBizTypeGoInUnencoded) {
    SearchCondition condition;
    condition.industry = "a b";
    condition.bizType = "灯";
    EXPECT_EQ(QueryFor(condition), kBase + "c-a b_biztype-灯_pageSize-40_p-1_n-y.html");
}

TEST(BuildQuery, NoConditionAppendsNoSegment) {
    std::string address = kBase;
    EXPECT_FALSE(BuildQuery(address, SearchCondition{}));
    EXPECT_EQ(address.find("k-"), std::string::npos);
}

TEST(ResultPageAddress, ReplacesThePageSuffixOnly) {
    SearchCondition condition;
    condition.keyword = "p-1";
    const std::string first = QueryFor(condition);
    EXPECT_EQ(ResultPageAddress(first, 12), kBase + "k-p-1_pageSize-40_p-12_n-y.html");
    EXPECT_EQ(ResultPageAddress(first, 99999), kBase + "k-p-1_pageSize-40_p-99999_n-y.html");
    condition.keyword = "p-1_n-y.html";
    EXPECT_EQ(ResultPageAddress(QueryFor(condition), 2), kBase + "k-p-1_n-y.html_pageSize-40_p-2_n-y.html");
}

namespace {

SearchCondition Conditions(const char* keyword, const char* province, const char* city, const char* industry,
                           const char* bizType) {
    return {keyword, province, city, industry, bizType};
}

}  // namespace

// Every placeholder in the query and in the path, both charsets, empty conditions left out.
TEST(FillSearchTemplate, EachConditionEncodedForWhereItStands) {
    const std::string query =
        "https://www.s.test/search?q={keyword}&province={province}&city={city}&industry={industry}&biz="
        "{biztype}&page={page}";
    const std::string path =
        "http://s.test/list/{province}/{city}/k-{keyword}/p{page}.html?sort=new#{industry}";
    const SearchCondition all = Conditions("led 灯", "浙江", "杭州", "照明工业", "生产加工");
    const struct {
        std::string pattern;
        SearchCondition condition;
        QueryCharset charset;
        uint32_t page;
        std::string address;
    } cases[] = {
        {query, all, QueryCharset::gbk, 3,
         "https://www.s.test/"
         "search?q=led+%B5%C6&province=%D5%E3%BD%AD&city=%BA%BC%D6%DD&industry=%D5%D5%C3%F7"
         "%B9%A4%D2%B5&biz=%C9%FA%B2%FA%BC%D3%B9%A4&page=3"},
        {query, all, QueryCharset::utf8, 1,
         "https://www.s.test/search?q=led+%E7%81%AF&province=%E6%B5%99%E6%B1%9F&city=%E6%9D%AD%E5%B7%9E&"
         "industry=%E7%85%A7%E6%98%8E%E5%B7%A5%E4%B8%9A&biz=%E7%94%9F%E4%BA%A7%E5%8A%A0%E5%B7%A5&page=1"},
        // A parameter whose condition is empty goes with its "&", the first one too.
        {query, Conditions("", "zj", "", "", "2"), QueryCharset::gbk, 1,
         "https://www.s.test/search?province=zj&biz=2&page=1"},
        {"http://s.test/s?q={keyword}&city={city}", Conditions("", "zj", "", "", ""), QueryCharset::gbk, 1,
         "http://s.test/s"},
        // In the path a blank is "%20"; a segment whose condition is empty goes with its "/".
        {path, Conditions("a b", "zj", "", "x", ""), QueryCharset::gbk, 2,
         "http://s.test/list/zj/k-a%20b/p2.html?sort=new#x"},
        {path, Conditions("k", "", "", "", ""), QueryCharset::gbk, 1,
         "http://s.test/list/k-k/p1.html?sort=new#"},
        // "&", "#", "+", "/", "=" and "%" stay part of the value wherever it stands.
        {query, Conditions("a&b#c+d/e=f%g", "", "", "", ""), QueryCharset::utf8, 1,
         "https://www.s.test/search?q=a%26b%23c%2Bd%2Fe%3Df%25g&page=1"},
        {path, Conditions("a&b#c+d/e=f%g", "", "", "", ""), QueryCharset::gbk, 1,
         "http://s.test/list/k-a%26b%23c%2Bd%2Fe%3Df%25g/p1.html?sort=new#"},
        {"http://s.test/{keyword}", Conditions("-._~AZaz09!*'()", "", "", "", ""), QueryCharset::gbk, 1,
         "http://s.test/-._~AZaz09%21%2A%27%28%29"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FillSearchTemplate(c.pattern, c.condition, c.charset, c.page).value_or("<none>"), c.address)
            << c.pattern;
    }
    EXPECT_FALSE(FillSearchTemplate(query, SearchCondition{}, QueryCharset::utf8, 1)) << "no condition set";
}

TEST(FillSearchTemplate, PlaceholdersThatStandForNothingAreNamed) {
    EXPECT_TRUE(UnknownPlaceholders("http://s.test/?q={keyword}&p={page}&c={city}").empty());
    EXPECT_EQ(UnknownPlaceholders("http://s.test/?q={keywrod}&p={Page}&x={page"),
              (std::vector<std::string>{"{keywrod}", "{Page}", "{page"}));
}

TEST(ResultPages, TheDirectorysOwnLayoutOrTheSitesTemplate) {
    ExtractionRules rules;
    const SearchCondition condition = Conditions("led 灯", "", "", "", "");
    EXPECT_EQ(ResultPages(rules, condition).Failure(),
              "the rules give no search address (searchBaseUrl or searchUrlTemplate)");
    rules.searchBaseUrl = kBase;
    // Byte for byte what BuildQuery and the page rewrite give the encoded conditions.
    const ResultPages classic(rules, condition);
    EXPECT_EQ(classic.First(), kBase + "k-led+%b5%c6_pageSize-40_p-1_n-y.html");
    EXPECT_EQ(classic.Numbered(7), kBase + "k-led+%b5%c6_pageSize-40_p-7_n-y.html");
    EXPECT_EQ(ResultPages(rules, SearchCondition{}).Failure(), "no search condition is set");

    rules.searchUrlTemplate = "http://s.test/search?q={keyword}&page={page}";
    rules.queryCharset = "UTF-8";
    const ResultPages profile(rules, condition);
    EXPECT_TRUE(profile.Failure().empty());
    EXPECT_EQ(profile.First(), "http://s.test/search?q=led+%E7%81%AF&page=1");
    EXPECT_EQ(profile.Numbered(12), "http://s.test/search?q=led+%E7%81%AF&page=12");
    EXPECT_EQ(ResultPages(rules, SearchCondition{}).Failure(), "no search condition is set");
}

TEST(NextPageTrail, EndsWithoutALinkAtAPageReadBeforeAndAtTheLimit) {
    NextPageTrail trail;
    trail.NoteRead("http://s.test/search?q=a&page=1", "http://s.test/search?q=a&page=1");
    EXPECT_EQ(trail.Next("http://s.test/search?q=a&page=2").value_or(""), "http://s.test/search?q=a&page=2");
    EXPECT_FALSE(trail.Next(std::nullopt));
    EXPECT_FALSE(trail.Next("http://S.TEST:80/search?q=a&page=1#top")) << "page 1 in another spelling";
    trail.NoteRead("http://s.test/search?q=a&page=2", "http://s.test/moved?page=2");
    EXPECT_FALSE(trail.Next("http://s.test/moved?page=2")) << "where a redirect led";
    EXPECT_EQ(trail.PagesRead(), 2u);
    while (trail.PagesRead() < NextPageTrail::kMostPages) {
        trail.NoteRead("http://s.test/p" + std::to_string(trail.PagesRead()), "");
    }
    EXPECT_FALSE(trail.Next("http://s.test/new"));
}
