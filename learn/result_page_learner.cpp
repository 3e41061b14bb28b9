#include "learn/result_page_learner.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <list>
#include <map>
#include <optional>
#include <set>

#include "engine/captured_company.h"
#include "engine/captured_link.h"
#include "engine/company_family.h"
#include "engine/list_page.h"
#include "engine/page_anchors.h"
#include "engine/page_tokenizer.h"
#include "engine/rule_search.h"
#include "engine/rules_file.h"
#include "http/url.h"
#include "learn/family_link_rules.h"
#include "learn/link_patterns.h"

namespace {

constexpr char kNextPageText[] = "下一页";
// Texts of a result page's own navigation, never a company's name.
constexpr const char* kPagerTexts[] = {"下一页", "上一页", "首页", "尾页", "末页"};
constexpr std::size_t kLongestRuleLine = 511;  // the rules file's limit, its terminator aside
constexpr char kSeparator[] = ",,,";

struct PageLink {
    PageAnchor anchor;
    const TagAttribute* href = nullptr;  // into anchor
    std::optional<std::string> link;     // resolved, as the engine reads it
    std::string label;                   // its text, else its title
    std::string title;                   // decoded
};

struct ReadPage {
    const CapturedResultPage* page = nullptr;
    std::vector<PageLink> links;
    std::set<std::string> boilerplate;  // texts several links to differing places show
};

// A name as typed, read as a link's text is: blanks squeezed, none at either end.
std::string Squeezed(const std::string& text) {
    std::string squeezed;
    for (const char byte : text) {
        if (!IsHtmlBlank(byte)) {
            squeezed += byte;
        } else if (!squeezed.empty() && squeezed.back() != ' ') {
            squeezed += ' ';
        }
    }
    if (!squeezed.empty() && squeezed.back() == ' ') squeezed.pop_back();
    return squeezed;
}

bool IsPagerText(const std::string& text) {
    if (!text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return true;
    return std::any_of(std::begin(kPagerTexts), std::end(kPagerTexts),
                       [&](const char* pager) { return text == pager; });
}

ReadPage ReadLinks(const CapturedResultPage& page) {
    ReadPage read;
    read.page = &page;
    std::map<std::string, std::set<std::string>> placesByText;
    for (PageAnchor& anchor : ReadPageAnchors(page.body)) {
        PageLink link;
        link.anchor = std::move(anchor);
        link.href = link.anchor.Attribute("href");
        if (link.href == nullptr || link.href->valueStart == 0) continue;
        link.link = ResolveCapturedLink(link.href->value, page.address);
        const TagAttribute* title = link.anchor.Attribute("title");
        if (title != nullptr) link.title = DecodeCharacterReferences(title->value);
        link.label = link.anchor.text.empty() ? link.title : link.anchor.text;
        placesByText[link.label].insert(link.link.value_or(link.href->value));
        read.links.push_back(std::move(link));
    }
    for (const auto& [text, places] : placesByText) {
        if (places.size() >= 2) read.boilerplate.insert(text);
    }
    return read;
}

// The rules of one profile line, loaded as the rules file loads it; none when it is not taken.
std::optional<ExtractionRules> LoadedRule(const std::string& key, const std::string& pattern) {
    const std::string line = key + kSeparator + pattern;
    if (line.size() > kLongestRuleLine || line.find_first_of("\r\n") != std::string::npos)
        return std::nullopt;
    ExtractionRules rules;
    std::vector<RulesFinding> findings;
    LoadRulesFromText(line + "\n", rules, &findings);
    if (!findings.empty()) return std::nullopt;
    return rules;
}

FieldEvidence NotLearned(const std::string& key, const std::string& reason, std::size_t pages) {
    FieldEvidence evidence;
    evidence.ruleKey = key;
    evidence.values.assign(pages, std::nullopt);
    evidence.notLearnedReason = reason;
    return evidence;
}

struct Example {
    std::size_t page;
    const PageLink* link;
};

}  // namespace

std::vector<CapturedResultPage> ReadCapturedResultPages(const std::string& folder) {
    std::vector<CapturedResultPage> pages;
    for (int number = 1;; ++number) {
        const std::string path =
            (std::filesystem::path(folder) / ("result-page-" + std::to_string(number) + ".html")).string();
        std::optional<std::string> body = ReadWholeFile(path);
        if (!body) break;
        pages.push_back({CapturedResultPageAddress(path), std::move(*body)});
    }
    return pages;
}

ResultPageLearner::ResultPageLearner(std::vector<CapturedResultPage> pages, const ExtractionRules& base)
    : pages(std::move(pages)), base(base) {}

namespace {

// The learning of one call, over the pages read once.
class LearningRun {
public:
    LearningRun(const std::vector<CapturedResultPage>& pages, const ExtractionRules& base) : base(base) {
        for (const CapturedResultPage& page : pages) read.push_back(ReadLinks(page));
    }

