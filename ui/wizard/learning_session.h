#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "learn/profile_learner.h"
#include "ui/wizard/captured_company_folders.h"
#include "ui/wizard/learning_worker.h"
#include "ui/wizard/named_values.h"

// What the rules wizard knows and learns, apart from its widgets: the captured companies open,
// the values the user named on them, the value selected now (tried as if named) and what the
// learner made of them. Learning runs on a worker; `changed` runs on the receiver's thread
// whenever a result arrives.
class LearningSession {
public:
    LearningSession(QObject* receiver, std::function<void()> changed);

    // Adds the companies of folders not open yet; the number added. The named values stay.
    std::size_t Open(std::vector<OpenedCompany> companies);
    std::size_t CompanyCount() const { return companies_.size(); }
    const OpenedCompany& Company(std::size_t company) const { return companies_[company]; }
    // The page cleaned as the rules see it (GBK); empty when the company has none.
    std::string CleanedPage(std::size_t company, CompanyPage page) const;
    // A page the home page links to, cleaned the same way.
    std::string CleanedLinkedPage(std::size_t company, std::size_t linked) const;

    const NamedValues& Values() const { return values_; }
    void Name(std::size_t company, const std::string& label, const std::string& value);
    void Forget(std::size_t company, const std::string& label);
    // The value selected now, learned as if it were named; an empty value: none.
    void Try(std::size_t company, const std::string& label, const std::string& value);

    // The fields named, and the one tried, in the record's order.
    std::vector<std::string> Labels() const;
    // What was learned from the named values and the one tried: the link rules, then a rule per
    // field and family; none while it is being learned.
    const std::vector<FieldEvidence>* Evidence() const;
    // The same without the value tried, for saving.
    const std::vector<FieldEvidence>* NamedEvidence() const;

private:
    struct Tried {
        std::size_t company = 0;
        std::string label;
        std::string value;
    };
    NamedValues::Values WithTried() const;
    const std::vector<FieldEvidence>* LearnedFrom(const NamedValues::Values& values) const;
    void LearnWhatIsMissing();
    void Delivered(std::uint64_t serial, const NamedValues::Values& values,
                   const std::vector<FieldEvidence>& fields);

    const std::function<void()> changed_;
    const std::vector<std::string> labelOrder_;
    std::vector<OpenedCompany> companies_;
    std::optional<ProfileLearner> learner_;
    std::uint64_t serial_ = 0;  // counts the sets of companies learned over
    NamedValues values_;
    std::optional<Tried> tried_;
    std::map<NamedValues::Values, std::vector<FieldEvidence>> learned_;  // over the companies open now
    std::set<NamedValues::Values> asked_;                                // handed to the worker, not back yet
    std::unique_ptr<LearningWorker> worker_;                             // last: joined before the rest goes
};
