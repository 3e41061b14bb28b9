#include "ui/search/auto_reset_event.h"

void AutoResetEvent::Set() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        isSet = true;
    }
    signalled.notify_one();
}

void AutoResetEvent::Wait() {
    std::unique_lock<std::mutex> lock(mutex);
    signalled.wait(lock, [this] { return isSet; });
    isSet = false;
}

bool AutoResetEvent::TryWait() {
    std::lock_guard<std::mutex> lock(mutex);
    const bool wasSet = isSet;
    isSet = false;
    return wasSet;
}