    ResultPageLearning Learn(const std::vector<std::string>& companyNames) {
        std::vector<std::string> given;
        for (const std::string& name : companyNames) given.push_back(Squeezed(name));
        names.insert(given.begin(), given.end());
        std::vector<Example> examples = ChooseExamples(given);
        AddListedBeside(examples);
        if (examples.empty()) {
            learning.rules.push_back(NotLearned(
                "generalCompReg", "none of the names is the text or title of a link on the result pages",
                read.size()));
        } else {
            LearnFamilies(examples);
            LearnCompanyLinks(examples);
        }
        learning.rules.push_back(LearnNextPage());
        for (FieldEvidence& rule : learning.rules) rule.tried = read.size();
        return std::move(learning);
    }

private:
    const std::string& Body(std::size_t page) const { return read[page].page->body; }

    // Per name, the links that show it; where they are of differing kinds, the kind most other
    // names' links share, and none when that leaves links to differing places of differing kinds.
    std::vector<Example> ChooseExamples(const std::vector<std::string>& names) {
        std::map<std::string, std::vector<Example>> byName;
        std::map<std::string, std::set<std::string>> namesByKind;  // kind: the tag's literal prefix
        for (const std::string& name : names) {
            if (name.empty() || byName.count(name)) continue;
            std::vector<Example>& shown = byName[name];
            for (std::size_t page = 0; page < read.size(); ++page) {
                for (const PageLink& link : read[page].links) {
                    if ((link.anchor.text != name && link.title != name) || !link.link) continue;
                    shown.push_back({page, &link});
                    namesByKind[KindOf(page, link)].insert(name);
                }
            }
            if (shown.empty()) learning.namesNotFound.push_back(name);
        }
        std::vector<Example> chosen;
        for (const auto& [name, shown] : byName) {
            if (shown.empty()) continue;
            std::size_t best = 0;
            std::set<std::string> bestKinds;
            for (const Example& example : shown) {
                const std::string kind = KindOf(example.page, *example.link);
                const std::size_t support = namesByKind[kind].size();
                if (support > best) bestKinds.clear();
                if (support >= best) {
                    best = support;
                    bestKinds.insert(kind);
                }
            }
            std::set<std::string> places;
            std::vector<Example> kept;
            for (const Example& example : shown) {
                if (!bestKinds.count(KindOf(example.page, *example.link))) continue;
                kept.push_back(example);
                places.insert(*example.link->link);
            }
            if (bestKinds.size() > 1 && places.size() > 1) {
                learning.namesAmbiguous.push_back(name);
                continue;
            }
            chosen.insert(chosen.end(), kept.begin(), kept.end());
        }
        return chosen;
    }

    // Whether a link shows a text of its own: none that links to several places on its page (as
    // "联系方式" does), no pager text, and a link the engine follows.
    bool ShowsOwnText(const ReadPage& page, const PageLink& link) const {
        return link.link && !link.label.empty() &&
               (!page.boilerplate.count(link.label) || names.count(link.label)) && !IsPagerText(link.label);
    }

