#include "ui/wizard/named_values.h"

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

std::vector<std::string> InLabelOrder(std::set<std::string> labels,
                                      const std::vector<std::string>& labelOrder) {
    std::vector<std::string> ordered;
    for (const std::string& label : labelOrder) {
        if (labels.erase(label) > 0) ordered.push_back(label);
    }
    ordered.insert(ordered.end(), labels.begin(), labels.end());
    return ordered;
}

std::vector<std::string> NamedValues::Labels(const std::vector<std::string>& labelOrder) const {
    std::set<std::string> given;
    for (const auto& [company, labels] : values_) {
        for (const auto& entry : labels) given.insert(entry.first);
    }
    return InLabelOrder(std::move(given), labelOrder);
}

NamedValues::Examples NamedValues::ExamplesOf(const std::string& label) const {
    Examples examples;
    for (const auto& [company, labels] : values_) {
        const auto found = labels.find(label);
        if (found != labels.end()) examples.emplace_back(company, found->second);
    }
    return examples;
}
