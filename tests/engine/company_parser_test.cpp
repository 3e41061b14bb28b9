#include "engine/company_parser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>

#include "engine/company_extraction.h"
#include "engine/rules_file.h"
#include "support/sample_directory.h"
#include "support/trace_capture.h"

namespace {

boost::regex Pattern(const std::string& text) {
    return boost::regex(text, boost::regex::perl | boost::regex::icase);
}

// Pages by address, some reached through a redirect; remembers what was asked for.
class MapPageSource : public PageSource {
public:
    std::map<std::string, std::string> pages;
    std::map<std::string, std::string> redirects;  // asked -> where the page is read from
    std::vector<std::string> asked;

    bool Fetch(CompanyPage, const std::string& url, std::string_view& body) override {
        asked.push_back(url);
        const auto redirect = redirects.find(url);
        readFrom = redirect != redirects.end() ? redirect->second : url;
        const auto page = pages.find(readFrom);
        if (page == pages.end() || page->second.empty()) return false;
        body = page->second;
        return true;
    }
    std::string LastPageAddress() const override { return readFrom; }
    std::string readFrom;

    void AddCompany(const std::string& link, int number) {
        const sample::CompanyPages company = sample::PagesOf(link, number);
        pages[link] = company.home;
        pages[link + "contact.html"] = company.contact;
        pages[link + "intro.html"] = company.introduction;
        const std::string id = sample::MemberId(number);
        pages["http://member.test/time/" + id + ".html"] = company.time;
        pages["http://member.test/confirm/" + id + "/" + id + ".html"] = company.confirmation;
    }
};

class CompanyParserTest : public ::testing::Test {
protected:
    void SetUp() override { LoadRulesFromText(sample::RulesText(), rules); }
    std::unique_ptr<CompanyRecord> Extract(const std::string& link, ExtractionReport* report = nullptr,
                                           RuleCounters* counters = nullptr) {
        return ExtractCompany(rules, source, link, report, counters);
    }
    ExtractionRules rules;
    MapPageSource source;
};

}  // namespace

TEST_F(CompanyParserTest, FamilyByPlainBytePrefixCompanySiteFirst) {
    EXPECT_EQ(ChooseFamily(rules, "http://corp.test/c1/"), CompanyFamily::companySite);
    EXPECT_EQ(ChooseFamily(rules, "http://detail.test/d1/"), CompanyFamily::general);
    EXPECT_EQ(ChooseFamily(rules, "http://dir.test/x"), CompanyFamily::general);
    EXPECT_EQ(ChooseFamily(rules, "http://m1.test/"), CompanyFamily::memberSite);
    // A member host that merely begins with a prefix's letters is read as that family.
    EXPECT_EQ(ChooseFamily(rules, "http://corporate.test/"), CompanyFamily::companySite);
    EXPECT_EQ(ChooseFamily(rules, "http://directlight.test/"), CompanyFamily::general);
    // Case counts.
    EXPECT_EQ(ChooseFamily(rules, "HTTP://corp.test/"), CompanyFamily::memberSite);
    // Prefixes the rules do not give never match.
    EXPECT_EQ(ChooseFamily(ExtractionRules{}, "http://corp.test/c1/"), CompanyFamily::memberSite);
}

TEST(ChooseFamily, PatternsTellTheFamiliesWhereNoPrefixDoes) {
    ExtractionRules rules;
    LoadRulesFromText(
        "companySiteLinkReg,,,^https?://www\\.site\\.test/shop/\n"
        "generalLinkReg,,,/company/\\d+\\.html\n"
        "detailPrefix,,,http://detail\n",
        rules);
    const struct {
        const char* link;
        CompanyFamily family;
    } cases[] = {
        {"https://www.site.test/shop/7/", CompanyFamily::companySite},
        {"http://www.site.test/company/7.html?x=1", CompanyFamily::general},  // matched anywhere
        {"http://detail.test/d1/", CompanyFamily::general},                   // a prefix still counts
        {"https://www.site.test/shop/7.html/company/1.html", CompanyFamily::companySite},  // first wins
        {"http://m1.site.test/", CompanyFamily::memberSite},
        {"HTTPS://WWW.SITE.TEST/SHOP/7/", CompanyFamily::companySite},  // patterns ignore case
    };
    for (const auto& c : cases) EXPECT_EQ(ChooseFamily(rules, c.link), c.family) << c.link;
}

