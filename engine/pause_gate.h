#pragma once

#include <condition_variable>
#include <mutex>

// The gate every request of a search passes: closed while the crawl rests, so that no request
// goes out then. Stop opens it for good, and makes every wait at it give up.
class PauseGate {
public:
    void Close();
    void Open();
    void Stop();
    // Waits while the gate is closed; false once stopped.
    bool Pass();

private:
    std::mutex mutex;
    std::condition_variable changed;
    bool closed = false;
    bool stopped = false;
};