    // The companies listed beside the named ones: links of the same list kind that show a text of
    // their own, so that the rules find the companies of every family, not only the named ones'.
    void AddListedBeside(std::vector<Example>& examples) const {
        std::set<std::string> kinds;
        std::set<const PageLink*> taken;
        for (const Example& example : examples) {
            kinds.insert(ListKindOf(example.page, *example.link));
            taken.insert(example.link);
        }
        for (std::size_t page = 0; page < read.size(); ++page) {
            for (const PageLink& link : read[page].links) {
                if (taken.count(&link) || !ShowsOwnText(read[page], link) ||
                    !kinds.count(ListKindOf(page, link)))
                    continue;
                examples.push_back({page, &link});
            }
        }
    }

    std::string ListKindOf(std::size_t page, const PageLink& link) const {
        return ListKind(ShapeOf(Body(page), link.anchor, *link.href),
                        SurroundingKind(Body(page), link.anchor.start));
    }

    std::string KindOf(std::size_t page, const PageLink& link) const {
        return TagPrefixPattern({ShapeOf(Body(page), link.anchor, *link.href)});
    }

    // The families of the example links: by the base's rules where it tells them apart; else
    // member sites by the shape of their links, and generalLinkReg / memberIdReg learned for them.
    void LearnFamilies(const std::vector<Example>& examples) {
        familyRules = base;
        if (RulesTellFamilies(base)) return;
        std::vector<Url> general, members;
        for (const Example& example : examples) {
            const std::optional<Url> url = Url::Parse(*example.link->link);
            if (!url) continue;
            (LooksLikeMemberSite(*url) ? members : general).push_back(*url);
        }
        if (const std::string pattern = GeneralLinkPattern(general, members); !pattern.empty()) {
            if (std::optional<ExtractionRules> rules = LoadedRule("generalLinkReg", pattern)) {
                familyRules.generalLinkReg = rules->generalLinkReg;
                familyEvidence.push_back(LearnedFamilyRule("generalLinkReg", pattern));
            }
        }
        if (const std::string pattern = MemberIdPattern(members); !pattern.empty()) {
            if (std::optional<ExtractionRules> rules = LoadedRule("memberIdReg", pattern)) {
                familyRules.memberIdReg = rules->memberIdReg;
                familyEvidence.push_back(LearnedFamilyRule("memberIdReg", pattern));
            }
        }
    }

    FieldEvidence LearnedFamilyRule(const std::string& key, const std::string& pattern) const {
        FieldEvidence evidence;
        evidence.ruleKey = key;
        evidence.pattern = pattern;
        evidence.learned = true;
        return evidence;  // its values follow once the company links are known
    }

    // One company-link rule per family key, from the example links of that family.
    void LearnCompanyLinks(const std::vector<Example>& examples) {
        std::map<std::string, std::vector<Example>> byKey;
        for (const Example& example : examples)
            byKey[CompanyLinkKey(ChooseFamily(familyRules, *example.link->link))].push_back(example);
        std::vector<std::vector<std::string>> linksByPage(read.size());
        for (const char* key : {"validateCompReg", "generalCompReg", "CompReg"}) {
            const auto group = byKey.find(key);
            if (group == byKey.end()) continue;
            FieldEvidence evidence = LearnLinkRule(key, group->second);
            if (evidence.learned) NoteLinks(key, evidence.pattern, linksByPage);
            learning.rules.push_back(std::move(evidence));
        }
        for (FieldEvidence& evidence : familyEvidence) {
            FillFamilyValues(evidence, linksByPage);
            learning.rules.push_back(std::move(evidence));
        }
    }