TEST(MemberIdOf, FromAfterTheSchemeToTheFirstDot) {
    EXPECT_EQ(MemberIdOf("http://lamps88.cn.example.com/"), "lamps88");
    EXPECT_EQ(MemberIdOf("http://lamps88"), "lamps88");
    EXPECT_EQ(MemberIdOf("http://a"), "a");
    EXPECT_EQ(MemberIdOf("http://"), "");
    EXPECT_EQ(MemberIdOf(""), "");
    EXPECT_EQ(MemberIdOf("ht.p://abc.d"), "abc");
    // A scheme of any length, https above all.
    EXPECT_EQ(MemberIdOf("https://lamps88.cn.example.com/"), "lamps88");
    EXPECT_EQ(MemberIdOf("https://lamps88"), "lamps88");
    EXPECT_EQ(MemberIdOf("https://"), "");
    EXPECT_EQ(MemberIdOf("svn+ssh://m1.test/"), "m1");
    // The first label of the host, as a URL reads it; a link that is no URL has none.
    EXPECT_EQ(MemberIdOf("http://lamps88/intro.html"), "lamps88");
    EXPECT_EQ(MemberIdOf("HTTP://user@Lamps88.Test:8080/"), "lamps88");
    EXPECT_EQ(MemberIdOf("abcdefgh.test/?to=http://x.y"), "");
}

TEST(MemberIdOf, ByTheRulesPatternWhereTheyGiveOne) {
    ExtractionRules rules;
    LoadRulesFromText("memberIdReg,,,//shop\\.site\\.test/([^/?#]+)\n", rules);
    RuleCounters counters(rules);
    EXPECT_EQ(MemberIdOf(rules, "http://shop.site.test/m100032/?src=list", &counters), "m100032");
    EXPECT_EQ(MemberIdOf(rules, "http://m7.site.test/", &counters), "");  // no match: no member id
    EXPECT_EQ(MemberIdOf(ExtractionRules{}, "http://m7.site.test/"), "m7");
    const RuleCount& count = counters.Pattern(PatternRule::memberIdReg);
    EXPECT_EQ(count.tried, 2u);
    EXPECT_EQ(count.matched, 1u);
}

TEST_F(CompanyParserTest, MemberSiteCompanyReadInFull) {
    source.AddCompany(sample::MemberLink(1), 1);
    const auto record = Extract(sample::MemberLink(1));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->validate, 1);
    EXPECT_EQ(record->url, sample::MemberLink(1));
    EXPECT_EQ(record->contactUrl, "http://m1.test/contact.html");
    EXPECT_EQ(record->introduceUrl, "http://m1.test/intro.html");
    EXPECT_EQ(record->compName, "公司1");
    EXPECT_EQ(record->contact, "张三先生 经理");
    EXPECT_EQ(record->phone, "86-0571-1");
    EXPECT_EQ(record->mobile, "1391");
    EXPECT_EQ(record->fax, "0571-1");
    EXPECT_EQ(record->address, "杭州市");
    EXPECT_EQ(record->compIntroduce, "做好产品1");
    EXPECT_EQ(record->userInfo, "user1");
    EXPECT_EQ(record->memberId, "m1");
    EXPECT_EQ(record->timeInfoUrl, "http://member.test/time/m1.html");
    EXPECT_EQ(record->confirmInfoUrl, "http://member.test/confirm/m1/m1.html");
    EXPECT_EQ(record->regTime, "2009-01-01");
    EXPECT_EQ(record->lastLoginTime, "2010-05-06");
    EXPECT_EQ(record->identityAuth, " 已认证 ");  // its tags blanked, the blanks squeezed
    EXPECT_EQ(record->trustYears, "1");
    const std::vector<std::string> asked = {"http://m1.test/", "http://m1.test/contact.html",
                                            "http://m1.test/intro.html", "http://member.test/time/m1.html",
                                            "http://member.test/confirm/m1/m1.html"};
    EXPECT_EQ(source.asked, asked);
}

