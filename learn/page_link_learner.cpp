#include "learn/page_link_learner.h"

#include <algorithm>
#include <boost/regex.hpp>
#include <map>
#include <set>

#include "engine/captured_link.h"
#include "engine/company_parser.h"
#include "engine/rule_search.h"
#include "engine/rules_file.h"
#include "learn/rule_context.h"
#include "learn/value_finder.h"

namespace {

// The facts a directory keeps on a contact page; the others belong to the introduction.
const std::set<std::string> kContactLabels = {"联系人", "电话", "移动电话", "传真",
                                              "地址",   "邮编", "公司网址"};
constexpr std::size_t kNoPage = static_cast<std::size_t>(-1);

struct LinkKeys {
    const char* contact;
    const char* introduction;
};

LinkKeys KeysOf(CompanyFamily family) {
    switch (family) {
        case CompanyFamily::companySite:
            return {"CompContactReg", "CompIntroduceReg"};
        case CompanyFamily::general:
            return {"generalCompContactReg", "generalCompIntroduceReg"};
        default:
            return {"validateCompContactReg", "validateCompIntroduceReg"};
    }
}

bool LinkedOnly(const CapturedCompany& company) {
    return !company.linkedPages.empty() &&
           company.pages[static_cast<std::size_t>(CompanyPage::contact)].empty() &&
           company.pages[static_cast<std::size_t>(CompanyPage::introduction)].empty();
}

// The linked page holding most of the role's values that the home page does not show.
std::size_t PageHolding(const CapturedCompany& company, const CompanyExample& example, bool contactRole,
                        std::size_t taken) {
    const std::string home = CleanedCompanyText(company.family, company.pages[0]);
    std::size_t best = kNoPage, bestCount = 0;
    for (std::size_t page = 0; page < company.linkedPages.size(); ++page) {
        if (page == taken) continue;
        const std::string text = CleanedCompanyText(company.family, company.linkedPages[page].body);
        std::size_t count = 0;
        for (const auto& [label, value] : example.values) {
            if ((kContactLabels.count(label) > 0) != contactRole) continue;
            const std::string key = ValueKey(CleanedLabelValue(company.family, value));
            if (FindValue(home, key).empty() && !FindValue(text, key).empty()) ++count;
        }
        if (count > bestCount) {
            best = page;
            bestCount = count;
        }
    }
    return best;
}

// The text of the home page's first link to the address, tags left out; empty when it has none.
// Only the start tags are searched, and the link's end only after the one to the address, so that
// a page of links that no "</a>" ends is read in one pass; a search Boost gives up on (tags that
// no ">" ends) finds no link, as in the company reading.
std::string LinkTextTo(const CapturedCompany& company, const std::string& address) {
    static const boost::regex startTag("<a\\s[^>]*href\\s*=\\s*[\"']?([^\"' >]+)[^>]*>",
                                       boost::regex::perl | boost::regex::icase);
    static const boost::regex endTag("(</a>)", boost::regex::perl | boost::regex::icase);
    const std::string& home = company.pages[0];
    std::string href, linkEnd;
    for (std::size_t position = 0; FindNextCapture(startTag, home, position, href);) {
        if (ResolveCapturedLink(href, company.link) != address) continue;
        std::size_t textEnd = position;
        if (!FindNextCapture(endTag, home, textEnd, linkEnd)) return {};
        return ValueKey(std::string_view(home).substr(position, textEnd - linkEnd.size() - position));
    }
    return {};
}

// Whether the profile's loader takes the rule written under the key: a long link text can make
// the line longer than a rules file holds.
bool ProfileTakes(const std::string& key, const std::string& pattern) {
    ExtractionRules rules;
    std::vector<RulesFinding> findings;
    LoadRulesFromText(key + ",,," + pattern + "\n", rules, &findings);
    return findings.empty();
}

// The linked page a rule leads to from the home page; kNoPage when it finds no link, or one to a
// page the company was not captured with.
std::size_t PageLedTo(const boost::regex& rule, const CapturedCompany& company, bool& linkFound) {
    std::string captured;
    linkFound = FindFirstCapture(rule, company.pages[0], captured);
    if (!linkFound) return kNoPage;
    const std::optional<std::string> address = ResolveCapturedLink(captured, company.link);
    for (std::size_t page = 0; page < company.linkedPages.size(); ++page) {
        if (address && company.linkedPages[page].address == *address) return page;
    }
    return kNoPage;
}

const char* RoleKey(CompanyFamily family, CompanyPage role) {
    const LinkKeys keys = KeysOf(family);
    return role == CompanyPage::contact ? keys.contact : keys.introduction;
}

using ExamplePages = std::vector<std::pair<std::size_t, std::size_t>>;  // company -> linked page

// A link rule on the captured companies of one family with linked pages.
struct LinkTrial {
    std::size_t tried = 0, matched = 0;
    bool wrong = false;  // an example's link leads elsewhere, or a link to a page not captured
    std::vector<std::size_t> ledTo;
};

LinkTrial TryLink(const boost::regex& rule, const std::vector<CapturedCompany>& companies,
                  CompanyFamily family, const ExamplePages& examplePages) {
    LinkTrial trial;
    trial.ledTo.assign(companies.size(), kNoPage);
    for (std::size_t company = 0; company < companies.size(); ++company) {
        if (companies[company].family != family || companies[company].linkedPages.empty()) continue;
        ++trial.tried;
        bool linkFound = false;
        const std::size_t page = PageLedTo(rule, companies[company], linkFound);
        const auto example = std::find_if(examplePages.begin(), examplePages.end(),
                                          [company](const auto& entry) { return entry.first == company; });
        if ((example != examplePages.end() && page != example->second) || (linkFound && page == kNoPage))
            trial.wrong = true;
        if (page == kNoPage) continue;
        ++trial.matched;
        trial.ledTo[company] = page;
    }
    return trial;
}

// The link rule for one role of one family, known by the text of the examples' links, and the
// page it leads to on each company (kNoPage where none). Written for the other families without
// examples of their own too, where it finds their links and leads nowhere wrong.
FieldEvidence LearnRoleLink(const std::vector<CapturedCompany>& companies, CompanyFamily family,
                            CompanyPage role, const ExamplePages& examplePages,
                            const std::set<CompanyFamily>& taughtFamilies, std::vector<std::size_t>& ledTo) {
    FieldEvidence evidence;
    evidence.ruleKey = RoleKey(family, role);
    evidence.page = role;
    evidence.values.resize(companies.size());
    std::vector<std::string> texts;
    for (const auto& [company, page] : examplePages) {
        const std::string text = LinkTextTo(companies[company], companies[company].linkedPages[page].address);
        if (!text.empty() && std::find(texts.begin(), texts.end(), text) == texts.end())
            texts.push_back(text);
    }
    if (texts.empty()) {
        evidence.notLearnedReason = "首页上没有指向这一页的链接";
        return evidence;
    }
    std::string alternatives;
    for (const std::string& text : texts)
        alternatives += (alternatives.empty() ? "" : "|") + LiteralPattern(text);
    if (texts.size() > 1) alternatives = "(?:" + alternatives + ")";
    const std::string pattern = "<a [^>]*href=\"?([^\"' >]+)[^>]*>\\s*" + alternatives + "\\s*</a>";
    if (!ProfileTakes(evidence.ruleKey, pattern)) {
        evidence.notLearnedReason = "链接文字太长，规则文件的一行写不下：" + pattern;
        return evidence;
    }
    const boost::regex rule(pattern, boost::regex::perl | boost::regex::icase);
    const LinkTrial own = TryLink(rule, companies, family, examplePages);
    if (own.wrong) {
        evidence.notLearnedReason = "链接文字相同的链接在一些公司通往别的页面：" + pattern;
        return evidence;
    }
    evidence.pattern = pattern;
    evidence.learned = true;
    evidence.tried = own.tried;
    evidence.matched = own.matched;
    ledTo = own.ledTo;
    for (const CompanyFamily other :
         {CompanyFamily::memberSite, CompanyFamily::general, CompanyFamily::companySite}) {
        if (other == family || taughtFamilies.count(other) > 0 ||
            !ProfileTakes(RoleKey(other, role), pattern))
            continue;
        const LinkTrial trial = TryLink(rule, companies, other, {});
        if (trial.wrong || trial.matched == 0) continue;
        evidence.alsoRuleKeys.push_back(RoleKey(other, role));
        evidence.tried += trial.tried;
        evidence.matched += trial.matched;
        for (std::size_t company = 0; company < companies.size(); ++company) {
            if (trial.ledTo[company] != kNoPage) ledTo[company] = trial.ledTo[company];
        }
    }
    for (std::size_t company = 0; company < companies.size(); ++company) {
        if (ledTo[company] != kNoPage)
            evidence.values[company] = companies[company].linkedPages[ledTo[company]].address;
    }
    return evidence;
}

}  // namespace

