#include "engine/search_query.h"

#include <gtest/gtest.h>

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