TEST_F(CompanyParserTest, CompanySiteAndGeneralCompaniesHaveNoMemberFields) {
    for (const std::string& link : {sample::CompanyLink(2), sample::GeneralLink(2)}) {
        source = MapPageSource();
        source.AddCompany(link, 2);
        const auto record = Extract(link);
        ASSERT_TRUE(record) << link;
        EXPECT_EQ(record->validate, 0);
        EXPECT_EQ(record->compName, "公司2");
        EXPECT_EQ(record->phone, "86-0571-2");
        for (const std::string* field :
             {&record->userInfo, &record->memberId, &record->timeInfoUrl, &record->confirmInfoUrl,
              &record->regTime, &record->lastLoginTime, &record->identityAuth, &record->trustYears}) {
            EXPECT_TRUE(field->empty()) << link;
        }
        EXPECT_EQ(source.asked.size(), 3u) << link;
    }
}

TEST_F(CompanyParserTest, CompanySiteLinkUsesTheCompanyRules) {
    rules.companyRules.clear();
    rules.companyRules["公司名称"] = Pattern("<H1[^>]*>公司(\\d)");
    source.AddCompany(sample::CompanyLink(3), 3);
    const auto record = Extract(sample::CompanyLink(3));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->compName, "3");
    EXPECT_TRUE(record->phone.empty());
}

TEST_F(CompanyParserTest, APageTheHomePageDoesNotLinkIsLeftOutAndTheCompanyKept) {
    RuleCounters counters(rules);
    // No introduction link: read from the home and contact pages.
    source.AddCompany(sample::MemberLink(1), 1);
    source.pages["http://m1.test/"] =
        "<h1>公司1</h1><a href=\"http://m1.test/contact.html\">only contact</a>";
    auto record = Extract(sample::MemberLink(1), nullptr, &counters);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->compName, "公司1");
    EXPECT_EQ(record->phone, "86-0571-1");
    EXPECT_TRUE(record->compIntroduce.empty());
    EXPECT_TRUE(record->introduceUrl.empty());
    EXPECT_EQ(record->regTime, "2009-01-01");  // the member pages are read all the same

    // No link at all: the home page alone.
    source.AddCompany(sample::GeneralLink(2), 2);
    source.pages[sample::GeneralLink(2)] = "<h1>公司2</h1><p>联系人：李四<p>";
    record = Extract(sample::GeneralLink(2), nullptr, &counters);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->contact, "李四");
    const RuleHealthSnapshot health = counters.Snapshot();
    EXPECT_EQ(health.records, 2u);
    EXPECT_EQ(health.recordsWithoutContactPage, 1u);
    EXPECT_EQ(health.recordsWithoutIntroductionPage, 2u);
}

TEST_F(CompanyParserTest, NoRecordWhenTheHomePageOrALinkedPageCannotBeRead) {
    source.AddCompany(sample::MemberLink(2), 2);
    source.pages.erase("http://m2.test/intro.html");
    EXPECT_FALSE(Extract(sample::MemberLink(2)));

    source.AddCompany(sample::GeneralLink(3), 3);
    source.pages[sample::GeneralLink(3) + "contact.html"] = "";  // an empty body counts as not read
    EXPECT_FALSE(Extract(sample::GeneralLink(3)));

    source.asked.clear();
    EXPECT_FALSE(Extract("http://m9.test/"));
    EXPECT_EQ(source.asked.size(), 1u);
}