    // The rule that finds the example links and no other links; of those, the first that finds
    // no company of another family either (its links' common host named where that takes one).
    FieldEvidence LearnLinkRule(const std::string& key, const std::vector<Example>& examples) const {
        std::vector<TagShape> shapes;
        std::vector<std::string_view> markupsBefore;
        std::set<std::string> hrefStarts;
        for (const Example& example : examples) {
            shapes.push_back(ShapeOf(Body(example.page), example.link->anchor, *example.link->href));
            markupsBefore.push_back(MarkupBefore(Body(example.page), example.link->anchor.start));
            hrefStarts.insert(AbsoluteHrefStart(example.link->href->value));
        }
        const std::string hrefStart = hrefStarts.size() == 1 ? *hrefStarts.begin() : std::string();
        std::vector<std::string> candidates;
        for (const std::string& context : {std::string(), LeftContextPattern(markupsBefore)}) {
            if (!candidates.empty() && context.empty()) continue;
            candidates.push_back(LinkPattern(shapes, context, ""));
            if (!hrefStart.empty()) candidates.push_back(LinkPattern(shapes, context, hrefStart));
        }
        std::optional<FieldEvidence> found;
        std::string strayText;
        for (const std::string& pattern : candidates) {
            const std::optional<ExtractionRules> rules = LoadedRule(key, pattern);
            if (!rules || !FindsOnlyCompanies(*rules, key, strayText) || !FindsAll(*rules, examples))
                continue;
            if (!FindsOtherFamilies(*rules, key)) return LinkEvidence(key, pattern, *rules);
            if (!found) found = LinkEvidence(key, pattern, *rules);
        }
        if (found) return *found;
        return NotLearned(
            key,
            strayText.empty()
                ? "no rule written from the links of the names finds them all"
                : "every rule that finds the links of the names finds other links too (" + strayText + ")",
            read.size());
    }

    bool FindsOtherFamilies(const ExtractionRules& rules, const std::string& key) const {
        std::map<std::string, bool> seen;
        std::list<std::string> queue;
        for (const ReadPage& page : read)
            QueueCompanyLinks(rules, page.page->body, page.page->address, seen, queue);
        return std::any_of(queue.begin(), queue.end(), [&](const std::string& link) {
            return CompanyLinkKey(ChooseFamily(familyRules, link)) != key;
        });
    }

    // Whether every link the pattern finds is a company's: a link that shows a text of its own
    // (no text that links to several places on one page, as "联系方式" does, and no pager text).
    bool FindsOnlyCompanies(const ExtractionRules& rules, const std::string& key,
                            std::string& strayText) const {
        const std::optional<boost::regex>& compiled = key == "validateCompReg" ? rules.validateCompReg
                                                      : key == "CompReg"       ? rules.CompReg
                                                                               : rules.generalCompReg;
        for (const ReadPage& page : read) {
            std::map<std::size_t, const PageLink*> byValue;
            for (const PageLink& link : page.links) byValue[link.href->valueStart] = &link;
            const std::string& body = page.page->body;
            try {
                for (boost::sregex_iterator match(body.begin(), body.end(), *compiled), end; match != end;
                     ++match) {
                    const auto found = byValue.find(static_cast<std::size_t>(match->position(1)));
                    if (found == byValue.end()) {
                        strayText = match->str(1);
                        return false;
                    }
                    const PageLink& link = *found->second;
                    if (!link.link) continue;  // the engine skips it
                    if (!ShowsOwnText(page, link)) {
                        strayText = link.label.empty() ? *link.link : link.label;
                        return false;
                    }
                }
            } catch (const std::exception&) {
                return false;  // too complex a search for the page: no rule for a search
            }
        }
        return true;
    }

    bool FindsAll(const ExtractionRules& rules, const std::vector<Example>& examples) const {
        std::map<std::string, bool> seen;
        std::list<std::string> queue;
        for (const ReadPage& page : read)
            QueueCompanyLinks(rules, page.page->body, page.page->address, seen, queue);
        return std::all_of(examples.begin(), examples.end(),
                           [&](const Example& example) { return seen.count(*example.link->link) != 0; });
    }

    FieldEvidence LinkEvidence(const std::string& key, const std::string& pattern,
                               const ExtractionRules& rules) const {
        FieldEvidence evidence;
        evidence.ruleKey = key;
        evidence.pattern = pattern;
        evidence.learned = true;
        for (const ReadPage& page : read) {
            std::map<std::string, bool> seen;
            std::list<std::string> queue;
            QueueCompanyLinks(rules, page.page->body, page.page->address, seen, queue);
            if (queue.empty()) {
                evidence.values.emplace_back(std::nullopt);
                continue;
            }
            ++evidence.matched;
            evidence.values.emplace_back(std::to_string(queue.size()) + " links, the first " + queue.front());
        }
        return evidence;
    }

