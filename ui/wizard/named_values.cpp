#include "ui/wizard/named_values.h"

#include <set>

void NamedValues::Name(std::size_t company, const std::string& label, const std::string& value) {
    values_[company][label] = value;
}

void NamedValues::Forget(std::size_t company, const std::string& label) {
    const auto found = values_.find(company);
    if (found == values_.end()) return;
    found->second.erase(label);
    if (found->second.empty()) values_.erase(found);
}

const std::map<std::string, std::string>& NamedValues::Of(std::size_t company) const {
    static const std::map<std::string, std::string> kNone;
    const auto found = values_.find(company);
    return found == values_.end() ? kNone : found->second;
}

std::vector<std::string> LabelsOf(const NamedValues::Values& values,
                                  const std::vector<std::string>& labelOrder) {
    std::set<std::string> given;
    for (const auto& [company, labels] : values) {
        for (const auto& entry : labels) given.insert(entry.first);
    }
    std::vector<std::string> ordered;
    for (const std::string& label : labelOrder) {
        if (given.erase(label) > 0) ordered.push_back(label);
    }
    ordered.insert(ordered.end(), given.begin(), given.end());
    return ordered;
}

std::vector<CompanyExample> ExamplesOf(const NamedValues::Values& values) {
    std::vector<CompanyExample> examples;
    for (const auto& [company, labels] : values) examples.push_back({company, labels});
    return examples;
}
