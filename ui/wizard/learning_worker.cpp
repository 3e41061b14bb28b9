#include "ui/wizard/learning_worker.h"

#include <QMetaObject>
#include <QObject>
#include <algorithm>

LearningWorker::LearningWorker(QObject* receiver, Delivery deliver)
    : receiver_(receiver), deliver_(std::move(deliver)), thread_([this] { Run(); }) {}

LearningWorker::~LearningWorker() {
    {
        const std::lock_guard<std::mutex> guard(lock_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void LearningWorker::Learn(std::uint64_t learnerSerial, const ProfileLearner& learner,
                           std::deque<NamedValues::Values> sets) {
    {
        const std::lock_guard<std::mutex> guard(lock_);
        // The set in progress comes anyway: learning it twice would only make the rest wait.
        if (learnerSerial == serial_ && current_)
            sets.erase(std::remove(sets.begin(), sets.end(), *current_), sets.end());
        serial_ = learnerSerial;
        learner_ = learner;
        pending_ = std::move(sets);
    }
    wake_.notify_all();
}

void LearningWorker::Run() {
    std::unique_lock<std::mutex> guard(lock_);
    for (;;) {
        wake_.wait(guard, [this] { return stopping_ || !pending_.empty(); });
        if (stopping_) return;
        current_ = std::move(pending_.front());
        pending_.pop_front();
        const NamedValues::Values values = *current_;
        const std::uint64_t serial = serial_;
        const ProfileLearner learner = *learner_;  // shares the companies; a newer set may replace them
        guard.unlock();
        const std::vector<FieldEvidence> fields = learner.LearnFields(ExamplesOf(values));
        guard.lock();
        current_.reset();
        // A queued call with the receiver as its context is dropped when the receiver goes.
        QMetaObject::invokeMethod(
            receiver_, [deliver = deliver_, serial, values, fields] { deliver(serial, values, fields); },
            Qt::QueuedConnection);
    }
}
