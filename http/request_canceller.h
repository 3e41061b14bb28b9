#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>

// Lets one thread abort the requests and waits of others: Cancel wakes every WaitFor at once
// and makes the descriptor of WakeFd readable, so that socket waits end too.
class RequestCanceller {
public:
    RequestCanceller();
    ~RequestCanceller();
    RequestCanceller(const RequestCanceller&) = delete;
    RequestCanceller& operator=(const RequestCanceller&) = delete;

    void Cancel();
    bool IsCancelled() const;
    // Sleeps for the duration; false when cancelled before or during the wait.
    bool WaitFor(std::chrono::milliseconds duration);
    // Readable once cancelled; for poll() beside a socket.
    int WakeFd() const;

private:
    std::atomic<bool> cancelled{false};
    std::mutex mutex;
    std::condition_variable wake;
    int eventFd;
};
