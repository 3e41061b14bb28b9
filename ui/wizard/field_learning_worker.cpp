#include "ui/wizard/field_learning_worker.h"

#include <QMetaObject>
#include <QObject>
#include <algorithm>

FieldLearningWorker::FieldLearningWorker(QObject* receiver, Delivery deliver)
    : receiver_(receiver), deliver_(std::move(deliver)), thread_([this] { Run(); }) {}

FieldLearningWorker::~FieldLearningWorker() {
    {
        const std::lock_guard<std::mutex> guard(lock_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void FieldLearningWorker::Learn(std::uint64_t learnerSerial, const ProfileLearner& learner,
                                std::deque<FieldLearningTask> tasks) {
    {
        const std::lock_guard<std::mutex> guard(lock_);
        // The field in progress comes anyway: learning it twice would only make the rest wait.
        if (learnerSerial == serial_ && current_)
            tasks.erase(std::remove(tasks.begin(), tasks.end(), *current_), tasks.end());
        serial_ = learnerSerial;
        learner_ = learner;
        pending_ = std::move(tasks);
    }
    wake_.notify_all();
}

void FieldLearningWorker::Run() {
    std::unique_lock<std::mutex> guard(lock_);
    for (;;) {
        wake_.wait(guard, [this] { return stopping_ || !pending_.empty(); });
        if (stopping_) return;
        current_ = std::move(pending_.front());
        pending_.pop_front();
        const FieldLearningTask task = *current_;
        const std::uint64_t serial = serial_;
        const ProfileLearner learner = *learner_;  // shares the companies; a newer set may replace them
        guard.unlock();
        const FieldEvidence evidence = learner.LearnField(task.label, task.examples);
        guard.lock();
        current_.reset();
        // A queued call with the receiver as its context is dropped when the receiver goes.
        QMetaObject::invokeMethod(
            receiver_, [deliver = deliver_, serial, task, evidence] { deliver(serial, task, evidence); },
            Qt::QueuedConnection);
    }
}
