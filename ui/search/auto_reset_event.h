#pragma once

#include <condition_variable>
#include <mutex>

// An event that lets one wait through per Set and then closes again by itself.
class AutoResetEvent {
public:
    void Set();
    // Waits without a time limit; takes the signal.
    void Wait();
    // Takes the signal when it is there; never waits.
    bool TryWait();

private:
    std::mutex mutex;
    std::condition_variable signalled;
    bool isSet = false;
};
