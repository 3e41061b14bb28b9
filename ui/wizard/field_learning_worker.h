#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "learn/profile_learner.h"
#include "ui/wizard/named_values.h"

class QObject;

// One field to learn: its label and the examples that give it. Its result depends on nothing
// else (for one set of captured companies), so it also keys the results already learned.
struct FieldLearningTask {
    std::string label;
    NamedValues::Examples examples;
    auto operator<=>(const FieldLearningTask&) const = default;
};

// Learns fields on a thread of its own, so that the window answers while the learner compares
// the rules it tries over every captured company. Tasks handed over replace those not begun yet:
// only the latest wish of the user is worth the time. Each result reaches `deliver` on the
// receiver's thread, and never after the receiver is gone; the receiver outlives the worker.
class FieldLearningWorker {
public:
    // learnerSerial names the set of captured companies the result was learned over.
    using Delivery = std::function<void(std::uint64_t learnerSerial, const FieldLearningTask& task,
                                        const FieldEvidence& evidence)>;

    FieldLearningWorker(QObject* receiver, Delivery deliver);
    ~FieldLearningWorker();  // stops after the field in progress and joins
    FieldLearningWorker(const FieldLearningWorker&) = delete;
    FieldLearningWorker& operator=(const FieldLearningWorker&) = delete;

    void Learn(std::uint64_t learnerSerial, const ProfileLearner& learner,
               std::deque<FieldLearningTask> tasks);

private:
    void Run();

    QObject* const receiver_;
    const Delivery deliver_;
    std::mutex lock_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::uint64_t serial_ = 0;
    std::optional<ProfileLearner> learner_;
    std::deque<FieldLearningTask> pending_;
    std::optional<FieldLearningTask> current_;  // being learned for serial_
    std::thread thread_;
};
