#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "learn/profile_learner.h"

// A captured company as the table names it: its folder, and the family key of its label rules.
struct EvidenceCompany {
    std::string name;
    std::string ruleKey;
};

// The hit table of label rules, as `learn` and `rules --dir` print it (UTF-8): per field a line
// "field<TAB>LABEL<TAB>KEY<TAB>matched M of N<TAB>PATTERN" (or "not learned<TAB>LABEL<TAB>KEY<TAB>
// REASON"), then per company of its families "<TAB>COMPANY<TAB>VALUE", "-" where the rule does not
// match. Fields without a match come first, so that a rule that fails stands at the top.
void PrintFieldEvidence(std::FILE* stream, const std::vector<FieldEvidence>& fields,
                        const std::vector<EvidenceCompany>& companies);