PageLinkLearning LearnPageLinks(const std::vector<CapturedCompany>& companies,
                                const std::vector<CompanyExample>& examples) {
    // Per family and role: the linked page of each example that holds the role's values.
    std::map<std::pair<CompanyFamily, CompanyPage>, ExamplePages> examplePages;
    for (const CompanyExample& example : examples) {
        if (example.company >= companies.size() || !LinkedOnly(companies[example.company])) continue;
        const CapturedCompany& company = companies[example.company];
        const std::size_t contact = PageHolding(company, example, true, kNoPage);
        if (contact != kNoPage)
            examplePages[{company.family, CompanyPage::contact}].emplace_back(example.company, contact);
        const std::size_t introduction = PageHolding(company, example, false, contact);
        if (introduction != kNoPage)
            examplePages[{company.family, CompanyPage::introduction}].emplace_back(example.company,
                                                                                   introduction);
    }
    PageLinkLearning learning{{}, companies};
    for (const auto& [familyRole, pages] : examplePages) {
        const auto& [family, role] = familyRole;
        std::set<CompanyFamily> taught;
        for (const auto& entry : examplePages) {
            if (entry.first.second == role) taught.insert(entry.first.first);
        }
        std::vector<std::size_t> ledTo(companies.size(), kNoPage);
        learning.rules.push_back(LearnRoleLink(companies, family, role, pages, taught, ledTo));
        for (std::size_t company = 0; company < companies.size(); ++company) {
            if (ledTo[company] == kNoPage || !LinkedOnly(companies[company])) continue;
            learning.companies[company].pages[static_cast<std::size_t>(role)] =
                companies[company].linkedPages[ledTo[company]].body;
        }
    }
    return learning;
}
