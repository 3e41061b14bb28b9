#pragma once

#include <vector>

#include "learn/profile_learner.h"

// The links from a company's home page to its contact and introduction pages, learned from
// companies captured with the pages their home page links to: the linked page holding most of an
// example's contact facts (联系人, 电话, ...) is its contact page, the one holding most of its
// other facts not on the home page its introduction page; the rule is the link to it, known by
// the link's text.
struct PageLinkLearning {
    // The link rules (label empty, ruleKey the link key: generalCompContactReg, ...), learned or not.
    std::vector<FieldEvidence> rules;
    // The companies with the pages the learned rules lead to in the roles of contact and
    // introduction page, as the company reading would read them.
    std::vector<CapturedCompany> companies;
};

// Nothing to learn (no rules, the companies as they are) when no example company was captured
// with linked pages only.
PageLinkLearning LearnPageLinks(const std::vector<CapturedCompany>& companies,
                                const std::vector<CompanyExample>& examples);
