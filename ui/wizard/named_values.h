#pragma once

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

// The labels in the order of `labelOrder`, those it lacks last.
std::vector<std::string> InLabelOrder(std::set<std::string> labels,
                                      const std::vector<std::string>& labelOrder);

// The values a person named in the rules wizard: per captured company, record label -> value as
// read (GBK). A company gives a label one value.
class NamedValues {
public:
    using Examples = std::vector<std::pair<std::size_t, std::string>>;  // company, value

    void Name(std::size_t company, const std::string& label, const std::string& value);
    void Forget(std::size_t company, const std::string& label);
    void ForgetAll() { values_.clear(); }

    const std::map<std::string, std::string>& Of(std::size_t company) const;
    // Every label some company gives, InLabelOrder.
    std::vector<std::string> Labels(const std::vector<std::string>& labelOrder) const;
    // The examples of one label, by company.
    Examples ExamplesOf(const std::string& label) const;

private:
    std::map<std::size_t, std::map<std::string, std::string>> values_;
};
