#include "ui/wizard/learning_session.h"

#include <algorithm>
#include <deque>

#include "engine/company_parser.h"
#include "engine/label_table.h"

LearningSession::LearningSession(QObject* receiver, std::function<void()> changed)
    : changed_(std::move(changed)),
      labelOrder_(KnownLabelsInRecordOrder()),
      worker_(std::make_unique<FieldLearningWorker>(
          receiver, [this](std::uint64_t serial, const FieldLearningTask& task,
                           const FieldEvidence& evidence) { Delivered(serial, task, evidence); })) {}

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
    const CapturedCompany& captured = companies_.at(company).company;
    return CleanedCompanyText(captured.family, captured.linkedPages.at(linked).body);
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

std::vector<std::string> LearningSession::Labels() const {
    const std::vector<std::string> named = values_.Labels(labelOrder_);
    std::set<std::string> labels(named.begin(), named.end());
    if (tried_) labels.insert(tried_->label);
    return InLabelOrder(std::move(labels), labelOrder_);
}

FieldLearningTask LearningSession::TaskFor(const std::string& label, bool withTried) const {
    FieldLearningTask task{label, values_.ExamplesOf(label)};
    if (!withTried || !tried_ || tried_->label != label) return task;
    const auto own = std::find_if(task.examples.begin(), task.examples.end(),
                                  [this](const auto& example) { return example.first == tried_->company; });
    if (own != task.examples.end())
        own->second = tried_->value;
    else
        task.examples.insert(std::upper_bound(task.examples.begin(), task.examples.end(),
                                              std::make_pair(tried_->company, std::string())),
                             {tried_->company, tried_->value});
    return task;
}

const FieldEvidence* LearningSession::Evidence(const std::string& label) const {
    const auto found = learned_.find(TaskFor(label, true));
    return found == learned_.end() ? nullptr : &found->second;
}

std::optional<std::vector<FieldEvidence>> LearningSession::NamedEvidence() const {
    std::vector<FieldEvidence> fields;
    for (const std::string& label : values_.Labels(labelOrder_)) {
        const auto found = learned_.find(TaskFor(label, false));
        if (found == learned_.end()) return std::nullopt;
        fields.push_back(found->second);
    }
    return fields;
}

void LearningSession::LearnWhatIsMissing() {
    if (!learner_) return;
    // The field tried now first: it is what the user looks at. The others as named, for the
    // table and for saving.
    std::deque<FieldLearningTask> missing;
    bool newlyMissing = false;
    const auto want = [&](FieldLearningTask task) {
        if (task.examples.empty() || learned_.count(task) > 0) return;
        if (std::find(missing.begin(), missing.end(), task) != missing.end()) return;
        newlyMissing = newlyMissing || asked_.count(task) == 0;
        missing.push_back(std::move(task));
    };
    if (tried_) want(TaskFor(tried_->label, true));
    for (const std::string& label : values_.Labels(labelOrder_)) want(TaskFor(label, false));
    if (!newlyMissing) return;
    asked_ = std::set<FieldLearningTask>(missing.begin(), missing.end());
    worker_->Learn(serial_, *learner_, std::move(missing));
}

void LearningSession::Delivered(std::uint64_t serial, const FieldLearningTask& task,
                                const FieldEvidence& evidence) {
    if (serial != serial_) return;  // learned over companies since added to
    asked_.erase(task);
    learned_.emplace(task, evidence);
    changed_();
}
