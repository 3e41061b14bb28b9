#include "ui/wizard/learning_session.h"

#include <algorithm>
#include <deque>

#include "engine/label_table.h"

namespace {

constexpr std::size_t kKeptResults = 64;

}  // namespace

LearningSession::LearningSession(QObject* receiver, std::function<void()> changed)
    : changed_(std::move(changed)),
      labelOrder_(KnownLabelsInRecordOrder()),
      worker_(std::make_unique<LearningWorker>(
          receiver,
          [this](std::uint64_t serial, const NamedValues::Values& values,
                 const std::vector<FieldEvidence>& fields) { Delivered(serial, values, fields); })) {}

std::size_t LearningSession::Open(std::vector<OpenedCompany> companies) {
    std::size_t added = 0;
    for (OpenedCompany& company : companies) {
        const bool open = std::any_of(companies_.begin(), companies_.end(), [&](const OpenedCompany& known) {
            return known.folder == company.folder;
        });
        if (open) continue;
        companies_.push_back(std::move(company));
        ++added;
    }
    if (added == 0) return 0;
    // New companies change every hit rate: what was learned over the old set is learned again.
    std::vector<CapturedCompany> captured;
    for (const OpenedCompany& company : companies_) captured.push_back(company.company);
    learner_.emplace(std::move(captured));
    ++serial_;
    learned_.clear();
    asked_.clear();
    LearnWhatIsMissing();
    return added;
}

std::string LearningSession::CleanedPage(std::size_t company, CompanyPage page) const {
    return learner_ ? learner_->CleanedPage(company, page) : std::string();
}

std::string LearningSession::CleanedLinkedPage(std::size_t company, std::size_t linked) const {
    return learner_ ? learner_->CleanedLinkedPage(company, linked) : std::string();
}

void LearningSession::Name(std::size_t company, const std::string& label, const std::string& value) {
    values_.Name(company, label, value);
    LearnWhatIsMissing();
}

void LearningSession::Forget(std::size_t company, const std::string& label) {
    values_.Forget(company, label);
    LearnWhatIsMissing();
}

void LearningSession::Try(std::size_t company, const std::string& label, const std::string& value) {
    if (value.empty())
        tried_.reset();
    else
        tried_ = Tried{company, label, value};
    LearnWhatIsMissing();
}

NamedValues::Values LearningSession::WithTried() const {
    NamedValues::Values values = values_.All();
    if (tried_) values[tried_->company][tried_->label] = tried_->value;
    return values;
}

std::vector<std::string> LearningSession::Labels() const {
    return LabelsOf(WithTried(), labelOrder_);
}

const std::vector<FieldEvidence>* LearningSession::LearnedFrom(const NamedValues::Values& values) const {
    static const std::vector<FieldEvidence> kNothingNamed;
    if (values.empty()) return &kNothingNamed;
    const auto found = learned_.find(values);
    return found == learned_.end() ? nullptr : &found->second;
}

const std::vector<FieldEvidence>* LearningSession::Evidence() const {
    return LearnedFrom(WithTried());
}

const std::vector<FieldEvidence>* LearningSession::NamedEvidence() const {
    return LearnedFrom(values_.All());
}

void LearningSession::LearnWhatIsMissing() {
    if (!learner_) return;
    // What the user looks at first, then what saving takes.
    std::deque<NamedValues::Values> missing;
    for (NamedValues::Values values : {WithTried(), values_.All()}) {
        if (LearnedFrom(values) != nullptr) continue;
        if (std::find(missing.begin(), missing.end(), values) == missing.end())
            missing.push_back(std::move(values));
    }
    const bool newlyMissing =
        std::any_of(missing.begin(), missing.end(),
                    [this](const NamedValues::Values& values) { return !asked_.count(values); });
    if (!newlyMissing) return;
    asked_ = std::set<NamedValues::Values>(missing.begin(), missing.end());
    worker_->Learn(serial_, *learner_, std::move(missing));
}

void LearningSession::Delivered(std::uint64_t serial, const NamedValues::Values& values,
                                const std::vector<FieldEvidence>& fields) {
    if (serial != serial_) return;  // learned over companies since added to
    asked_.erase(values);
    learned_.emplace(values, fields);
    // Every selection is a set of its own: past ones go once they are many, what is shown stays.
    if (learned_.size() > kKeptResults) {
        const NamedValues::Values tried = WithTried();
        std::erase_if(learned_, [&](const auto& entry) {
            return entry.first != tried && entry.first != values_.All();
        });
    }
    changed_();
}
