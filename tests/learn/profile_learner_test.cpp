// The profile learner on pages made for each case: finding a value as a person reads it, the
// rule built around it, and the limits past which it learns nothing. This file's plain literals
// are GBK, as the engine's texts are.
#include "learn/profile_learner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "engine/rules_file.h"

namespace {

using Rows = std::vector<std::pair<std::string, std::string>>;  // label -> value cell, as the page writes it

// A company's home page as a directory of today writes one: a title, a heading, and its facts as
// a definition list whose terms carry the attributes given.
std::string DefinitionPage(const std::string& title, const Rows& rows, const std::string& termAttributes) {
    std::string html = "<html>\n<head><title>" + title + "</title></head>\n<body>\n<h1>" + title +
                       "</h1>\n<dl class=\"facts\">\n";
    for (const auto& [label, value] : rows)
        html += "<dt" + termAttributes + ">" + label + "：</dt>\n  <dd>" + value + "</dd>\n";
    return html + "</dl>\n</body>\n</html>\n";
}

struct PageSpec {
    std::string title;
    Rows rows;
    std::string termAttributes = " class=\"t\"";
};

std::vector<CapturedCompany> Companies(const std::vector<PageSpec>& specs) {
    std::vector<CapturedCompany> companies;
    for (std::size_t index = 0; index < specs.size(); ++index) {
        CapturedCompany company;
        company.link = "http://www.example.test/company/" + std::to_string(index) + ".html";
        company.pages[0] = DefinitionPage(specs[index].title, specs[index].rows, specs[index].termAttributes);
        companies.push_back(std::move(company));
    }
    return companies;
}

using Values = std::vector<std::optional<std::string>>;

struct LearnCase {
    const char* behaviour;
    std::vector<PageSpec> pages;
    std::string label;
    std::vector<std::pair<std::size_t, std::string>> examples;  // value as a person types it
    Values expected;  // the learned rule's value on every company; empty: nothing may be learned
};

const std::vector<LearnCase> kLearnCases = {
    {"a full-width blank and &nbsp; on the page read as the blank the person typed",
     {{"甲", {{"地址", "梅州市　人民路1号"}}},
      {"乙", {{"地址", "南京市&nbsp;工业大道2号"}}},
      {"丙", {{"地址", "扬州市  建设路3号"}}}},
     "地址",
     {{0, "梅州市 人民路1号"}},
     {"梅州市 人民路1号", "南京市 工业大道2号", "扬州市 建设路3号"}},
    {"blanks the person left out or added do not matter",
     {{"甲", {{"联系人", "张伟&nbsp;先生"}}},
      {"乙", {{"联系人", "李娜 女士"}}},
      {"丙", {{"联系人", "王强"}}}},
     "联系人",
     {{0, "张伟先生"}},
     {"张伟 先生", "李娜 女士", "王强"}},
    {"a four-byte GB18030 character is one character of the value",
     {{"甲", {{"联系人", "𠮷先生"}}}, {"乙", {{"联系人", "李先生"}}}, {"丙", {{"联系人", "𠮷女士 经理"}}}},
     "联系人",
     {{0, "𠮷先生"}},
     {"𠮷先生", "李先生", "𠮷女士 经理"}},
    {"a \"<\" that opens no tag is part of the value, not the start of a tag to the next \">\"",
     {{"甲", {{"起订量", "< 100件"}}}, {"乙", {{"起订量", "< 5件"}}}, {"丙", {{"起订量", "1件"}}}},
     "起订量",
     {{0, "< 100件"}},
     {"< 100件", "< 5件", "1件"}},
    {"a value in the title and in the table is read from the labelled cell",
     {{"海纳螺丝", {{"公司名称", "海纳螺丝"}, {"电话", "0571-1"}}},
      {"天宇五金 - 首页", {{"公司名称", "天宇五金"}, {"电话", "0571-2"}}},
      {"旧名称", {{"公司名称", "新名称"}, {"电话", "0571-3"}}}},
     "公司名称",
     {{0, "海纳螺丝"}},
     {"海纳螺丝", "天宇五金", "新名称"}},
    {"term attributes that differ between the examples are left out of the rule",
     {{"甲", {{"电话", "0571-1"}}, " class=\"a\""},
      {"乙", {{"电话", "0571-2"}}, " class=\"b\" data-row=\"7\""},
      {"丙", {{"电话", "0571-3"}}, ""}},
     "电话",
     {{0, "0571-1"}, {1, "0571-2"}},
     {"0571-1", "0571-2", "0571-3"}},
    {"a label spaced out on one example still reads the unspaced one",
     {{"甲", {{"电 话", "0571-1"}}}, {"乙", {{"电话", "0571-2"}}}, {"丙", {{"电话", "0571-3"}}}},
     "电话",
     {{0, "0571-1"}},
     {"0571-1", "0571-2", "0571-3"}},
    {"a label that ends another label reads only its own row",
     {{"甲", {{"移动电话", "13800000001"}, {"电话", "0571-1"}}},
      {"乙", {{"移动电话", "13800000002"}, {"电话", "0571-2"}}},
      {"丙", {{"电话", "0571-3"}}}},
     "电话",
     {{0, "0571-1"}},
     {"0571-1", "0571-2", "0571-3"}},
    {"a company without the row gives no value, an empty cell an empty one",
     {{"甲", {{"传真", "0571-9"}}}, {"乙", {{"电话", "0571-2"}}}, {"丙", {{"传真", ""}}}},
     "传真",
     {{0, "0571-9"}},
     {"0571-9", std::nullopt, ""}},
    {"a value in a link of its own also finds the cell without one",
     {{"甲", {{"公司网址", "<a href=\"http://a.test\">http://a.test</a>"}}},
      {"乙", {{"公司网址", ""}}},
      {"丙", {{"公司网址", "<a href=\"http://c.test\" target=\"_blank\">http://c.test</a>"}}}},
     "公司网址",
     {{0, "http://a.test"}},
     {"http://a.test", "", "http://c.test"}},
    {"a value that is not on the example's pages is not learned",
     {{"甲", {{"电话", "0571-1"}}}, {"乙", {{"电话", "0571-2"}}}},
     "电话",
     {{0, "0571-7"}},
     {}},
    {"a rule that finds its row on fewer than half the companies is not learned",
     {{"甲", {{"电话", "0571-1"}, {"传真", "0571-9"}}},
      {"乙", {{"电话", "0571-2"}}},
      {"丙", {{"电话", "0571-3"}}},
      {"丁", {{"电话", "0571-4"}}}},
     "传真",
     {{0, "0571-9"}},
     {}},
    {"examples that contradict each other teach nothing",
     {{"甲", {{"电话", "0571-1"}, {"传真", "0571-9"}}}, {"乙", {{"电话", "0571-2"}, {"传真", "0571-8"}}}},
     "电话",
     {{0, "0571-1"}, {1, "0571-8"}},
     {}},
};

TEST(ProfileLearner, LearnsARuleThatReadsTheExamplesAndTheOtherCompanies) {
    for (const LearnCase& example : kLearnCases) {
        SCOPED_TRACE(example.behaviour);
        const ProfileLearner learner(Companies(example.pages));
        const FieldEvidence field = learner.LearnField(example.label, example.examples);
        EXPECT_EQ(field.label, example.label);
        EXPECT_EQ(field.ruleKey, "general");
        if (example.expected.empty()) {
            EXPECT_FALSE(field.learned) << field.pattern;
            EXPECT_TRUE(field.pattern.empty());
            EXPECT_FALSE(field.notLearnedReason.empty());
            continue;
        }
        ASSERT_TRUE(field.learned) << field.notLearnedReason;
        EXPECT_EQ(field.values, example.expected) << field.pattern;
        // A rule as a person would write it: the label, never a stretch of the page.
        EXPECT_NE(field.pattern.find(example.label.substr(example.label.size() - 2)), std::string::npos)
            << field.pattern;
        EXPECT_LT(field.pattern.size(), 120u) << field.pattern;
        // And one the profile's loader takes as it stands.
        ExtractionRules rules;
        LoadRulesFromText(field.ruleKey + ",,," + field.label + ",,," + field.pattern + "\n", rules);
        EXPECT_EQ(rules.generalRules.count(field.label), 1u) << field.pattern;
    }
}

TEST(ProfileLearner, LearnsEveryFieldTheExamplesNameAndSkipsAFieldOneExampleLacks) {
    const ProfileLearner learner(Companies({{"甲", {{"公司名称", "甲公司"}, {"电话", "0571-1"}}},
                                            {"乙", {{"公司名称", "乙公司"}}},
                                            {"丙", {{"公司名称", "丙公司"}, {"电话", "0571-3"}}}}));
    const std::vector<FieldEvidence> fields = learner.LearnFields(
        {{0, {{"公司名称", "甲公司"}, {"电话", "0571-1"}}}, {1, {{"公司名称", "乙公司"}}}});
    ASSERT_EQ(fields.size(), 2u);
    // In the record's order: the company name's label comes after the telephone's.
    EXPECT_EQ(fields[0].label, "电话");
    EXPECT_EQ(fields[1].label, "公司名称");
    EXPECT_EQ(fields[0].values, (Values{"0571-1", std::nullopt, "0571-3"}));
    EXPECT_EQ(fields[1].values, (Values{"甲公司", "乙公司", "丙公司"}));
    EXPECT_EQ(fields[1].matched, 3u);
    EXPECT_EQ(fields[1].tried, 3u);
}

// Member sites lose their tags' attributes to the clean-up; a rule learned on general pages that
// reads them too is written for them as well, unless they have examples of their own.
TEST(ProfileLearner, WritesARuleForAnotherFamilyWhereItHoldsThere) {
    std::vector<CapturedCompany> companies = Companies({{"甲", {{"电话", "0571-1"}}},
                                                        {"乙", {{"电话", "0571-2"}}},
                                                        {"丙", {{"电话", "0571-3"}}, " class=\"m\""},
                                                        {"丁", {{"电话", "0571-4"}}, " class=\"m\""}});
    companies[2].family = companies[3].family = CompanyFamily::memberSite;
    const ProfileLearner learner(companies);
    FieldEvidence field = learner.LearnField("电话", {{0, "0571-1"}});
    ASSERT_TRUE(field.learned);
    EXPECT_EQ(field.alsoRuleKeys, std::vector<std::string>{"validate"});
    EXPECT_EQ(field.values, (Values{"0571-1", "0571-2", "0571-3", "0571-4"}));
    EXPECT_EQ(field.tried, 4u);

    const std::vector<FieldEvidence> fields =
        learner.LearnFields({{0, {{"电话", "0571-1"}}}, {3, {{"电话", "0571-4"}}}});
    ASSERT_EQ(fields.size(), 2u);
    EXPECT_TRUE(fields[0].alsoRuleKeys.empty());
    EXPECT_TRUE(fields[1].alsoRuleKeys.empty());
    EXPECT_NE(fields[0].ruleKey, fields[1].ruleKey);
}

// Member sites that write the introduction in markup no example has: the rule is read after the
// field's label as they write it, and learned only where it gives plausible values on half of them.
struct TransferCase {
    const char* behaviour;
    std::vector<std::string> memberPages;
    Values memberValues;  // empty: nothing may be learned for the members
};

const std::string kLongIntroduction = "<div>" + std::string(600, 'x') + "</div>";

const std::vector<TransferCase> kTransferCases = {
    {"a heading and the element after it are read after the record's label",
     {"<h3 class=\"t\">公司介绍</h3>\n<div class=\"c\">本厂生产合页。</div>",
      "<h3>公司介绍</h3><div>专营螺丝。</div>"},
     {"本厂生产合页。", "专营螺丝。"}},
    {"the learned rule's own label text is found too, the value a text after its tag",
     {"<p><b>公司介绍：</b>本厂生产合页。</p>", "<p><b>公司介绍：</b> 专营螺丝。 <br></p>"},
     {"本厂生产合页。", "专营螺丝。"}},
    {"a label whose values are empty or far longer than the examples' teaches nothing",
     {"<h3>公司介绍</h3><div></div>", "<h3>公司介绍</h3>" + kLongIntroduction,
      "<h3>公司介绍</h3><div> </div>"},
     {}},
    {"a label on fewer than half the members teaches nothing",
     {"<h3>公司介绍</h3><div>本厂生产合页。</div>", "<h3>简介</h3><div>专营螺丝。</div>",
      "<h3>简介</h3><div>专营扳手。</div>"},
     {}},
    {"a label the members do not write teaches nothing",
     {"<h3>简介</h3><div>本厂生产合页。</div>", "<h3>简介</h3><div>专营螺丝。</div>"},
     {}},
};

TEST(ProfileLearner, ReadsAFamilyNoRuleHoldsOnAfterTheFieldsLabel) {
    for (const TransferCase& example : kTransferCases) {
        SCOPED_TRACE(example.behaviour);
        std::vector<CapturedCompany> companies = Companies(
            {{"甲", {{"公司介绍", "本公司生产螺丝和五金。"}}}, {"乙", {{"公司介绍", "专营扳手。"}}}});
        for (const std::string& page : example.memberPages) {
            CapturedCompany& member = companies.emplace_back();
            member.family = CompanyFamily::memberSite;
            member.pages[0] = "<html><body>" + page + "</body></html>";
        }
        const ProfileLearner learner(companies);
        const std::vector<FieldEvidence> fields =
            learner.LearnFields({{0, {{"公司介绍", "本公司生产螺丝和五金。"}}}});
        ASSERT_EQ(fields.size(), 2u);
        ASSERT_TRUE(fields[0].learned) << fields[0].notLearnedReason;
        EXPECT_TRUE(fields[0].alsoRuleKeys.empty());
        const FieldEvidence& members = fields[1];
        EXPECT_EQ(members.ruleKey, "validate");
        EXPECT_EQ(members.tried, example.memberPages.size());
        if (example.memberValues.empty()) {
            EXPECT_FALSE(members.learned) << members.pattern;
            EXPECT_TRUE(members.pattern.empty());
            // A label found shows the rule read after it, which held on too few members.
            const bool labelFound = std::any_of(
                example.memberPages.begin(), example.memberPages.end(),
                [](const std::string& page) { return page.find("公司介绍") != std::string::npos; });
            EXPECT_EQ(members.notLearnedReason.find("<H3[^>]*>公司介绍</H3>") != std::string::npos,
                      labelFound)
                << members.notLearnedReason;
            continue;
        }
        ASSERT_TRUE(members.learned) << members.notLearnedReason;
        EXPECT_EQ(Values(members.values.begin() + 2, members.values.end()), example.memberValues)
            << members.pattern;
        EXPECT_EQ(members.matched, example.memberValues.size());
        // Written as the learned rules are, and read as the member sites' rule.
        ExtractionRules rules;
        LoadRulesFromText(LearnedProfileText("", fields), rules);
        EXPECT_EQ(rules.validateRules.count("公司介绍"), 1u) << members.pattern;
        EXPECT_LT(members.pattern.size(), 120u) << members.pattern;
    }
}

TEST(ProfileLearner, EvidenceOfAProfileShowsTheCellEachRuleReads) {
    const ProfileLearner learner(Companies({{"甲", {{"电话", "0571-1"}, {"传真", "0571-9"}}},
                                            {"乙", {{"电话", "0571-2"}, {"传真", "0571-8"}}}}));
    ExtractionRules rules;
    // The fax rule reads the telephone's cell, as a careless copy would; the zip code's label is
    // on no page.
    LoadRulesFromText(
        "general,,,传真,,,<DD[^>]*>\\s*([^<]*?)\\s*</DD>\n"
        "general,,,电话,,,<DT[^>]*>电话：</DT>\\s*<DD[^>]*>\\s*([^<]*?)\\s*</DD>\n"
        "general,,,邮编,,,<DT[^>]*>邮编：</DT>\\s*<DD[^>]*>\\s*([^<]*?)\\s*</DD>\n",
        rules);
    const std::vector<FieldEvidence> fields = learner.Evidence(rules);
    ASSERT_EQ(fields.size(), 3u);
    for (const FieldEvidence& field : fields) {
        SCOPED_TRACE(field.label);
        EXPECT_EQ(field.tried, 2u);
        if (field.label == "邮编") {
            EXPECT_EQ(field.values, (Values{std::nullopt, std::nullopt}));
            EXPECT_EQ(field.matched, 0u);
            EXPECT_FALSE(field.learned);
        } else {
            EXPECT_EQ(field.values, (Values{"0571-1", "0571-2"}));
            EXPECT_EQ(field.matched, 2u);
        }
    }
}

TEST(ProfileLearner, CleanedPagesAreThoseOfTheCompanyReading) {
    std::vector<CapturedCompany> companies = Companies({{"甲", {{"电话", "0571-1"}}}});
    companies[0].pages[1] = "<p>联系\r\n我们　<!-- 旧 -->0571-1</p>";
    companies[0].linkedPages.push_back({"http://www.example.test/contact", "<p>联系 <!-- x -->\n我们</p>"});
    const ProfileLearner learner(companies);
    EXPECT_EQ(learner.CompanyCount(), 1u);
    EXPECT_EQ(learner.CleanedPage(0, CompanyPage::contact), "<P>联系 我们 0571-1</P>");
    EXPECT_TRUE(learner.CleanedPage(0, CompanyPage::introduction).empty());
    EXPECT_TRUE(learner.CleanedPage(7, CompanyPage::home).empty());
    EXPECT_EQ(learner.CleanedLinkedPage(0, 0), "<P>联系 我们</P>");
    EXPECT_TRUE(learner.CleanedLinkedPage(0, 1).empty());
}

// Companies captured with the pages their home page links to, as `capture --follow` saves them:
// the contact facts stand on a linked page, reached by a link whose text names it.
std::vector<CapturedCompany> LinkedCompanies(const std::vector<std::string>& contactLinkTexts) {
    std::vector<CapturedCompany> companies;
    for (std::size_t index = 0; index < contactLinkTexts.size(); ++index) {
        const std::string number = std::to_string(index);
        CapturedCompany company;
        company.link = "http://www.example.test/c/" + number + "/";
        company.pages[0] = "<html><body><h1>公司" + number +
                           "</h1>\n<a href=\"about.html\">关于我们</a>\n<a class=\"nav\" "
                           "href=\"contact.html?from=home&amp;tab=1\">" +
                           contactLinkTexts[index] + "</a></body></html>";
        company.linkedPages.push_back({company.link + "about.html", "<p>公司" + number + "成立于2001年</p>"});
        company.linkedPages.push_back({company.link + "contact.html?from=home&tab=1",
                                       DefinitionPage("联系", {{"电话", "0571-" + number}}, "")});
        companies.push_back(std::move(company));
    }
    return companies;
}

TEST(ProfileLearner, LearnsTheLinkToTheContactPageFromCompaniesCapturedWithTheirLinkedPages) {
    const ProfileLearner learner(LinkedCompanies({"联系方式", "联系方式", "联系方式"}));
    const std::vector<FieldEvidence> fields =
        learner.LearnFields({{0, {{"电话", "0571-0"}}}, {1, {{"电话", "0571-1"}}}});
    ASSERT_EQ(fields.size(), 2u);
    EXPECT_EQ(fields[0].ruleKey, "generalCompContactReg");
    EXPECT_TRUE(fields[0].label.empty());
    ASSERT_TRUE(fields[0].learned) << fields[0].notLearnedReason;
    EXPECT_EQ(fields[0].values[2], "http://www.example.test/c/2/contact.html?from=home&tab=1");
    // The link rule finds the link in the home page as received, as the company reading does.
    ExtractionRules rules;
    LoadRulesFromText("generalCompContactReg,,," + fields[0].pattern + "\n", rules);
    EXPECT_TRUE(rules.generalCompContactReg) << fields[0].pattern;
    // The telephone is learned on the contact pages, the third company's included.
    EXPECT_EQ(fields[1].label, "电话");
    EXPECT_EQ(fields[1].page, CompanyPage::contact);
    EXPECT_EQ(fields[1].values, (Values{"0571-0", "0571-1", "0571-2"}));

    // The learned profile reads the same companies as captured, following its link to the
    // contact page among the linked pages.
    ExtractionRules profile;
    LoadRulesFromText(LearnedProfileText("", fields), profile);
    const std::vector<FieldEvidence> evidence = learner.Evidence(profile);
    ASSERT_EQ(evidence.size(), 1u);
    EXPECT_EQ(evidence[0].values, fields[1].values);
}

// A member's shop links its contact page as the companies do: the link rule and the label rule
// are written for the member sites too, without a member example.
TEST(ProfileLearner, ALinkRuleThatHoldsOnAnotherFamilyIsWrittenForItToo) {
    std::vector<CapturedCompany> companies = LinkedCompanies({"联系方式", "联系方式", "联系方式"});
    companies[2].family = CompanyFamily::memberSite;
    const ProfileLearner learner(companies);
    const std::vector<FieldEvidence> fields =
        learner.LearnFields({{0, {{"电话", "0571-0"}}}, {1, {{"电话", "0571-1"}}}});
    ASSERT_EQ(fields.size(), 2u);
    ASSERT_TRUE(fields[0].learned) << fields[0].notLearnedReason;
    EXPECT_EQ(fields[0].alsoRuleKeys, std::vector<std::string>{"validateCompContactReg"});
    EXPECT_EQ(fields[1].alsoRuleKeys, std::vector<std::string>{"validate"});
    EXPECT_EQ(fields[1].values[2], "0571-2");
}

TEST(ProfileLearner, ALinkTextThatLeadsElsewhereOnAnotherCompanyTeachesNoLink) {
    std::vector<CapturedCompany> companies = LinkedCompanies({"联系方式", "联系方式"});
    // The second company's "联系方式" leads to a page it was not captured with.
    companies[1].pages[0] = "<a href=\"/elsewhere.html\">联系方式</a>";
    const ProfileLearner learner(companies);
    const std::vector<FieldEvidence> fields = learner.LearnFields({{0, {{"电话", "0571-0"}}}});
    ASSERT_FALSE(fields.empty());
    EXPECT_EQ(fields[0].ruleKey, "generalCompContactReg");
    EXPECT_FALSE(fields[0].learned);
    EXPECT_TRUE(fields[0].pattern.empty());
    EXPECT_FALSE(fields[0].notLearnedReason.empty());
}

struct HostileLinkCase {
    const char* behaviour;
    std::string homeStart;        // put before the first example's home page
    std::string contactLinkText;  // of every company's link to its contact page
    bool learned;                 // the contact link rule
};

const std::vector<HostileLinkCase> kHostileLinkCases = {
    {"a home page that opens thousands of links and closes none: the contact link still teaches",
     [] {
         std::string links;
         while (links.size() < 200000) links += "<a href=x>";
         return links;
     }(),
     "联系方式", true},
    {"a home page of link tags that no \">\" ends, where a search finds no link either, teaches nothing",
     [] {
         std::string tags;
         while (tags.size() < 100000) tags += "<a ";
         return tags;
     }(),
     "联系方式", false},
    {"a link text too long for a line of the rules file teaches no rule the profile would drop", "",
     [] {
         std::string text;
         while (text.size() < 600) text += "联系我们";
         return text;
     }(),
     false},
};

TEST(ProfileLearner, HostileHomePagesTeachOnlyALinkRuleTheProfileKeeps) {
    for (const HostileLinkCase& test : kHostileLinkCases) {
        std::vector<CapturedCompany> companies =
            LinkedCompanies({test.contactLinkText, test.contactLinkText, test.contactLinkText});
        companies[0].pages[0].insert(0, test.homeStart);
        const std::vector<FieldEvidence> fields =
            ProfileLearner(companies).LearnFields({{0, {{"电话", "0571-0"}}}, {1, {{"电话", "0571-1"}}}});
        ASSERT_FALSE(fields.empty()) << test.behaviour;
        EXPECT_EQ(fields[0].ruleKey, "generalCompContactReg") << test.behaviour;
        EXPECT_EQ(fields[0].learned, test.learned) << test.behaviour << ": " << fields[0].notLearnedReason;
        // What is learned is what the saved profile reads: the link rule for every key it is written under.
        ExtractionRules profile;
        LoadRulesFromText(LearnedProfileText("", fields), profile);
        EXPECT_EQ(profile.generalCompContactReg.has_value(), test.learned) << test.behaviour;
    }
}

// A megabyte of "<" that no ">" ends, or of script tags that none closes: the value is still
// looked for in one walk of the page, and no label stands before it.
TEST(ProfileLearner, HostilePagesAreWalkedOnceAndTeachNothing) {
    const std::size_t megabyte = 1 << 20;
    std::vector<CapturedCompany> companies(2);
    companies[0].pages[0] = std::string(megabyte, '<') + "电话：0571-1";
    std::string scripts;
    while (scripts.size() < megabyte) scripts += "<script>";
    companies[1].pages[0] = scripts + "电话：0571-2";
    const ProfileLearner learner(companies);
    for (std::size_t company = 0; company < companies.size(); ++company) {
        const FieldEvidence field =
            learner.LearnField("电话", {{company, "0571-" + std::to_string(company + 1)}});
        EXPECT_FALSE(field.learned) << field.pattern;
        EXPECT_FALSE(field.notLearnedReason.empty());
    }
    // Member sites of text nodes without tags between them, or of the label over and over with
    // elements that never end, where the introduction is read after its label.
    std::vector<CapturedCompany> members = Companies({{"甲", {{"公司介绍", "本厂生产合页。"}}}});
    members.resize(3);
    members[1].pages[0] = "<p>" + std::string(megabyte, '>') + "</p>";
    while (members[2].pages[0].size() < megabyte) members[2].pages[0] += "<h3>公司介绍</h3><div>";
    members[1].family = members[2].family = CompanyFamily::memberSite;
    const std::vector<FieldEvidence> fields =
        ProfileLearner(members).LearnFields({{0, {{"公司介绍", "本厂生产合页。"}}}});
    ASSERT_EQ(fields.size(), 2u);
    EXPECT_FALSE(fields[1].learned) << fields[1].pattern;
    EXPECT_FALSE(fields[1].notLearnedReason.empty());
}

struct ProfileTextCase {
    const char* behaviour;
    std::string base;
    std::vector<FieldEvidence> fields;
    std::string expected;
};

FieldEvidence Learned(const std::string& key, const std::string& label, const std::string& pattern,
                      std::vector<std::string> also = {}) {
    FieldEvidence field;
    field.ruleKey = key;
    field.label = label;
    field.pattern = pattern;
    field.learned = true;
    field.alsoRuleKeys = std::move(also);
    return field;
}

FieldEvidence NotLearned(const std::string& key, const std::string& label) {
    FieldEvidence field;
    field.ruleKey = key;
    field.label = label;
    field.notLearnedReason = "找不到";
    return field;
}

const std::vector<ProfileTextCase> kProfileTextCases = {
    {"a learned rule takes the place of the base's rule; the rest stays as it was",
     "siteName,,,示范\n# 规则\ngeneral,,,联系人,,,OLD(.*)\ngeneral,,,电话,,,KEEP(.*)\n",
     {Learned("general", "联系人", "NEW(.*)"), NotLearned("general", "电话")},
     "siteName,,,示范\n# 规则\ngeneral,,,联系人,,,NEW(.*)\ngeneral,,,电话,,,KEEP(.*)\n"},
    {"a rule the base lacks is added at the end under a heading",
     "siteName,,,示范\n",
     {Learned("general", "传真", "FAX(.*)")},
     "siteName,,,示范\n\n# Learned from examples\ngeneral,,,传真,,,FAX(.*)\n"},
    {"a profile of its own holds only the learned rules",
     "",
     {Learned("validate", "电话", "TEL(.*)")},
     "# Learned from examples\nvalidate,,,电话,,,TEL(.*)\n"},
    {"the same label of another family is another rule",
     "company,,,电话,,,C(.*)\r\ngeneral,,,电话,,,G(.*)\r\n",
     {Learned("general", "电话", "NEW(.*)")},
     "company,,,电话,,,C(.*)\r\ngeneral,,,电话,,,NEW(.*)\r\n"},
    {"a label given twice in the base is written once, where it first stood",
     "general,,,电话,,,A(.*)\ngeneral,,,地址,,,B(.*)\ngeneral,,,电话,,,C(.*)\n",
     {Learned("general", "电话", "NEW(.*)")},
     "general,,,电话,,,NEW(.*)\ngeneral,,,地址,,,B(.*)\n"},
    {"a rule that holds for more families is written for each",
     "validate,,,电话,,,V(.*)\n",
     {Learned("general", "电话", "NEW(.*)", {"validate"})},
     "validate,,,电话,,,NEW(.*)\n\n# Learned from examples\ngeneral,,,电话,,,NEW(.*)\n"},
    {"a learned link rule replaces the key's line",
     "generalCompContactReg,,,<a href=\"(old)\">\ngeneralCompIntroduceReg,,,\n",
     {Learned("generalCompContactReg", "", "<a href=\"([^\"]+)\">联系方式</a>")},
     "generalCompContactReg,,,<a href=\"([^\"]+)\">联系方式</a>\ngeneralCompIntroduceReg,,,\n"},
};

TEST(LearnedProfileText, WritesTheLearnedRulesIntoTheBaseProfile) {
    for (const ProfileTextCase& example : kProfileTextCases) {
        SCOPED_TRACE(example.behaviour);
        EXPECT_EQ(LearnedProfileText(example.base, example.fields), example.expected);
    }
}

}  // namespace
