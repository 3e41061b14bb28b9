#pragma once

#include <string>
#include <vector>

#include "engine/extraction_rules.h"
#include "learn/profile_learner.h"

// Learning a site's result-page rules from the result pages `capture --keyword` saved and the
// names of companies they list: the rules that find every company link (under the key of its
// family, with the link rules that tell the families apart where the profile has none), and the
// rule that finds the next result page. Every text is GBK, as the engine holds it.

// A result page as `capture --keyword` saved it.
struct CapturedResultPage {
    std::string address;  // where it was read from; empty when the folder does not note it
    std::string body;
};

// The result pages of a folder ("result-page-N.html", from 1 on without a gap, with their
// addresses from result-pages.txt), in page order; empty when it holds none.
std::vector<CapturedResultPage> ReadCapturedResultPages(const std::string& folder);

struct ResultPageLearning {
    // Each rule with its evidence, in the order a profile lists them: the company-link rules
    // (validateCompReg, generalCompReg, CompReg), the family link rules (generalLinkReg,
    // memberIdReg), then nextPageReg. The label is empty; values hold, per result page, what the
    // rule gives there, and every rule is tried on every page. A rule not learned says why.
    // LearnedProfileText writes them into a profile.
    std::vector<FieldEvidence> rules;
    std::vector<std::string> namesNotFound;   // no link on any page shows them
    std::vector<std::string> namesAmbiguous;  // shown by links of differing kinds to differing pages
};

class ResultPageLearner {
public:
    // base: the profile the learned rules join; where it tells the families apart, its rules do.
    ResultPageLearner(std::vector<CapturedResultPage> pages, const ExtractionRules& base);

    std::size_t PageCount() const { return pages.size(); }
    ResultPageLearning Learn(const std::vector<std::string>& companyNames) const;

private:
    std::vector<CapturedResultPage> pages;
    ExtractionRules base;
};