TEST_F(CompanyParserTest, LinksAreReadAsTheHomePageMeantThem) {
    // The home page is read after a redirect: its links are relative to where it was read from.
    const std::string link = "http://m1.test/";
    source.AddCompany("http://m1.test/shop/", 1);
    source.redirects[link] = "http://m1.test/shop/";
    source.pages["http://m1.test/shop/"] =
        "<h1>公司1</h1><a href=\"contact.html?a=1&amp;b=2#top\">c</a> <a "
        "href=\"&#x2F;shop&#47;intro.html\">i</a>";
    source.pages["http://m1.test/shop/contact.html?a=1&b=2"] = sample::PagesOf(link, 1).contact;
    source.pages["http://m1.test/shop/intro.html"] = sample::PagesOf(link, 1).introduction;
    rules.validateCompContactReg = Pattern("href=\"([^\"]*contact\\.html[^\"]*)\"");
    const auto record = Extract(link);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->contactUrl, "http://m1.test/shop/contact.html?a=1&b=2");
    EXPECT_EQ(record->introduceUrl, "http://m1.test/shop/intro.html");
    EXPECT_EQ(record->phone, "86-0571-1");
    EXPECT_EQ(record->compIntroduce, "做好产品1");
    EXPECT_EQ(record->url, link);
}

TEST_F(CompanyParserTest, ALinkToAnotherSchemeIsSkippedCountedAndTheCompanyKept) {
    RuleCounters counters(rules);
    source.AddCompany(sample::GeneralLink(4), 4);
    source.pages[sample::GeneralLink(4)] =
        "<h1>公司4</h1><a href=\"javascript:;//contact.html\">c</a><a "
        "href=\"mailto:a@b.test?x=intro.html\">i</a>";
    const auto record = Extract(sample::GeneralLink(4), nullptr, &counters);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->compName, "公司4");
    EXPECT_TRUE(record->contactUrl.empty());
    EXPECT_TRUE(record->introduceUrl.empty());
    EXPECT_EQ(source.asked.size(), 1u);
    EXPECT_EQ(counters.Pattern(PatternRule::generalCompContactReg).skipped, 1u);
    EXPECT_EQ(counters.Pattern(PatternRule::generalCompIntroduceReg).skipped, 1u);
}

TEST_F(CompanyParserTest, MissingRuleNeverMatches) {
    source.AddCompany(sample::MemberLink(1), 1);
    rules.validateCompContactReg.reset();
    RuleCounters counters(rules);
    auto record = Extract(sample::MemberLink(1), nullptr, &counters);
    ASSERT_TRUE(record);
    EXPECT_TRUE(record->phone.empty());
    EXPECT_EQ(record->compIntroduce, "做好产品1");
    // A rule the rules do not give is not counted as tried.
    EXPECT_EQ(counters.Pattern(PatternRule::validateCompContactReg).tried, 0u);

    LoadRulesFromText(sample::RulesText(), rules);
    rules.validateRules.erase("诚信通年限");
    rules.TimeInfoUrl.clear();
    source.asked.clear();
    record = Extract(sample::MemberLink(1));
    ASSERT_TRUE(record);
    EXPECT_TRUE(record->trustYears.empty());
    EXPECT_TRUE(record->regTime.empty());
    EXPECT_EQ(record->compName, "公司1");
    EXPECT_EQ(source.asked.size(), 3u);  // no time page address, so no member page
    EXPECT_TRUE(record->timeInfoUrl.empty());
    EXPECT_EQ(rules.validateRules.count("诚信通年限"), 0u);
}

TEST_F(CompanyParserTest, MemberPageTemplatesReplaceTheFirstIds) {
    rules.TimeInfoUrl = "http://member.test/t/{id}/{id}.html";
    rules.ConfirmInfoUrl = "http://member.test/c/{id}/{id}/{id}.html";
    source.AddCompany(sample::MemberLink(4), 4);
    const auto record = Extract(sample::MemberLink(4));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->timeInfoUrl, "http://member.test/t/m4/{id}.html");
    EXPECT_EQ(record->confirmInfoUrl, "http://member.test/c/m4/m4/{id}.html");
    EXPECT_TRUE(record->regTime.empty());  // that address has no page

    // A template without scheme and host names a page of the member's own site.
    rules.TimeInfoUrl = "/time/{id}.html";
    source.pages["http://m4.test/time/m4.html"] = "<td>注册时间：2001-02-03</td>";
    const auto own = Extract(sample::MemberLink(4));
    ASSERT_TRUE(own);
    EXPECT_EQ(own->timeInfoUrl, "http://m4.test/time/m4.html");
    EXPECT_EQ(own->regTime, "2001-02-03");
}

