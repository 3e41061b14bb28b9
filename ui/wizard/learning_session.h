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
#include "ui/wizard/field_learning_worker.h"
#include "ui/wizard/named_values.h"

// What the rules wizard knows and learns, apart from its widgets: the captured companies open,
// the values the user named on them, the value selected now (tried as if named) and, per field,
// the evidence learned from them. Learning runs on a worker; `changed` runs on the receiver's
// thread whenever a field's evidence arrives.
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

    // The fields to show: every named label and the one tried, in the record's order.
    std::vector<std::string> Labels() const;
    // A field's evidence over the named values and the one tried; none while it is learned.
    const FieldEvidence* Evidence(const std::string& label) const;
    // The evidence of every named field without the one tried, for saving; none while any of it
    // is being learned.
    std::optional<std::vector<FieldEvidence>> NamedEvidence() const;

private:
    struct Tried {
        std::size_t company = 0;
        std::string label;
        std::string value;
    };
    FieldLearningTask TaskFor(const std::string& label, bool withTried) const;
    void LearnWhatIsMissing();
    void Delivered(std::uint64_t serial, const FieldLearningTask& task, const FieldEvidence& evidence);

    const std::function<void()> changed_;
    const std::vector<std::string> labelOrder_;
    std::vector<OpenedCompany> companies_;
    std::optional<ProfileLearner> learner_;
    std::uint64_t serial_ = 0;  // counts the sets of companies learned over
    NamedValues values_;
    std::optional<Tried> tried_;
    std::map<FieldLearningTask, FieldEvidence> learned_;  // over the companies open now
    std::set<FieldLearningTask> asked_;                   // handed to the worker, not back yet
    std::unique_ptr<FieldLearningWorker> worker_;         // last: joined before the rest goes
};
