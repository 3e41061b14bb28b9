#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "learn/profile_learner.h"
#include "ui/wizard/named_values.h"

class QObject;

// Learns profiles on a thread of its own, so that the window answers while the learner compares
// the rules it tries over every captured company. What it learns from is a set of named values:
// the result depends on nothing else (for one set of captured companies), so the set also keys
// the results already learned. Sets handed over replace those not begun yet: only the latest
// wish of the user is worth the time. Each result reaches `deliver` on the receiver's thread,
// and never after the receiver is gone; the receiver outlives the worker.
class LearningWorker {
public:
    // learnerSerial names the set of captured companies the result was learned over.
    using Delivery = std::function<void(std::uint64_t learnerSerial, const NamedValues::Values& values,
                                        const std::vector<FieldEvidence>& fields)>;

    LearningWorker(QObject* receiver, Delivery deliver);
    ~LearningWorker();  // stops after the set in progress and joins
    LearningWorker(const LearningWorker&) = delete;
    LearningWorker& operator=(const LearningWorker&) = delete;

    void Learn(std::uint64_t learnerSerial, const ProfileLearner& learner,
               std::deque<NamedValues::Values> sets);

private:
    void Run();

    QObject* const receiver_;
    const Delivery deliver_;
    std::mutex lock_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::uint64_t serial_ = 0;
    std::optional<ProfileLearner> learner_;
    std::deque<NamedValues::Values> pending_;
    std::optional<NamedValues::Values> current_;  // being learned for serial_
    std::thread thread_;
};