TEST_F(CompanyParserTest, ConfirmationValuesOf512BytesOrMoreAreDropped) {
    source.AddCompany(sample::MemberLink(1), 1);
    const std::string confirmation = "http://member.test/confirm/m1/m1.html";
    source.pages[confirmation] =
        "<td>身份认证：" + std::string(511, 'a') + "</td><td>诚信通：" + std::string(600, '7') + "年</td>";
    auto record = Extract(sample::MemberLink(1));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->identityAuth, std::string(511, 'a'));
    EXPECT_TRUE(record->trustYears.empty());

    source.pages[confirmation] = "<td>身份认证：" + std::string(512, 'a') + "</td>";
    record = Extract(sample::MemberLink(1));
    ASSERT_TRUE(record);
    EXPECT_TRUE(record->identityAuth.empty());
}

TEST_F(CompanyParserTest, NotRegisteredIntroductionIsDroppedQuietly) {
    source.AddCompany(sample::MemberLink(1), 1);
    source.pages["http://m1.test/intro.html"] = "<div>公司介绍：该公司还未在阿里巴巴登记公司信息。</div>";
    TraceCapture trace;
    const auto record = Extract(sample::MemberLink(1));
    ASSERT_TRUE(record);
    EXPECT_TRUE(record->compIntroduce.empty());
    EXPECT_EQ(trace.Text().find("exist un match key value."), std::string::npos);
}

TEST_F(CompanyParserTest, UnknownLabelsTraceOncePerCompanyAndAreReported) {
    rules.validateRules["注册时间"] = Pattern("注册时间：([0-9-]+)");
    rules.validateRules["星级"] = Pattern("<H1>(公司)");
    source.AddCompany(sample::MemberLink(1), 1);
    source.pages["http://m1.test/intro.html"] = "<div>公司介绍：好。注册时间：2001-02-03</div>";
    TraceCapture trace;
    ExtractionReport report;
    const auto record = Extract(sample::MemberLink(1), &report);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->regTime, "2009-01-01");  // from the time page, not the combined text
    EXPECT_EQ(CountOf(trace.Text(), "exist un match key value.\n"), 1);
    const std::vector<std::string> unknown = {"星级", "注册时间"};  // in label (GBK byte) order
    EXPECT_EQ(report.unknownLabels, unknown);
    // The rules for member pages find nothing in the combined text.
    EXPECT_NE(std::find(report.unmatchedLabels.begin(), report.unmatchedLabels.end(), "诚信通年限"),
              report.unmatchedLabels.end());
}

TEST_F(CompanyParserTest, CombinedTextBeyondTheWorkingAreaIsClipped) {
    source.AddCompany(sample::GeneralLink(1), 1);
    std::string& home = source.pages[sample::GeneralLink(1)];
    home = home + std::string(1100000, ' ') + "<h1>late</h1>";
    const auto record = Extract(sample::GeneralLink(1));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->compName, "公司1");
    // The contact page lies beyond the area: its values are cut off with it.
    EXPECT_TRUE(record->phone.empty());
}

TEST_F(CompanyParserTest, MemberValuesLoseTheirScriptsAndTags) {
    rules.validateRules["主营行业"] = Pattern("行业：(.*?)。");
    source.AddCompany(sample::MemberLink(1), 1);
    source.pages["http://m1.test/intro.html"] =
        "<div>公司介绍：好。行业：<b class=\"x\">照明</b><script type=\"a\">var x;</script>灯具。</div>";
    const auto record = Extract(sample::MemberLink(1));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->mainIndustry.find("var"), std::string::npos);
    EXPECT_EQ(record->mainIndustry.find('<'), std::string::npos);
    EXPECT_NE(record->mainIndustry.find("照明"), std::string::npos);
    EXPECT_NE(record->mainIndustry.find("灯具"), std::string::npos);
}
