#include "learn/result_page_learner.h"

#include <gtest/gtest.h>

#include <list>
#include <map>

#include "engine/company_family.h"
#include "engine/list_page.h"
#include "engine/rules_file.h"

namespace {

constexpr char kSite[] = "http://www.list.test/search?q=x";

// One entry of a result list in the markup of a site of today.
std::string Entry(int id, const std::string& link, const std::string& name,
                  const std::string& linkClass = "co") {
    return "<li class=\"item\" data-id=\"" + std::to_string(id) + "\">\n<a class=\"" + linkClass +
           "\" href=\"" + link + "\">" + name + "</a>\n<a href=\"/c/" + std::to_string(id) +
           "/contact.html\">联系方式</a></li>\n";
}

std::string ListPage(const std::string& entries, const std::string& pager = "") {
    return "<html><body><ul class=\"list\">\n" + entries + "</ul><nav>" + pager + "</nav></body></html>";
}

struct LearningCase {
    const char* behaviour;
    std::vector<CapturedResultPage> pages;
    std::vector<std::string> names;
    std::set<std::string> links;                    // every company link the learned rules find
    std::map<std::string, CompanyFamily> families;  // of some of them, by the learned rules
    std::vector<std::optional<std::string>> next;   // per page, the next one by the learned rule
    std::set<std::string> notLearned;               // rule keys reported as not learned
    std::vector<std::string> namesNotFound;
    std::vector<std::string> namesAmbiguous;
    std::string baseText = "";   // the profile learned into
    bool ownFamilyOnly = false;  // each company-link rule finds the companies of its family alone
};

void ExpectLearning(const LearningCase& c) {
    SCOPED_TRACE(c.behaviour);
    ExtractionRules base;
    LoadRulesFromText(c.baseText, base);
    const ResultPageLearning learning = ResultPageLearner(c.pages, base).Learn(c.names);
    std::set<std::string> notLearned;
    for (const FieldEvidence& rule : learning.rules) {
        EXPECT_TRUE(rule.label.empty());
        EXPECT_EQ(rule.values.size(), c.pages.size()) << rule.ruleKey;
        EXPECT_EQ(rule.tried, c.pages.size()) << rule.ruleKey;
        if (!rule.learned) {
            notLearned.insert(rule.ruleKey);
            EXPECT_FALSE(rule.notLearnedReason.empty()) << rule.ruleKey;
        }
    }
    EXPECT_EQ(notLearned, c.notLearned);
    EXPECT_EQ(learning.namesNotFound, c.namesNotFound);
    EXPECT_EQ(learning.namesAmbiguous, c.namesAmbiguous);

    // The learned rules as a profile holds them, read back by the rules file's own loader.
    ExtractionRules rules;
    std::vector<RulesFinding> findings;
    LoadRulesFromText(LearnedProfileText(c.baseText, learning.rules), rules, &findings);
    EXPECT_TRUE(findings.empty()) << findings.front().reason;
    std::map<std::string, bool> seen;
    std::list<std::string> queue;
    std::vector<std::optional<std::string>> next;
    for (const CapturedResultPage& page : c.pages) {
        QueueCompanyLinks(rules, page.body, page.address, seen, queue);
        next.push_back(NextResultPage(rules, page.body, page.address));
    }
    EXPECT_EQ(std::set<std::string>(queue.begin(), queue.end()), c.links);
    for (const auto& [link, family] : c.families) EXPECT_EQ(ChooseFamily(rules, link), family) << link;
    EXPECT_EQ(next, c.next);
    const std::pair<const char*, CompanyFamily> keys[] = {{"validateCompReg", CompanyFamily::memberSite},
                                                          {"generalCompReg", CompanyFamily::general},
                                                          {"CompReg", CompanyFamily::companySite}};
    for (const FieldEvidence& rule : learning.rules) {
        for (const auto& [key, family] : keys) {
            if (!c.ownFamilyOnly || rule.ruleKey != key) continue;
            ExtractionRules alone;
            LoadRulesFromText(key + std::string(",,,") + rule.pattern, alone);
            std::list<std::string> found;
            for (const CapturedResultPage& page : c.pages) {
                std::map<std::string, bool> none;
                QueueCompanyLinks(alone, page.body, page.address, none, found);
            }
            for (const std::string& link : found)
                EXPECT_EQ(ChooseFamily(rules, link), family) << key << " " << link;
        }
    }
}

TEST(ResultPageLearnerTest, LearnsTheListsLinksAndTheNextPageOrSaysWhyNot) {
    const std::string three = Entry(1, "/c/1.html", "甲公司") + Entry(2, "c/2.html?a=1&amp;b=2", "乙公司") +
                              Entry(3, "/c/3.html", "丙公司");
    const std::set<std::string> threeLinks = {"http://www.list.test/c/1.html",
                                              "http://www.list.test/c/2.html?a=1&b=2",
                                              "http://www.list.test/c/3.html"};
    const std::string nextLink = "<a class=\"next\" href=\"?q=x&amp;page=2\">下一页</a>";
    const std::string secondPage = "http://www.list.test/search?q=x&page=2";
    const LearningCase cases[] = {
        {"one name (typed with blanks) finds every entry of its list, not the contact links beside "
         "them; the list's pages are the directory's own, told apart from member sites by generalLinkReg",
         {{kSite, ListPage(three, nextLink)}, {secondPage, ListPage(Entry(4, "/c/4.html", "丁公司"))}},
         {" 乙公司\t"},
         {"http://www.list.test/c/1.html", "http://www.list.test/c/2.html?a=1&b=2",
          "http://www.list.test/c/3.html", "http://www.list.test/c/4.html"},
         {{"http://www.list.test/c/4.html", CompanyFamily::general},
          {"http://m9.list.test/", CompanyFamily::memberSite}},
         {secondPage, std::nullopt},
         {},
         {},
         {}},
        {"members' shops and directory pages, each under the key of its family, the member id "
         "taken from the shop's folder",
         {{kSite,
           ListPage(Entry(1, "//shop.list.test/m1/?src=l", "甲公司", "shop") +
                    Entry(2, "/c/2.html", "乙公司") + Entry(3, "//shop.list.test/m3/", "丙公司", "shop"))}},
         {"甲公司", "乙公司"},
         {"http://shop.list.test/m1/?src=l", "http://www.list.test/c/2.html", "http://shop.list.test/m3/"},
         {{"http://shop.list.test/m1/?src=l", CompanyFamily::memberSite},
          {"http://www.list.test/c/2.html", CompanyFamily::general}},
         {std::nullopt},
         {"nextPageReg"},
         {},
         {}},
        {"names that stand nowhere learn nothing, and say so",
         {{kSite, ListPage(three)}},
         {"无此公司", "亦无此公司"},
         {},
         {},
         {std::nullopt},
         {"generalCompReg", "nextPageReg"},
         {"无此公司", "亦无此公司"},
         {}},
        {"a name that an advertisement shows too takes the kind of link the other names show",
         {{kSite, ListPage(three + "<li class=\"ad\"><a class=\"ad\" href=\"/ads/7\">甲公司</a></li>")}},
         {"甲公司", "丙公司"},
         threeLinks,
         {},
         {std::nullopt},
         {"nextPageReg"},
         {},
         {}},
        {"a lone name shown by two kinds of link to two places is ambiguous, not guessed",
         {{kSite, ListPage(three + "<li class=\"ad\"><a class=\"ad\" href=\"/ads/7\">甲公司</a></li>")}},
         {"甲公司"},
         {},
         {},
         {std::nullopt},
         {"generalCompReg", "nextPageReg"},
         {},
         {"甲公司"}},
        {"a name in its link's title and text, and the same company recommended again",
         {{kSite, ListPage("<div class=\"r\"><a class=\"t\" href=\"/c/1.html\">甲公司</a></div>" +
                           Entry(1, "/c/1.html\" title=\"甲公司", "<b>甲公司</b>") +
                           Entry(2, "/c/2.html", "乙公司"))}},
         {"甲公司"},
         {"http://www.list.test/c/1.html", "http://www.list.test/c/2.html"},
         {},
         {std::nullopt},
         {"nextPageReg"},
         {},
         {}},
        {"pages linked by number after the marked current one",
         {{kSite, ListPage(three, "<span class=\"cur\">1</span> <a href=\"?q=x&amp;page=2\">2</a>")},
          {secondPage,
           ListPage(
               Entry(4, "/c/4.html", "丁公司"),
               "<a href=\"?q=x\">1</a> <span class=\"cur\">2</span> <a href=\"?q=x&amp;page=3\">3</a>")}},
         {"甲公司"},
         {"http://www.list.test/c/1.html", "http://www.list.test/c/2.html?a=1&b=2",
          "http://www.list.test/c/3.html", "http://www.list.test/c/4.html"},
         {},
         {secondPage, "http://www.list.test/search?q=x&page=3"},
         {},
         {},
         {}},
        {"a link the page does not show (in a comment, in a script) makes the rule name the "
         "list's markup before its links",
         {{kSite,
           ListPage(three + "<!-- <a class=\"co\" href=\"/c/9.html\">戊公司</a> -->"
                            "<script>var a='<a class=\"co\" href=\"/c/8.html\">己公司</a>';</script>")}},
         {"甲公司"},
         threeLinks,
         {},
         {std::nullopt},
         {"nextPageReg"},
         {},
         {}},
        {"a comment in a link's text shows nothing: the name reads whole",
         {{kSite, ListPage(Entry(1, "/c/1.html", "甲<!-- 旧名 -->公司") +
                           Entry(2, "c/2.html?a=1&amp;b=2", "乙公司") + Entry(3, "/c/3.html", "丙公司"))}},
         {"甲公司"},
         threeLinks,
         {},
         {std::nullopt},
         {"nextPageReg"},
         {},
         {}},
        {"hostile markup after the list: a megabyte of \"<\", an unclosed comment and tag",
         {{kSite, ListPage(three) + std::string(1 << 20, '<') +
                      "<!-- <a class=\"co\" href=\"/c/9.html\">戊公司</a>"}},
         {"甲公司"},
         threeLinks,
         {},
         {std::nullopt},
         {"nextPageReg"},
         {},
         {}},
        {"hostile markup after the list: a link of a megabyte of attributes, each named once",
         {{kSite, ListPage(three) + "<a" +
                      [] {
                          std::string attributes;
                          for (int name = 0; attributes.size() < (1 << 20); ++name)
                              attributes += " d" + std::to_string(name);
                          return attributes;
                      }() +
                      ">戊公司</a>"}},
         {"甲公司"},
         threeLinks,
         {},
         {std::nullopt},
         {"nextPageReg"},
         {},
         {}},
        {"a profile that tells the families apart keeps doing so, and a family whose links the "
         "markup does not tell apart gets a rule naming their host",
         {{kSite, ListPage(Entry(1, "http://co.list.test/1/", "甲公司", "t") +
                           Entry(2, "http://d.list.test/c/2.html", "乙公司", "t") +
                           Entry(3, "http://co.list.test/3/", "丙公司", "t"))}},
         {"甲公司", "乙公司"},
         {"http://co.list.test/1/", "http://d.list.test/c/2.html", "http://co.list.test/3/"},
         {{"http://co.list.test/3/", CompanyFamily::companySite},
          {"http://d.list.test/c/2.html", CompanyFamily::general}},
         {std::nullopt},
         {"nextPageReg"},
         {},
         {},
         "companySitePrefix,,,http://co.\ndetailPrefix,,,http://d.\n",
         true},
        {"a next link that leads back to the page itself is no next page",
         {{kSite, ListPage(three, "<a href=\"?q=x\">下一页</a>")}},
         {"甲公司"},
         threeLinks,
         {},
         {std::nullopt},
         {"nextPageReg"},
         {},
         {}},
    };
    for (const LearningCase& c : cases) ExpectLearning(c);
}

}  // namespace
