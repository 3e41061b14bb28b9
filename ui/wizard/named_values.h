#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "learn/profile_learner.h"

// The values a person named in the rules wizard: per captured company, record label -> value as
// read (GBK). A company gives a label one value.
class NamedValues {
public:
    using Values = std::map<std::size_t, std::map<std::string, std::string>>;

    void Name(std::size_t company, const std::string& label, const std::string& value);
    void Forget(std::size_t company, const std::string& label);

    const Values& All() const { return values_; }
    const std::map<std::string, std::string>& Of(std::size_t company) const;

private:
    Values values_;
};

// Every label some company gives, in the order of `labelOrder` (labels it lacks last).
std::vector<std::string> LabelsOf(const NamedValues::Values& values,
                                  const std::vector<std::string>& labelOrder);
// The values as the learner takes them: one example per company.
std::vector<CompanyExample> ExamplesOf(const NamedValues::Values& values);
