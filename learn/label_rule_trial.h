#pragma once

#include <boost/regex.hpp>
#include <optional>
#include <string>
#include <string_view>

#include "engine/company_family.h"

// A label rule as a profile would hold it, tried on companies' cleaned text the way the company
// reading applies it.
class LabelRuleTrial {
public:
    // None when the profile's loader would skip the line (the pattern does not compile, has no
    // capture group, or makes the line too long).
    static std::optional<LabelRuleTrial> Compile(const std::string& ruleKey, const std::string& label,
                                                 const std::string& pattern);

    // The value the rule gives on a company's cleaned text, cleaned as the record gets it; none
    // when it does not match.
    std::optional<std::string> ValueOn(CompanyFamily family, std::string_view cleanedText) const;
    // Whether the pattern matched a stretch holding a tag.
    bool LastCaptureHeldTag() const { return captureHeldTag; }

private:
    explicit LabelRuleTrial(boost::regex pattern) : pattern(std::move(pattern)) {}
    boost::regex pattern;
    mutable bool captureHeldTag = false;
};