    void NoteLinks(const std::string& key, const std::string& pattern,
                   std::vector<std::vector<std::string>>& linksByPage) const {
        const std::optional<ExtractionRules> rules = LoadedRule(key, pattern);
        for (std::size_t page = 0; page < read.size(); ++page) {
            std::map<std::string, bool> seen;
            std::list<std::string> queue;
            QueueCompanyLinks(*rules, read[page].page->body, read[page].page->address, seen, queue);
            linksByPage[page].insert(linksByPage[page].end(), queue.begin(), queue.end());
        }
    }

    // Per page: how many of the company links the family rule marks (generalLinkReg), or the
    // member ids it reads (memberIdReg).
    void FillFamilyValues(FieldEvidence& evidence,
                          const std::vector<std::vector<std::string>>& linksByPage) const {
        const bool memberIds = evidence.ruleKey == "memberIdReg";
        for (const std::vector<std::string>& links : linksByPage) {
            std::size_t marked = 0;
            std::string ids;
            for (const std::string& link : links) {
                const CompanyFamily family = ChooseFamily(familyRules, link);
                if (!memberIds && family == CompanyFamily::general) ++marked;
                std::string id;
                if (memberIds && family == CompanyFamily::memberSite &&
                    FindFirstCapture(*familyRules.memberIdReg, link, id)) {
                    ++marked;
                    if (ids.empty()) ids = id;
                }
            }
            if (marked == 0) {
                evidence.values.emplace_back(std::nullopt);
                continue;
            }
            ++evidence.matched;
            evidence.values.emplace_back(memberIds ? std::to_string(marked) + " member ids, the first " + ids
                                                   : std::to_string(marked) + " of " +
                                                         std::to_string(links.size()) + " company links");
        }
    }

    // nextPageReg from the link showing "下一页", else the next page's number after the marked
    // current one, checked against the pages captured after each other.
    FieldEvidence LearnNextPage() const {
        const std::string key = "nextPageReg";
        std::vector<std::string> candidates;
        for (std::size_t page = 0; page < read.size(); ++page) {
            for (const PageLink& link : read[page].links) {
                if (link.anchor.text == kNextPageText) candidates.push_back(NextByText(page, link));
            }
        }
        if (candidates.empty()) {
            for (std::size_t page = 0; page < read.size(); ++page) {
                for (const PageLink& link : read[page].links) {
                    if (link.anchor.text != std::to_string(page + 2)) continue;
                    if (std::string pattern = NextByNumber(page, link); !pattern.empty())
                        candidates.push_back(std::move(pattern));
                }
            }
        }
        if (candidates.empty()) {
            return NotLearned(key, "no result page links a next one (\"下一页\" or the next page's number)",
                              read.size());
        }
        std::string reason;
        for (const std::string& pattern : std::set<std::string>(candidates.begin(), candidates.end())) {
            const std::optional<ExtractionRules> rules = LoadedRule(key, pattern);
            if (!rules) continue;
            FieldEvidence evidence;
            evidence.ruleKey = key;
            evidence.pattern = pattern;
            if (!FollowsThePages(*rules, evidence, reason)) continue;
            evidence.learned = true;
            return evidence;
        }
        return NotLearned(key, reason.empty() ? "no rule could be written from the next-page link" : reason,
                          read.size());
    }

    std::string NextByText(std::size_t page, const PageLink& link) const {
        const std::string& body = Body(page);
        const std::size_t valueEnd = link.href->valueStart + link.href->value.size();
        const std::string before = Literal(
            std::string_view(body).substr(link.anchor.start, link.href->valueStart - link.anchor.start),
            "\\s+", true);
        const std::string afterValue =
            body.substr(valueEnd + (link.href->quote != 0 ? 1 : 0),
                        link.anchor.tagEnd - valueEnd - (link.href->quote != 0 ? 1 : 0));
        const std::string shown = body.substr(link.anchor.tagEnd, std::strlen(kNextPageText));
        // Written as a person would where the link is plain: the rest of the tag, the text, "</a>".
        if (afterValue == ">" && shown == kNextPageText &&
            body.compare(link.anchor.tagEnd + shown.size(), 4, "</a>") == 0) {
            return before + CaptureValue(link.href->quote) + ">" + Literal(kNextPageText, "", false) + "</a>";
        }
        return before + CaptureValue(link.href->quote) + "[^>]*>(?:\\s|<[^>]*>)*" +
               Literal(kNextPageText, "", false);
    }

    // "<span class="current">1</span> <a href="?page=2">2</a>": the marked current page and the
    // link after it, both numbers left open; empty when the markup before the link does not show
    // the current page's number.
    std::string NextByNumber(std::size_t page, const PageLink& link) const {
        const std::string& body = Body(page);
        if (link.anchor.start == 0) return {};
        const std::size_t closeStart = body.rfind("</", link.anchor.start - 1);
        const std::size_t openStart = closeStart == std::string::npos || closeStart == 0
                                          ? std::string::npos
                                          : body.rfind('<', closeStart - 1);
        if (openStart == std::string::npos) return {};
        const std::string before = body.substr(openStart, link.anchor.start - openStart);
        const std::string current = ">" + std::to_string(page + 1) + "<";
        const std::size_t at = before.find(current);
        if (at == std::string::npos) return {};
        const std::size_t valueEnd = link.href->valueStart + link.href->value.size();
        return Literal(std::string_view(before).substr(0, at + 1), "\\s*", false) + "\\d+" +
               Literal(std::string_view(before).substr(at + current.size() - 1), "\\s*", false) +
               Literal(std::string_view(body).substr(link.anchor.start,
                                                     link.href->valueStart - link.anchor.start),
                       "\\s+", true) +
               CaptureValue(link.href->quote) +
               Literal(std::string_view(body).substr(
                           valueEnd + (link.href->quote != 0 ? 1 : 0),
                           link.anchor.tagEnd - valueEnd - (link.href->quote != 0 ? 1 : 0)),
                       "\\s+", true) +
               "\\d+</a>";
    }

    // Whether the rule leads from each captured page to the one captured after it, and from the
    // last to none or to a page not captured; the values are the pages it leads to.
    bool FollowsThePages(const ExtractionRules& rules, FieldEvidence& evidence, std::string& reason) const {
        evidence.values.clear();
        evidence.matched = 0;
        for (std::size_t page = 0; page < read.size(); ++page) {
            const CapturedResultPage& captured = *read[page].page;
            std::optional<std::string> next = NextResultPage(rules, captured.body, captured.address);
            if (!next) {
                std::string raw;
                if (rules.nextPageReg && FindFirstCapture(*rules.nextPageReg, captured.body, raw) &&
                    captured.address.empty())
                    next = raw;  // a page whose address was not noted: its link as written
            }
            evidence.values.push_back(next);
            if (next) ++evidence.matched;
            const bool last = page + 1 == read.size();
            if (!last && !next) {
                reason = "the rule finds no next page on result page " + std::to_string(page + 1);
                return false;
            }
            const std::string nextAddress = last ? std::string() : read[page + 1].page->address;
            if (!last && !nextAddress.empty() && *next != nextAddress) {
                reason = "the rule leads from result page " + std::to_string(page + 1) + " to " + *next +
                         ", not to the page captured after it";
                return false;
            }
            const bool backwards =
                next && std::any_of(read.begin(), read.begin() + static_cast<long>(page) + 1,
                                    [&](const ReadPage& earlier) { return earlier.page->address == *next; });
            if (backwards) {
                reason = "the rule leads from result page " + std::to_string(page + 1) +
                         " back to a page before it";
                return false;
            }
        }
        return true;
    }

    const ExtractionRules& base;
    std::set<std::string> names;  // a name is a company's, however often the page shows it
    std::vector<ReadPage> read;
    ExtractionRules familyRules;
    std::vector<FieldEvidence> familyEvidence;
    ResultPageLearning learning;
};

}  // namespace

ResultPageLearning ResultPageLearner::Learn(const std::vector<std::string>& companyNames) const {
    return LearningRun(pages, base).Learn(companyNames);
}
